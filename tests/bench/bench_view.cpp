// One display tick of playback on a 1920 × 132-unit staff view: the tick's
// scrollTo and the widget's paint, at zoom 1 and 2. Besides the mean, every
// tick is timed, by the wall clock and by the thread's CPU time, and the
// median and 99th percentile of each are reported as counters.
#include "DenseScore.h"
#include "display/MyIcons.h"
#include "display/OrnView.h"
#include "display/OrnViewDocument.h"

#include <QApplication>
#include <QSlider>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <vector>

namespace {

class PlayingDocument : public OrnViewDocument {
  public:
    bool isPlaying() const override { return true; }
    const OrnScore& score() const override { return *_score; }
    void requestAddNoteAt(int, int) override {}
    void requestRemoveNoteAt(int, int) override {}
    void changeInstRelatively(int) override {}
    void dropFile(const QString&, bool) override {}
    int verticalWheelFor() const override { return 0; }

  private:
    std::unique_ptr<OrnScore> _score = denseScore();
};

struct Fixture {
    Fixture() {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "bench_view";
        static char* argv[] = {name, nullptr};
        app = std::make_unique<QApplication>(argc, argv);
        icons = std::make_unique<MyIcons>();
    }
    std::unique_ptr<QApplication> app;
    std::unique_ptr<MyIcons> icons;
    PlayingDocument document;
};

double threadCpuMicroseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

double percentile(std::vector<double> values, int percent) {
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1,
                           values.size() * static_cast<std::size_t>(percent) / 100)];
}

Fixture& fixture() {
    // Built on first use and kept for the whole run.
    static Fixture* f = new Fixture;
    return *f;
}

void BM_PlayingTick(benchmark::State& state) {
    auto& f = fixture();
    const int zoom = static_cast<int>(state.range(0));
    QSlider slider;
    OrnView view(f.document, slider);
    view.setZoom(zoom);
    view.setMinimumHeight(0);
    view.resize(1920 * zoom, 132 * zoom);
    view.show();
    QApplication::processEvents();
    view.repaint();

    // A tick at 60 frames a second of a score at tempo 100.
    constexpr float kStepsPerTick = 100.0f / 60.0f / 60.0f;
    float position = 100.0f;
    std::vector<double> wall;
    std::vector<double> cpu;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = threadCpuMicroseconds();
        position = position < 800.0f ? position + kStepsPerTick : 100.0f;
        view.scrollTo(position, true);
        view.repaint();
        cpu.push_back(threadCpuMicroseconds() - cpuStart);
        wall.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                .count());
    }
    // The wall clock includes the time other processes took the core.
    state.counters["median_us"] = percentile(wall, 50);
    state.counters["p99_us"] = percentile(wall, 99);
    state.counters["cpu_median_us"] = percentile(cpu, 50);
    state.counters["cpu_p99_us"] = percentile(cpu, 99);
}

} // namespace

BENCHMARK(BM_PlayingTick)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
