#include <gtest/gtest.h>

#include "platform/MessageService.h"
#include "runtime/ModeChoice.h"
#include "runtime/Unitprewin.h"

namespace {

struct ModeCase {
    QStringList args;
    RunMode mode;
    QString host;
};

TEST(ModeChoice, SwitchesPickPreviewConfigureOrShow)
{
    const ModeCase cases[] = {
        {{"/p", "5678"}, RunMode::Preview, "5678"},
        {{"/p"}, RunMode::Preview, ""},
        {{"/P", "5678"}, RunMode::Show, ""},   // only lower-case /p previews
        {{"/p:1234"}, RunMode::Show, ""},      // the whole argument must be /p
        {{"/c:1234"}, RunMode::Configure, ""},
        {{"/C"}, RunMode::Configure, ""},
        {{"/c"}, RunMode::Configure, ""},
        {{"-c"}, RunMode::Configure, ""},
        {{"xc", "1"}, RunMode::Configure, ""}, // only the second character counts
        {{"/a"}, RunMode::Show, ""},
        {{"/s"}, RunMode::Show, ""},
        {{"c"}, RunMode::Show, ""},            // too short to have a second character
        {{"/\u00c7"}, RunMode::Show, ""},      // only A to Z are folded
        {{""}, RunMode::Show, ""},
        {{}, RunMode::Show, ""},
    };
    for (const ModeCase &c : cases) {
        const ModeChoice m = ChooseMode(c.args);
        EXPECT_EQ(m.mode, c.mode) << c.args.join(' ').toStdString();
        EXPECT_EQ(m.previewHost, c.host) << c.args.join(' ').toStdString();
    }
}

TEST(ModeChoice, PreviewHostMustBeADecimalInteger)
{
    EXPECT_EQ(ParsePreviewHost("5678"), 5678);
    EXPECT_EQ(ParsePreviewHost("+12"), 12);
    EXPECT_EQ(ParsePreviewHost("0"), 0);
    for (const char *bad : {"", "abc", "12a", "0x1f", "-", "99999999999999999999999"})
        EXPECT_FALSE(ParsePreviewHost(QString::fromLatin1(bad)).has_value()) << bad;
}

TEST(ModeChoice, ConfigureSaysThereIsNothingToSet)
{
    RecordingMessageService messages;
    EXPECT_EQ(RunConfigure(), 0);
    ASSERT_EQ(messages.calls.size(), 1u);
    const MessageBoxCall &box = messages.calls[0];
    EXPECT_EQ(box.text, QString::fromUtf8("No tiene ninguna configuración el screensaver ."));
    EXPECT_EQ(box.caption, QString::fromUtf8("Información"));
    EXPECT_EQ(box.icon, MsgIcon::None);
    EXPECT_EQ(box.buttons, MsgButtons::Ok);
}

TEST(PreviewWindow, WhiteBorderlessWindowWithSixFadingLines)
{
    TForm2 form;
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(form.size(), QSize(165, 139));
    EXPECT_EQ(form.palette().color(QPalette::Window), QColor(Qt::white));
    ASSERT_NE(form.AAFadeText1, nullptr);
    EXPECT_EQ(form.AAFadeText1->geometry(), QRect(0, 24, 145, 34));
    EXPECT_TRUE(form.AAFadeText1->active());
    const QStringList lines = form.AAFadeText1->lines();
    ASSERT_EQ(lines.size(), 6);
    EXPECT_TRUE(lines.last().contains('.')) << "the last line is a web address";
    EXPECT_EQ(form.AAFadeText1->LineDelay, 3000);
    EXPECT_EQ(form.AAFadeText1->FadeDelay, 600);
}

TEST(PreviewWindow, FadeTextStandsThenFadesToTheNextLineAndWraps)
{
    FadeText t;
    t.setLines({"a", "b", "c"});
    struct At {
        qint64 ms;
        int line;
        double opacity;
    };
    const At cases[] = {
        {0, 0, 1.0},
        {2999, 0, 1.0},
        {3150, 0, 0.5},  // first half of the fade: the old line fades out
        {3300, 1, 0.0},  // halfway: nothing shows, the new line starts
        {3450, 1, 0.5},
        {3600, 1, 1.0},  // the next period: the new line stands
        {3 * 3600, 0, 1.0}, // after the last line the first comes back
        {2 * 3600 + 3500, 0, 2.0 * 500 / 600 - 1.0}, // fading from the last line to the first
    };
    for (const At &c : cases) {
        const FadeText::Frame f = t.frameAt(c.ms);
        EXPECT_EQ(f.line, c.line) << c.ms;
        EXPECT_NEAR(f.opacity, c.opacity, 1e-9) << c.ms;
    }
}

TEST(PreviewWindow, BadHostIsReportedWithoutAWindow)
{
    RecordingMessageService messages;
    EXPECT_NE(RunPreview("12ab"), 0);
    ASSERT_EQ(messages.calls.size(), 1u);
    EXPECT_TRUE(messages.calls[0].text.contains("12ab"));
}

} // namespace
