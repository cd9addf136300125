// effect-sheet [--step S] [--from N] [--to M] [--thumb WIDTH] OLD NEW OUT.png
// A contact sheet of the effects N..M (default all) at progress 25, 50 and 75, each row of
// three thumbnails labelled with the effect's number and name.
#include "effects/ShowEffect.h"
#include "effects/tools/EffectTool.h"

#include <QGuiApplication>
#include <QPainter>
#include <QStringList>
#include <cstdio>

static int usage()
{
    std::fprintf(stderr,
                 "usage: effect-sheet [--step S] [--from N] [--to M] [--thumb WIDTH] OLD NEW OUT.png\n"
                 "  S: 1..100, default 4; N, M: effect numbers 1..%d; WIDTH: thumbnail width "
                 "16..1024, default 160\n",
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
    int step = 4, from = 1, to = EffectCount, thumbW = 160;
    QStringList files;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == "--step" || a == "--from" || a == "--to" || a == "--thumb") {
            if (i + 1 >= args.size()) {
                std::fprintf(stderr, "%s needs a value\n", qPrintable(a));
                return usage();
            }
            const QString v = args[++i];
            std::optional<int> n = a == "--step"    ? parseNumber(a, v, 1, 100)
                                   : a == "--thumb" ? parseNumber(a, v, 16, 1024)
                                                    : parseNumber(a, v, 1, EffectCount);
            if (!n)
                return usage();
            (a == "--step" ? step : a == "--from" ? from : a == "--to" ? to : thumbW) = *n;
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
    if (files.size() != 3 || from > to)
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
    if (picture->width() < 1 || picture->height() < 1) {
        std::fprintf(stderr, "the pictures are empty\n");
        return 1;
    }

    const int thumbH = std::max(1, thumbW * picture->height() / picture->width());
    const int progresses[] = {25, 50, 75};
    const int gap = 6, label = 16;
    const int cellW = 3 * thumbW + 2 * 2 + gap;
    const int cellH = label + thumbH + gap;
    const int count = to - from + 1;
    const int columns = std::min(count, std::max(1, 1900 / cellW));
    const int rows = (count + columns - 1) / columns;
    QImage sheet(columns * cellW + gap, rows * cellH + gap, QImage::Format_RGB32);
    sheet.fill(QColor(40, 40, 40));
    QPainter p(&sheet);
    QFont font = p.font();
    font.setPixelSize(11);
    p.setFont(font);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    for (int n = from; n <= to; ++n) {
        const int k = n - from;
        const int x0 = gap + (k % columns) * cellW;
        const int y0 = gap + (k / columns) * cellH;
        p.setPen(Qt::white);
        p.drawText(QRect(x0, y0, cellW - gap, label), Qt::AlignLeft | Qt::AlignVCenter,
                   QString("%1 %2").arg(n).arg(EffectNameOf(n)));
        for (int j = 0; j < 3; ++j) {
            const QImage frame = renderFrame(*oldScreen, *picture, n, step, progresses[j]);
            p.drawImage(QRect(x0 + j * (thumbW + 2), y0 + label, thumbW, thumbH), frame);
        }
    }
    p.end();
    if (!sheet.save(files[2], "PNG")) {
        std::fprintf(stderr, "Cannot write %s\n", qPrintable(files[2]));
        return 1;
    }
    return 0;
}
