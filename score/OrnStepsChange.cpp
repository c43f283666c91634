#include "score/OrnStepsChange.h"

#include "score/OrnScore.h"
#include "score/OrnScoreReader.h"

#include <algorithm>
#include <memory>
#include <string_view>

namespace {

constexpr int kSteps = OrnScore::maxLength();
constexpr int kCellsPerStep = OrnScore::maxNotes();

std::size_t cellCount(int steps) {
    return static_cast<std::size_t>(steps * kCellsPerStep);
}

std::vector<OrnNote> emptySteps(int steps) {
    return std::vector<OrnNote>(cellCount(steps), OrnNote{-1, 0});
}

// Keeps only the steps from the first to the last one that differ.
void trim(OrnStepsChange& change) {
    const int steps = static_cast<int>(change.before.size()) / kCellsPerStep;
    auto differs = [&change](int step) {
        const auto at = static_cast<std::ptrdiff_t>(cellCount(step));
        return !std::equal(change.before.begin() + at, change.before.begin() + at + kCellsPerStep,
                           change.after.begin() + at);
    };
    int from = 0;
    while (from < steps && !differs(from)) {
        ++from;
    }
    int to = steps;
    while (to > from && !differs(to - 1)) {
        --to;
    }
    const auto keep = [from, to](std::vector<OrnNote>& cells) {
        cells = std::vector<OrnNote>(cells.begin() + static_cast<std::ptrdiff_t>(cellCount(from)),
                                     cells.begin() + static_cast<std::ptrdiff_t>(cellCount(to)));
    };
    keep(change.before);
    keep(change.after);
    change.first += from;
}

OrnStepsChange startChange(const OrnScore& score, int first) {
    OrnStepsChange change;
    change.first = first;
    change.before = score.stepCells(first, kSteps - first);
    change.endBefore = score.end();
    change.endAfter = score.end();
    return change;
}

} // namespace

void OrnStepsChange::apply(OrnScore& score, bool forward) const {
    score.setStepCells(first, forward ? after : before);
    score.setEnd(forward ? endAfter : endBefore);
}

OrnStepsChange OrnStepsChange::deleting(const OrnScore& score, int first, int count) {
    first = std::clamp(first, 0, kSteps);
    count = std::clamp(count, 0, kSteps - first);
    OrnStepsChange change = startChange(score, first);
    change.after = score.stepCells(first + count, kSteps - first - count);
    const std::vector<OrnNote> tail = emptySteps(count);
    change.after.insert(change.after.end(), tail.begin(), tail.end());
    const int end = change.endBefore;
    if (end > first) {
        change.endAfter = std::max({first, end - count, 1});
    }
    trim(change);
    return change;
}

OrnStepsChange OrnStepsChange::inserting(const OrnScore& score, int first, int count) {
    first = std::clamp(first, 0, kSteps);
    count = std::clamp(count, 0, kSteps - first);
    OrnStepsChange change = startChange(score, first);
    change.after = emptySteps(count);
    const std::vector<OrnNote> kept = score.stepCells(first, kSteps - first - count);
    change.after.insert(change.after.end(), kept.begin(), kept.end());
    change.droppedNotes = countNotes(score.stepCells(kSteps - count, count));
    if (change.endBefore > first) {
        change.endAfter = std::min(kSteps, change.endBefore + count);
    }
    trim(change);
    return change;
}

OrnStepsChange OrnStepsChange::writing(const OrnScore& score, int at,
                                       std::span<const OrnNote> cells, int endOffset) {
    at = std::clamp(at, 0, kSteps);
    const int steps = static_cast<int>(cells.size()) / kCellsPerStep;
    const int fits = std::min(steps, kSteps - at);
    OrnStepsChange change = startChange(score, at);
    change.before.resize(cellCount(fits));
    change.after.assign(cells.begin(),
                        cells.begin() + static_cast<std::ptrdiff_t>(cellCount(fits)));
    change.droppedNotes = countNotes(cells.subspan(cellCount(fits)));
    const int reach = endOffset >= 0 && endOffset < steps ? std::min(endOffset, fits) : fits;
    if (fits > 0) {
        change.endAfter = std::max(change.endBefore, at + reach);
    }
    trim(change);
    return change;
}

OrnStepsChange OrnStepsChange::replacing(const OrnScore& score, const OrnScore& song) {
    OrnStepsChange change = startChange(score, 0);
    change.after = song.stepCells(0, kSteps);
    change.endAfter = song.end();
    trim(change);
    return change;
}

int countNotes(std::span<const OrnNote> cells) {
    return static_cast<int>(std::count_if(cells.begin(), cells.end(), [](const OrnNote& cell) {
        return midiNoteToOrnNote(cell.midiNote) != 0;
    }));
}

std::string stepsText(const OrnScore& score, int first, int count) {
    first = std::clamp(first, 0, kSteps);
    count = std::clamp(count, 0, kSteps - first);
    auto part = std::make_unique<OrnScore>();
    part->setTempo(score.tempo());
    part->setMeasure(score.measure());
    part->setLoop(score.loop());
    part->setEnd(count);
    part->setStepCells(0, score.stepCells(first, count));
    std::string text = part->toString();
    const int offset = score.end() - first;
    if (offset >= 0 && offset < count) {
        // Each END line moves the end mark on from where the last one put it.
        const std::string line = "\nEND=" + std::to_string(count + 1) + "\n";
        const std::size_t at = text.find(line);
        if (at != std::string::npos) {
            text.replace(at, line.size(),
                         "\nEND=" + std::to_string(offset + 1) +
                             "\nEND=" + std::to_string(count - offset + 1) + "\n");
        }
    }
    return text;
}

bool stepsOfText(std::span<const std::uint8_t> text, std::vector<OrnNote>* cells, int* endOffset) {
    const auto score = std::make_unique<OrnScore>(text);
    if (!score->isValid()) {
        return false;
    }
    const int steps = std::clamp(score->end(), 0, kSteps);
    *cells = score->stepCells(0, steps);
    if (endOffset != nullptr) {
        *endOffset = -1;
        const std::string_view view(reinterpret_cast<const char*>(text.data()), text.size());
        const std::size_t line = view.starts_with("END=") ? 0 : view.find("\nEND=");
        if (line != std::string_view::npos) {
            const std::size_t value = view.find('=', line) + 1;
            int first = 0;
            loadNumber(&first, view.data() + value, view.size() - value);
            if (first >= 1 && first - 1 < steps) {
                *endOffset = first - 1;
            }
        }
    }
    return true;
}
