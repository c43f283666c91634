// Reading and writing a dense full-form score: all 960 steps hold three notes.
#include "score/OrnScore.h"

#include <benchmark/benchmark.h>

#include "bench/DenseScore.h"

#include <memory>
#include <string>
#include <vector>

namespace {

void BM_ReadDenseFullForm(benchmark::State& state) {
    const auto text = denseScore()->data();
    auto score = std::make_unique<OrnScore>();
    for (auto _ : state) {
        score->clearAllNotes();
        benchmark::DoNotOptimize(score->loadData(text));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReadDenseFullForm)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_WriteDenseFullForm(benchmark::State& state) {
    const auto score = denseScore();
    char buffer[OrnScore::kTextBufferSize];
    for (auto _ : state) {
        score->makeCString(buffer);
        benchmark::DoNotOptimize(buffer);
    }
}
BENCHMARK(BM_WriteDenseFullForm)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

namespace {

// Texts of the command line's largest size (1 MiB) in shapes that make the
// reader work hardest: many short SCORE lines, one long value continued
// over many lines, and many keyword lines.
std::vector<std::uint8_t> repeated(const std::string& head, const std::string& unit) {
    std::string text = head;
    while (text.size() + unit.size() <= 1024 * 1024) {
        text += unit;
    }
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

void readLargeText(benchmark::State& state, const std::vector<std::uint8_t>& text) {
    auto score = std::make_unique<OrnScore>();
    for (auto _ : state) {
        benchmark::DoNotOptimize(score->loadData(text));
    }
}

void BM_ReadManyScoreLines(benchmark::State& state) {
    readLargeText(state, repeated("TEMPO=1\nLOOP=TRUE\nEND=1\nTIME44=TRUE\n", "SCORE=0011\n"));
}
BENCHMARK(BM_ReadManyScoreLines)->Unit(benchmark::kMillisecond);

void BM_ReadContinuedScoreValue(benchmark::State& state) {
    readLargeText(state, repeated("SCORE=", "0011 0\n"));
}
BENCHMARK(BM_ReadContinuedScoreValue)->Unit(benchmark::kMillisecond);

void BM_ReadManyKeywordLines(benchmark::State& state) {
    readLargeText(state, repeated("SCORE=0\n", "TEMPO=120\nEND=1\nTIME44\n=TRUE\nLOOP= x\n"));
}
BENCHMARK(BM_ReadManyKeywordLines)->Unit(benchmark::kMillisecond);

} // namespace
