// What loading a movie costs the GUI thread (the header is read and, for a compressed
// movie, the whole stream inflated to make sure it is complete), and working out a MIDI
// file's length. Movie sizes are given as the uncompressed body in MiB.
#include "media/FlashPlayer.h"
#include "media/MidiLength.h"
#include "tests/support/TestMedia.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <random>

namespace {

// A movie whose frames carry `bytes` of half-compressible payload in one big tag.
QString writeMovie(const QTemporaryDir &dir, bool compressed, qsizetype bytes) {
    QByteArray payload(bytes, '\0');
    std::mt19937 rng(7);
    for (qsizetype i = 0; i < bytes; i += 2) payload[i] = char(rng());
    testmedia::SwfMovie movie;
    movie.signature = compressed ? "CWS" : "FWS";
    movie.tagsBeforeFrame = testmedia::SwfBackground(255, 0, 0) + testmedia::SwfTag(87, payload, true); // DefineBinaryData
    const QString path = dir.filePath(compressed ? "c.swf" : "f.swf");
    testmedia::WriteFile(path, testmedia::Swf(movie));
    return path;
}

void readMovie(benchmark::State &state, bool compressed) {
    QTemporaryDir dir;
    const qsizetype bytes = state.range(0) * 1024 * 1024;
    const QString path = writeMovie(dir, compressed, bytes);
    for (auto _ : state) {
        auto info = readFlashMovie(path);
        if (!info || info->frameCount != 15) state.SkipWithError("movie not read");
        benchmark::DoNotOptimize(info);
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}

void BM_ReadUncompressedMovie(benchmark::State &state) { readMovie(state, false); }
void BM_ReadCompressedMovie(benchmark::State &state) { readMovie(state, true); }
BENCHMARK(BM_ReadUncompressedMovie)->Arg(1)->Arg(16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadCompressedMovie)->Arg(1)->Arg(16)->Unit(benchmark::kMillisecond);

void BM_MidiLength(benchmark::State &state) {
    // One track of note on / note off pairs, running status, 10 000 events.
    QByteArray track;
    track += QByteArray("\x00\x90\x3C\x40", 4);
    for (int i = 0; i < 5000; ++i) track += QByteArray("\x60\x3C\x00\x00\x3C\x40", 6);
    track += QByteArray("\x00\xFF\x2F\x00", 4);
    QByteArray file = QByteArray("MThd\0\0\0\x06\0\0\0\x01\x01\xE0", 14) + "MTrk" +
                      testmedia::Le32(0) + track;
    const quint32 n = quint32(track.size());
    file[18] = char(n >> 24);
    file[19] = char(n >> 16);
    file[20] = char(n >> 8);
    file[21] = char(n);
    for (auto _ : state) benchmark::DoNotOptimize(midiLengthMs(file));
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_MidiLength);

} // namespace

BENCHMARK_MAIN();
