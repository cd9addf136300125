// effect-frame --style N --progress P [--step S] OLD NEW OUT.png
// Renders one frame of effect N: the screen starts as OLD, NEW is the picture coming in.
#include "effects/ShowEffect.h"
#include "effects/tools/EffectTool.h"

#include <QStringList>
#include <cstdio>

static void usage()
{
    std::fprintf(stderr, "usage: effect-frame --style N --progress P [--step S] OLD NEW OUT.png\n"
                         "  N: effect number 1..%d; P: 0..100 (0 the old screen, 100 the new "
                         "picture); S: 1..100, default 4\n",
                 EffectCount);
}

int main(int argc, char **argv)
{
    const EffectToolApp app(argc, argv);
    int style = 0, progress = -1, step = 4; // 0 and -1: not given
    QStringList files;
    if (const auto end = parseArguments(app.args,
                                        {{"--style", 1, EffectCount, &style},
                                         {"--progress", 0, 100, &progress},
                                         {"--step", 1, 100, &step}},
                                        files, usage))
        return *end;
    if (style == 0 || progress < 0 || files.size() != 3) {
        usage();
        return 2;
    }
    const auto pictures = loadPicturePair(files[0], files[1]);
    if (!pictures)
        return 1;
    const auto &[oldScreen, picture] = *pictures;
    return savePng(renderFrame(oldScreen, picture, style, step, progress), files[2]) ? 0 : 1;
}
