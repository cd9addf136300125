// effect-frame --style N --progress P [--step S] OLD NEW OUT.png
// Renders one frame of effect N: the screen starts as OLD, NEW is the picture coming in.
#include "effects/ShowEffect.h"
#include "effects/tools/EffectTool.h"

#include <QGuiApplication>
#include <QStringList>
#include <cstdio>

static int usage()
{
    std::fprintf(stderr, "usage: effect-frame --style N --progress P [--step S] OLD NEW OUT.png\n"
                         "  N: effect number 1..%d; P: 0..100 (0 the old screen, 100 the new "
                         "picture); S: 1..100, default 4\n",
                 EffectCount);
    return 2;
}

int main(int argc, char **argv)
{
    // Our options are read before Qt sees them: Qt would take "--style" for its own.
    const QStringList args = programArguments(argc, argv);
    prepareHeadlessGui();
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    std::optional<int> style, progress;
    int step = 4;
    QStringList files;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == "--style" || a == "--progress" || a == "--step") {
            if (i + 1 >= args.size()) {
                std::fprintf(stderr, "%s needs a value\n", qPrintable(a));
                return usage();
            }
            const QString v = args[++i];
            std::optional<int> n = a == "--style"      ? parseNumber(a, v, 1, EffectCount)
                                   : a == "--progress" ? parseNumber(a, v, 0, 100)
                                                       : parseNumber(a, v, 1, 100);
            if (!n)
                return usage();
            if (a == "--style")
                style = n;
            else if (a == "--progress")
                progress = n;
            else
                step = *n;
        } else if (a == "--help" || a == "-h") {
            usage();
            return 0;
        } else if (a.startsWith("--")) {
            std::fprintf(stderr, "unknown option %s\n", qPrintable(a));
            return usage();
        } else {
            files << a;
        }
    }
    if (!style || !progress || files.size() != 3)
        return usage();
    const auto oldScreen = loadPicture(files[0]);
    const auto picture = loadPicture(files[1]);
    if (!oldScreen || !picture)
        return 1;
    if (oldScreen->size() != picture->size()) {
        std::fprintf(stderr, "OLD is %dx%d but NEW is %dx%d; both pictures must have the same size\n",
                     oldScreen->width(), oldScreen->height(), picture->width(), picture->height());
        return 1;
    }
    const QImage frame = renderFrame(*oldScreen, *picture, *style, step, *progress);
    if (!frame.save(files[2], "PNG")) {
        std::fprintf(stderr, "Cannot write %s\n", qPrintable(files[2]));
        return 1;
    }
    return 0;
}
