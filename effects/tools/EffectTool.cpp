#include "effects/tools/EffectTool.h"

#include "effects/ShowEffect.h"

#include <QImageReader>
#include <algorithm>
#include <cstdio>

std::optional<QImage> loadPicture(const QString &path)
{
    QImageReader reader(path);
    QImage img = reader.read();
    if (img.isNull()) {
        std::fprintf(stderr, "Cannot read picture %s: %s\n", qPrintable(path),
                     qPrintable(reader.errorString()));
        return std::nullopt;
    }
    return img.convertToFormat(QImage::Format_RGB32);
}

std::optional<std::pair<QImage, QImage>> loadPicturePair(const QString &oldPath, const QString &newPath)
{
    auto oldScreen = loadPicture(oldPath);
    auto picture = loadPicture(newPath);
    if (!oldScreen || !picture)
        return std::nullopt;
    if (oldScreen->size() != picture->size()) {
        std::fprintf(stderr, "OLD is %dx%d but NEW is %dx%d; both pictures must have the same size\n",
                     oldScreen->width(), oldScreen->height(), picture->width(), picture->height());
        return std::nullopt;
    }
    return std::pair{std::move(*oldScreen), std::move(*picture)};
}

bool savePng(const QImage &image, const QString &path)
{
    if (image.save(path, "PNG"))
        return true;
    std::fprintf(stderr, "Cannot write %s\n", qPrintable(path));
    return false;
}

std::optional<int> parseArguments(const QStringList &args, const std::vector<NumberOption> &options,
                                  QStringList &files, void (*usage)())
{
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        const auto option = std::find_if(options.begin(), options.end(),
                                         [&](const NumberOption &o) { return a == QLatin1String(o.name); });
        if (option != options.end()) {
            if (i + 1 >= args.size()) {
                std::fprintf(stderr, "%s needs a value\n", qPrintable(a));
                usage();
                return 2;
            }
            const QString &text = args[++i];
            bool ok = false;
            const int v = text.toInt(&ok);
            if (!ok || v < option->lo || v > option->hi) {
                std::fprintf(stderr, "%s needs a whole number from %d to %d, not \"%s\"\n", qPrintable(a),
                             option->lo, option->hi, qPrintable(text));
                usage();
                return 2;
            }
            *option->value = v;
        } else if (a == "--help" || a == "-h") {
            usage();
            return 0;
        } else if (a.startsWith("--")) {
            std::fprintf(stderr, "unknown option %s\n", qPrintable(a));
            usage();
            return 2;
        } else {
            files << a;
        }
    }
    return std::nullopt;
}

QImage renderFrame(const QImage &oldScreen, const QImage &picture, int style, int step, int progress)
{
    QImage screen = oldScreen.copy();
    if (progress >= 100)
        return picture.copy();
    if (progress <= 0)
        return screen;
    if (TEffectProc proc = EffectProcOf(style))
        proc(screen, picture, QRect(0, 0, picture.width(), picture.height()), step, progress);
    return screen;
}

namespace {
QStringList argumentsAfterName(int argc, char **argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    // Set here, before the application below is made.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return args;
}
} // namespace

EffectToolApp::EffectToolApp(int argc, char **argv) : args(argumentsAfterName(argc, argv)), m_app(m_qtArgc, argv) {}
