// effect-sheet [--step S] [--from N] [--to M] [--thumb WIDTH] OLD NEW OUT.png
// A contact sheet of the effects N..M (default all) at progress 25, 50 and 75, each row of
// three thumbnails labelled with the effect's number and name.
#include "effects/ShowEffect.h"
#include "effects/tools/EffectTool.h"

#include <QPainter>
#include <QStringList>
#include <cstdio>

static void usage()
{
    std::fprintf(stderr,
                 "usage: effect-sheet [--step S] [--from N] [--to M] [--thumb WIDTH] OLD NEW OUT.png\n"
                 "  S: 1..100, default 4; N, M: effect numbers 1..%d; WIDTH: thumbnail width "
                 "16..1024, default 160\n",
                 EffectCount);
}

int main(int argc, char **argv)
{
    const EffectToolApp app(argc, argv);
    int step = 4, from = 1, to = EffectCount, thumbW = 160;
    QStringList files;
    if (const auto end = parseArguments(app.args,
                                        {{"--step", 1, 100, &step},
                                         {"--from", 1, EffectCount, &from},
                                         {"--to", 1, EffectCount, &to},
                                         {"--thumb", 16, 1024, &thumbW}},
                                        files, usage))
        return *end;
    if (files.size() != 3 || from > to) {
        usage();
        return 2;
    }
    const auto pictures = loadPicturePair(files[0], files[1]);
    if (!pictures)
        return 1;
    const QImage &oldScreen = pictures->first;
    const QImage &picture = pictures->second;

    const int thumbH = std::max(1, thumbW * picture.height() / picture.width());
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
            const QImage frame = renderFrame(oldScreen, picture, n, step, progresses[j]);
            p.drawImage(QRect(x0 + j * (thumbW + 2), y0 + label, thumbW, thumbH), frame);
        }
    }
    p.end();
    return savePng(sheet, files[2]) ? 0 : 1;
}
