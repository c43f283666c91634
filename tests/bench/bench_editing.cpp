// A click on the staff as the document sees it (the request, its undo command
// and the redraw signal) with every step of the score full, undo and redo of
// such an edit, and opening and saving a dense score.
#include "bench/DenseScore.h"
#include "document/MyDocument.h"
#include "document/Preferences.h"
#include "sound/OrnWaves.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>

namespace {

QCoreApplication& application() {
    static int argc = 1;
    static char name[] = "bench_editing";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

// Each preview of a click leaves an end check of the output pending; they
// are cleared between batches, outside the timing, with the undo history.
void tidy(benchmark::State& state, MyDocument& document) {
    state.PauseTiming();
    qDeleteAll(document.findChildren<QTimer*>());
    document.undoStack()->clear();
    state.ResumeTiming();
}

void BM_ClickOnAFullScore(benchmark::State& state) {
    application();
    const OrnWaves bank;
    Preferences preferences;
    MyDocument document(&preferences);
    document.replaceScore(denseScore());
    long long redraws = 0;
    QObject::connect(&document, &MyDocument::redrawRequested, [&] { ++redraws; });
    int click = 0;
    for (auto _ : state) {
        // A note already in the full step takes the selected instrument.
        const int index = click % OrnScore::maxLength();
        document.setSelectedInst(click % 15);
        document.requestAddNoteAt(index, 1 + index % 5);
        if (++click % 256 == 0) {
            tidy(state, document);
        }
    }
    if (redraws != click) {
        state.SkipWithError("a click did not redraw");
    }
}
BENCHMARK(BM_ClickOnAFullScore)->Repetitions(9)->ReportAggregatesOnly(true);

void BM_UndoAndRedoOfAClick(benchmark::State& state) {
    application();
    Preferences preferences;
    MyDocument document(&preferences);
    document.replaceScore(denseScore());
    // Note 1 is in step 480: the edit gives it another instrument.
    document.undoableAddNoteAt(480, 1, 9);
    if (document.undoStack()->count() != 1) {
        state.SkipWithError("no undo entry");
        return;
    }
    for (auto _ : state) {
        document.undoStack()->undo();
        document.undoStack()->redo();
    }
    benchmark::DoNotOptimize(document.score().getProgAt(480, 1));
}
BENCHMARK(BM_UndoAndRedoOfAClick)->Repetitions(9)->ReportAggregatesOnly(true);

void BM_SaveADenseScore(benchmark::State& state) {
    application();
    Preferences preferences;
    MyDocument document(&preferences);
    document.replaceScore(denseScore());
    QTemporaryDir dir;
    const QString path = dir.filePath("dense score.orn");
    for (auto _ : state) {
        if (!document.saveToPath(path)) {
            state.SkipWithError("save failed");
            break;
        }
    }
}
BENCHMARK(BM_SaveADenseScore)->Repetitions(9)->ReportAggregatesOnly(true);

void BM_OpenADenseScore(benchmark::State& state) {
    application();
    Preferences preferences;
    QTemporaryDir dir;
    const QString path = dir.filePath("dense score.orn");
    {
        MyDocument document(&preferences);
        document.replaceScore(denseScore());
        if (!document.saveToPath(path)) {
            state.SkipWithError("save failed");
            return;
        }
    }
    for (auto _ : state) {
        auto opened = MyDocument::openPath(path, &preferences, nullptr);
        if (!opened) {
            state.SkipWithError("open failed");
            break;
        }
        benchmark::DoNotOptimize(opened->score().tempo());
    }
}
BENCHMARK(BM_OpenADenseScore)->Repetitions(9)->ReportAggregatesOnly(true);

} // namespace
