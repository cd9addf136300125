// nuvira-build: builds a screensaver package from the command line, with the same
// builder code as the creator.
#include "builder/BuildCommand.h"
#include "builder/WritePackage.h"
#include "cli/BuildOptions.h"
#include "package/PackageFormat.h"
#include "platform/MessageService.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

#include <cstdio>

namespace {

// The system's messages go to standard error.
class StderrMessages : public MessageService {
public:
    MsgAnswer show(const MessageBoxCall &box, QWidget *) override
    {
        std::fprintf(stderr, "nuvira-build: %s\n", box.text.toLocal8Bit().constData());
        return box.buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
    }
};

int inspect(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "nuvira-build: cannot open %s: %s\n", qPrintable(path), qPrintable(f.errorString()));
        return 1;
    }
    if (f.size() < package::TrailerSize || !f.seek(f.size() - package::TrailerSize)) {
        std::fprintf(stderr, "nuvira-build: %s is too short to be a package\n", qPrintable(path));
        return 1;
    }
    std::array<std::uint8_t, package::TrailerSize> bytes{};
    if (f.read(reinterpret_cast<char *>(bytes.data()), package::TrailerSize) != package::TrailerSize) {
        std::fprintf(stderr, "nuvira-build: cannot read %s\n", qPrintable(path));
        return 1;
    }
    package::Trailer t;
    std::string why;
    if (!package::ReadTrailer(bytes, t, &why)) {
        std::fprintf(stderr, "nuvira-build: %s: bad trailer: %s\n", qPrintable(path), why.c_str());
        return 1;
    }
    long long pieces = 0;
    for (auto s : t.sizes) pieces += s;
    std::printf("file size: %lld\n", (long long)f.size());
    std::printf("runtime size: %lld\n", (long long)(f.size() - package::TrailerSize - pieces));
    std::printf("saver type: %d (%s)\n", t.saverType, t.isPictures() ? "pictures" : "flash");
    std::printf("music flag: %d\n", t.musicFlag);
    std::printf("file count: %d\n", t.fileCount);
    std::printf("quit mode: %d\n", t.quitMode);
    std::printf("reserved: %d\n", t.reserved);
    if (t.isPictures()) {
        std::printf("music count: %d\n", t.musicCount());
        std::printf("music kinds:");
        for (auto k : t.musicKinds) std::printf(" %c", k);
        std::printf("\ninterval: %d\n", t.interval);
        std::printf("effects:");
        for (int k = 0; k < package::EffectFlagCount; ++k)
            if (t.effectFlags[std::size_t(k)]) std::printf(" %d", k);
        std::printf("\n");
    }
    std::printf("sizes:");
    for (auto s : t.sizes) std::printf(" %d", s);
    std::printf("\n");
    return 0;
}

bool displayPresent()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty()) return platform != "offscreen" && platform != "minimal";
    return !qgetenv("DISPLAY").isEmpty() || !qgetenv("WAYLAND_DISPLAY").isEmpty();
}

} // namespace

int main(int argc, char **argv)
{
    const bool display = displayPresent();
    if (!display) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("NUVIRA "));
    StderrMessages messages;
    MessageService::install(&messages);

    BuildOptions o;
    if (const QString error = ParseBuildOptions(app.arguments().mid(1), o); !error.isEmpty()) {
        std::fprintf(stderr, "nuvira-build: %s\n%s", qPrintable(error), BuildUsage);
        return 2;
    }
    if (o.help) {
        std::fputs(BuildUsage, stdout);
        return 0;
    }
    if (!o.inspect.isEmpty()) return inspect(o.inspect);

    if (o.files.isEmpty()) {
        MessageService::message(QStringLiteral("Selecciona imagenes o un archivo Swf primero"));
        return 1;
    }
    if (o.output.isEmpty()) {
        std::fprintf(stderr, "nuvira-build: -o OUTPUT is required\n%s", BuildUsage);
        return 2;
    }
    if (o.flash && !o.music.isEmpty()) {
        MessageService::message(QStringLiteral("En Flash no se puede poner sonidos ."));
        return 2;
    }
    PackageSettings s;
    s.saverType = o.flash ? SaverType::Flash : SaverType::Pictures;
    s.musicFiles = o.music;
    s.quitRule = o.quit.value_or(o.flash ? 3 : 1);
    s.delaySeconds = o.delay;
    s.enabledEffects = o.effects;
    s.mask.checked = false;
    QScreen *primary = display ? QGuiApplication::primaryScreen() : nullptr;
    s.screen = o.screen.value_or(primary ? primary->size() : QSize(1920, 1080));
    if (!o.flash && s.enabledEffects.isEmpty()) {
        MessageService::message(QStringLiteral("Selecciona al menos un efecto para el proyector scr "));
        return 1;
    }
    if (const QString problem = PackageLimitProblem(o.files, s); !problem.isEmpty()) {
        MessageService::message(problem);
        return 1;
    }
    for (const QString &f : o.files + o.music) {
        if (!QFileInfo(f).isFile()) {
            std::fprintf(stderr, "nuvira-build: cannot read %s\n", qPrintable(f));
            return 1;
        }
    }

    const QString output = ReplaceExtension(o.output, o.exe ? QStringLiteral(".exe") : QStringLiteral(".scr"));
    if (!ExtractRuntime(QStringLiteral("exefile"), QStringLiteral("head"), output)) {
        std::fprintf(stderr, "nuvira-build: cannot write %s\n", qPrintable(output));
        QFile::remove(output);
        return 1;
    }
    if (!WritePackage(output, o.files, s)) {
        QFile::remove(output);
        MessageService::message(QStringLiteral("Proceso falló !"));
        return 1;
    }
    std::printf("%s\n", qPrintable(output));
    return 0;
}
