#pragma once

#include "score/OrnScore.h"

#include <memory>

// The benchmarks' busiest score: all 960 steps hold three notes of mixed
// instruments, at tempo 100.
inline std::unique_ptr<OrnScore> denseScore() {
    auto score = std::make_unique<OrnScore>();
    for (int index = 0; index < OrnScore::maxLength(); ++index) {
        score->addNoteAt(index, 1 + index % 5, 1 + index % 15);
        score->addNoteAt(index, 6 + index % 4, 1 + (index + 5) % 15);
        score->addNoteAt(index, 10 + index % 4, 1 + (index + 10) % 15);
    }
    score->setTempo(100);
    return score;
}
