#pragma once

#include "score/OrnScore.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <span>
#include <string>
#include <string_view>

namespace scoretest {

inline std::span<const std::uint8_t> bytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

inline std::unique_ptr<OrnScore> load(std::string_view text) {
    return std::make_unique<OrnScore>(bytes(text));
}

// The five lines of a score text with the given values, LF ended.
inline std::string text(const std::string& score, const std::string& tempo = "TEMPO=120",
                        const std::string& loop = "LOOP=FALSE", const std::string& end = "END=961",
                        const std::string& time44 = "TIME44=TRUE") {
    return score + "\n" + tempo + "\n" + loop + "\n" + end + "\n" + time44 + "\n";
}

// A score with random settings and notes: every step gets up to three
// distinct notes with progs 1..15.
inline std::unique_ptr<OrnScore> randomScore(unsigned seed, int end) {
    std::mt19937 rng(seed);
    auto score = std::make_unique<OrnScore>();
    score->setTempo(std::uniform_int_distribution<int>(1, 999)(rng));
    score->setMeasure(std::uniform_int_distribution<int>(0, 1)(rng) ? 4 : 3);
    score->setLoop(std::uniform_int_distribution<int>(0, 1)(rng) != 0);
    score->setEnd(end);
    std::uniform_int_distribution<int> count(0, 3), note(1, 13), prog(1, 15);
    for (int index = 0; index < OrnScore::maxLength(); ++index) {
        for (int k = count(rng); k > 0; --k) {
            score->addNoteAt(index, note(rng), prog(rng));
        }
    }
    return score;
}

// Compares settings and the cells of steps [0, steps).
inline ::testing::AssertionResult sameScore(const OrnScore& a, const OrnScore& b, int steps) {
    if (a.tempo() != b.tempo() || a.measure() != b.measure() || a.end() != b.end() ||
        a.loop() != b.loop()) {
        return ::testing::AssertionFailure() << a.description() << " vs " << b.description();
    }
    for (int index = 0; index < steps; ++index) {
        for (int y = 0; y < OrnScore::maxNotes(); ++y) {
            const auto& ca = a.cellAt(index, y);
            const auto& cb = b.cellAt(index, y);
            if (ca.midiNote != cb.midiNote || ca.prog != cb.prog) {
                return ::testing::AssertionFailure()
                       << "cell " << index << "," << y << ": (" << ca.midiNote << "," << ca.prog
                       << ") vs (" << cb.midiNote << "," << cb.prog << ")";
            }
        }
    }
    return ::testing::AssertionSuccess();
}

// The stored notes as "step:note/prog ..." in step order, then the end mark.
inline std::string describeNotes(const OrnScore& score) {
    std::string text;
    for (int index = 0; index < OrnScore::maxLength(); ++index) {
        for (int y = 0; y < OrnScore::maxNotes(); ++y) {
            if (const OrnNote cell = score.cellAt(index, y); cell.midiNote != -1) {
                text += std::to_string(index) + ":" +
                        std::to_string(midiNoteToOrnNote(cell.midiNote)) + "/" +
                        std::to_string(cell.prog) + " ";
            }
        }
    }
    return text + "end=" + std::to_string(score.end());
}

} // namespace scoretest
