#include "effects/tools/EffectTool.h"

#include "effects/ShowEffect.h"

#include <QImageReader>
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

std::optional<int> parseNumber(const QString &option, const QString &text, int lo, int hi)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < lo || v > hi) {
        std::fprintf(stderr, "%s needs a whole number from %d to %d, not \"%s\"\n", qPrintable(option),
                     lo, hi, qPrintable(text));
        return std::nullopt;
    }
    return v;
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

void prepareHeadlessGui()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

QStringList programArguments(int argc, char **argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return args;
}
