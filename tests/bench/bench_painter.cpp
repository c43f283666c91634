// Frame paints of a 1920-wide staff: a whole frame, and the incremental
// frame of playback (a scroll of 1/60 s at tempo 100, 100/3600 of a step).
#include "display/MyIcons.h"
#include "display/OrnPainter.h"
#include "score/OrnScore.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <memory>

namespace {

struct Fixture {
    Fixture() {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "bench_painter";
        static char* argv[] = {name, nullptr};
        app = std::make_unique<QGuiApplication>(argc, argv);
        icons = std::make_unique<MyIcons>();
        painter = std::make_unique<OrnPainter>();
        // A busy score: three notes on every step, ledger lines included.
        for (int step = 0; step < 960; ++step) {
            score.addNoteAt(step, 1 + step % 13, 1 + step % 15);
            score.addNoteAt(step, 1 + (step + 5) % 13, 1 + (step + 3) % 15);
            score.addNoteAt(step, 12 + step % 2, 1 + (step + 7) % 15);
        }
    }
    std::unique_ptr<QGuiApplication> app;
    std::unique_ptr<MyIcons> icons;
    std::unique_ptr<OrnPainter> painter;
    OrnScore score;
};

Fixture& fixture() {
    // Built on first use and kept for the whole run.
    static Fixture* f = new Fixture;
    return *f;
}

QImage offscreen(int ratio) {
    QImage image(1920 * ratio, 132 * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::black);
    return image;
}

void BM_FullFrame(benchmark::State& state) {
    auto& f = fixture();
    const int ratio = static_cast<int>(state.range(0));
    QImage image = offscreen(ratio);
    OrnImageInfo info;
    setOrnImageInfoSize(info, 1920, 132);
    float position = 100.0f;
    for (auto _ : state) {
        QPainter painter(&image);
        f.painter->paint(painter, info, f.score, position);
        position = position < 800.0f ? position + 1.0f : 100.0f;
    }
}

void BM_IncrementalFrame(benchmark::State& state) {
    auto& f = fixture();
    const int ratio = static_cast<int>(state.range(0));
    QImage images[2] = {offscreen(ratio), offscreen(ratio)};
    OrnImageInfo info;
    setOrnImageInfoSize(info, 1920, 132);
    float position = 100.0f;
    int current = 0;
    {
        QPainter painter(&images[current]);
        f.painter->paint(painter, info, f.score, position);
    }
    // The view's two images alternate: each frame is built from the other.
    constexpr float kStepsPerFrame = 100.0f / 60.0f / 60.0f;
    for (auto _ : state) {
        position = position < 800.0f ? position + kStepsPerFrame : 100.0f;
        const QImage& prev = images[current];
        current = 1 - current;
        QPainter painter(&images[current]);
        f.painter->paint(painter, info, f.score, position, &prev);
    }
}

} // namespace

BENCHMARK(BM_FullFrame)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_IncrementalFrame)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
