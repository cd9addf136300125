// The build command with its page, and the install and preview commands.
#include "CreatorFixture.h"

#include "package/PackageFormat.h"
#include "platform/Registry.h"

#include <QButtonGroup>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <array>

namespace {

using CreatorBuild = CreatorFixture;

package::Trailer trailerOf(const QString &path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.seek(f.size() - package::TrailerSize));
    std::array<std::uint8_t, package::TrailerSize> bytes{};
    f.read(reinterpret_cast<char *>(bytes.data()), package::TrailerSize);
    package::Trailer t;
    EXPECT_TRUE(package::ReadTrailer(bytes, t));
    return t;
}

} // namespace

TEST_F(CreatorBuild, RefusesAnEmptyProjectAndAPictureProjectWithoutEffects)
{
    TSaverForm &w = open();
    w.scButBuildClick();
    EXPECT_EQ(messages.texts(), QStringList{"Selecciona imagenes o un archivo Swf primero"});
    EXPECT_EQ(messages.calls[0].caption, "NUVIRA ");
    EXPECT_EQ(w.scPageWiz->currentIndex(), PageBuild);
    EXPECT_EQ(w.lastBuiltFile(), "");

    addSources({picture("a.jpg", Qt::red)});
    w.SaverType1_oldClick();
    w.mnuBuild->trigger();
    EXPECT_EQ(messages.texts().last(), "Selecciona al menos un efecto para el proyector scr ");
    EXPECT_EQ(w.scPageWiz->currentIndex(), PageBuild);
    EXPECT_EQ(w.lastBuiltFile(), "");
    EXPECT_FALSE(w.built());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr); // the cursor is back
}

TEST_F(CreatorBuild, OutputPathsFollowTheNameTheFolderAndTheKind)
{
    TSaverForm &w = open();
    const QString beach = picture("beach.jpg", Qt::yellow);
    addSources({beach});
    checkEffect(0);
    setOutputFolder(outDir());
    struct Case {
        const char *name;
        int kind;
        const char *file;
    } cases[] = {{"Playa", 0, "Playa.scr"}, {"mi.salvador", 0, "mi.salvador.scr"}, {"Playa", 1, "Playa.exe"},
                 {"", 1, "beach.exe"},      {"", 0, "beach.scr"}};
    for (const Case &c : cases) {
        messages.calls.clear();
        w.edtOutputName->setText(c.name);
        w.outTypeButtons->button(c.kind)->click();
        w.scButBuildClick();
        const QString expected = outDir() + c.file;
        EXPECT_EQ(w.lastBuiltFile(), expected);
        EXPECT_TRUE(QFileInfo(expected).isFile()) << c.file;
        EXPECT_TRUE(QFileInfo(expected).isExecutable()) << c.file;
        ASSERT_EQ(messages.calls.size(), 1u) << c.file;
        EXPECT_EQ(messages.calls[0].text, "Proceso hecho ");
        EXPECT_EQ(messages.calls[0].caption, "Informacion");
        EXPECT_EQ(messages.calls[0].icon, MsgIcon::Information);
    }
    EXPECT_TRUE(w.built());
}

TEST_F(CreatorBuild, APicturePackageCarriesTheProjectSettings)
{
    TSaverForm &w = open();
    addSources({picture("a.jpg", Qt::red), picture("b.jpg", Qt::blue)});
    w.lbMusicFiles->addItem(garbage("tune.mp3")); // copied byte for byte, never decoded here
    checkEffect(0);
    checkEffect(6);
    w.quitModeButtons->button(1)->click();
    w.SpnDelayTime->setValue(9);
    setOutputFolder(outDir());
    w.edtOutputName->setText("Playa");
    w.scButBuildClick();
    ASSERT_EQ(messages.texts(), QStringList{"Proceso hecho "});

    const QString out = outDir() + "Playa.scr";
    QFile f(out);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.read(FakeRuntimeBytes().size()) == FakeRuntimeBytes());
    const package::Trailer t = trailerOf(out);
    EXPECT_TRUE(t.isPictures());
    EXPECT_EQ(t.fileCount, 2);
    EXPECT_EQ(t.quitMode, 2);
    EXPECT_EQ(t.interval, 9);
    EXPECT_EQ(t.musicCount(), 1);
    EXPECT_EQ(package::UsableEffects(t.effectFlags), std::vector<int>({1, 8}));
    ASSERT_EQ(t.sizes.size(), 3u);
    EXPECT_EQ(t.sizes[2], QFileInfo(home.path() + "/media/tune.mp3").size());
    EXPECT_EQ(f.size(), FakeRuntimeBytes().size() + t.sizes[0] + t.sizes[1] + t.sizes[2] + package::TrailerSize);
}

TEST_F(CreatorBuild, AFlashProjectNeedsNoEffect)
{
    TSaverForm &w = open();
    const QString movie = garbage("peli.swf");
    w.scRdoFlaType->click();
    addSources({movie});
    setOutputFolder(outDir());
    w.scButBuildClick();
    EXPECT_EQ(messages.texts(), QStringList{"Proceso hecho "});
    const package::Trailer t = trailerOf(outDir() + "peli.scr");
    EXPECT_FALSE(t.isPictures());
    EXPECT_EQ(t.fileCount, 1);
    EXPECT_EQ(t.quitMode, 3);
}

TEST_F(CreatorBuild, AFailedBuildDeletesItsOutputAndInstallAndPreviewRefuse)
{
    TSaverForm &w = open();
    w.scchkPreviewSource->setChecked(false);
    addSources({picture("a.jpg", Qt::red), garbage("broken.jpg")});
    checkEffect(3);
    setOutputFolder(outDir());
    w.edtOutputName->setText("Roto");
    w.scButBuildClick();
    const QString out = outDir() + "Roto.scr";
    EXPECT_EQ(messages.texts(), QStringList{"Proceso falló !"});
    EXPECT_EQ(messages.calls[0].caption, "Informacion");
    EXPECT_EQ(messages.calls[0].icon, MsgIcon::Information);
    EXPECT_FALSE(QFileInfo::exists(out));
    EXPECT_EQ(w.lastBuiltFile(), out);
    EXPECT_FALSE(w.built());

    messages.calls.clear();
    w.btnSetupClick();
    w.btnPreviewClick();
    EXPECT_EQ(messages.texts(), QStringList({"Construye primero el protector", "Construye primero el protector"}));
    EXPECT_TRUE(process.calls.empty());
    EXPECT_EQ(desktop.settingsOpened, 0);

    // Nothing was built, so the close check still asks.
    messages.calls.clear();
    w.close();
    EXPECT_EQ(messages.texts(), QStringList{"Está deshabilitada esta función."});
}

TEST_F(CreatorBuild, ARuntimeThatCannotBeWrittenFailsTheBuild)
{
    TSaverForm &w = open();
    addSources({picture("a.jpg", Qt::red)});
    checkEffect(0);
    setOutputFolder(home.path() + "/no/such/folder");
    w.scButBuildClick();
    EXPECT_EQ(messages.texts(), QStringList{"Proceso falló !"});
    EXPECT_EQ(w.lastBuiltFile(), home.path() + "/no/such/folder/a.scr");
    EXPECT_FALSE(w.built());
}

TEST_F(CreatorBuild, InstallAndPreviewBeforeAnyBuildShowTheirMessage)
{
    TSaverForm &w = open();
    w.mnuInstall->trigger();
    w.mnuPreview->trigger();
    ASSERT_EQ(messages.calls.size(), 2u);
    for (const auto &call : messages.calls) {
        EXPECT_EQ(call.text, "Construye primero el protector");
        EXPECT_EQ(call.caption, "NUVIRA ");
        EXPECT_EQ(call.icon, MsgIcon::Information);
    }
    EXPECT_TRUE(process.calls.empty());
    EXPECT_EQ(desktop.broadcasts, 0);
    EXPECT_EQ(Registry::readString(Registry::CurrentUserDesktop, "SCRNSAVE.EXE", "<unset>"), "<unset>");
}

TEST_F(CreatorBuild, InstallRegistersTheBuiltFileAndPreviewStartsIt)
{
    TSaverForm &w = open();
    addSources({picture("a.jpg", Qt::red)});
    checkEffect(0);
    setOutputFolder(outDir() + "con blancos");
    QDir().mkpath(outDir() + "con blancos");
    w.outTypeButtons->button(1)->click();
    w.scButBuildClick();
    const QString built = outDir() + "con blancos/a.exe";
    ASSERT_EQ(w.lastBuiltFile(), built);

    w.mnuInstall->trigger();
    EXPECT_EQ(Registry::readString(Registry::CurrentUserDesktop, "SCRNSAVE.EXE"), built);
    EXPECT_EQ(desktop.broadcasts, 1);
    EXPECT_EQ(desktop.settingsOpened, 1);

    w.mnuPreview->trigger();
    ASSERT_EQ(process.calls.size(), 1u);
    EXPECT_EQ(process.calls[0].program, built);
    EXPECT_TRUE(process.calls[0].arguments.isEmpty());
    EXPECT_EQ(messages.texts(), QStringList{"Proceso hecho "});

    // A built project closes without the question.
    w.scRdoFlaType->click();
    w.close();
    EXPECT_EQ(messages.calls.size(), 1u);
}

TEST_F(CreatorBuild, TheFolderPickerHasItsTitleAndAddsTheSeparator)
{
    TSaverForm &w = open();
    const QString before = w.outputFolder();
    w.BrowseOutputFolder(); // cancelled
    EXPECT_EQ(dialogs.folderTitles, QStringList{"Especifica un directorio  "});
    EXPECT_EQ(w.outputFolder(), before);
    setOutputFolder("/srv/salvapantallas");
    EXPECT_EQ(w.edtOutPath->text(), "/srv/salvapantallas/");
    EXPECT_EQ(w.outputFolder(), "/srv/salvapantallas/");
    setOutputFolder("/");
    EXPECT_EQ(w.outputFolder(), "/");
}

TEST_F(CreatorBuild, ABuildOfManyPicturesShowsItsProgress)
{
    TSaverForm &w = open();
    w.scchkPreviewSource->setChecked(false);
    QStringList pictures;
    for (int i = 0; i < 4; ++i) pictures << picture(QString("p%1.jpg").arg(i), QColor(60 * i, 80, 120));
    addSources(pictures);
    checkEffect(0);
    setOutputFolder(outDir());
    // Look at the window from the event loop the build keeps running.
    QStringList seen;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (w.lblBuildProgress->isVisible() && (seen.isEmpty() || seen.last() != w.lblBuildProgress->text()))
            seen << w.lblBuildProgress->text();
    });
    probe.start(0);
    w.scButBuildClick();
    probe.stop();
    EXPECT_EQ(seen, QStringList({"Imagen 1 de 4", "Imagen 2 de 4", "Imagen 3 de 4", "Imagen 4 de 4"}));
    EXPECT_FALSE(w.lblBuildProgress->isVisible());
    EXPECT_EQ(messages.texts(), QStringList{"Proceso hecho "});
}
