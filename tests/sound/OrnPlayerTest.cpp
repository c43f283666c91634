#include "sound/OrnPlayer.h"

#include "sound/OrnWaves.h"
#include "sound/ScoreRender.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A looping score of `end` steps at tempo 600 with one short note at step 1.
std::unique_ptr<OrnScore> loopingScore(int end) {
    auto score = std::make_unique<OrnScore>();
    score->setTempo(600);
    score->setEnd(end);
    score->setLoop(true);
    score->addNoteAt(1, 9, 7);
    return score;
}

// The engine alone, without a document: a looping score plays the passes
// asked for and then rings out; each pass adds exactly one pass of frames.
TEST(OrnPlayer, PlaysTheAskedPassesThenRingsOut) {
    const OrnWaves bank;
    const auto score = loopingScore(6);
    const int n = OrnPlayer::stepLength(600, 0);
    std::vector<long long> frames;
    for (const int loops : {1, 2, 5}) {
        OrnPlayer player(score.get());
        frames.push_back(renderScore(player, *score, loops, [](std::span<const float>) {
            return true;
        }));
        EXPECT_FALSE(player.isPlaying()) << loops;
    }
    EXPECT_GE(frames[0], 6LL * n);
    EXPECT_EQ(frames[1] - frames[0], 6LL * n);
    EXPECT_EQ(frames[2] - frames[0], 4 * 6LL * n);
}

TEST(OrnPlayer, LoopsUntilHaltedWhenEndless) {
    const OrnWaves bank;
    const auto score = loopingScore(3);
    OrnPlayer player(score.get());
    player.restart();
    const int n = OrnPlayer::stepLength(600, 0);
    std::vector<float> left(static_cast<std::size_t>(n));
    std::vector<float> right(static_cast<std::size_t>(n));
    int wraps = 0;
    int last = -1;
    for (long long done = 0; done < 20LL * 3 * n;) {
        done += player.renderFrames(left.data(), right.data(), n);
        const int step = player.syncData()->playingIndex();
        wraps += step < last ? 1 : 0;
        last = step;
        EXPECT_TRUE(player.loopsAgain(*score));
    }
    EXPECT_EQ(wraps, 19);
    player.halt();
    EXPECT_FALSE(player.isPlaying());
}

} // namespace
