#include "sound/OrnPlayer.h"
#include "sound/OrnWaves.h"
#include "sound/ScoreRender.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

constexpr int kTempo = 600;

std::unique_ptr<OrnScore> score(int end, bool loop, const std::vector<int>& noteSteps) {
    auto s = std::make_unique<OrnScore>();
    s->setTempo(kTempo);
    s->setEnd(end);
    s->setLoop(loop);
    for (const int step : noteSteps) {
        s->addNoteAt(step, 9, 1);
    }
    return s;
}

std::vector<float> render(const OrnScore& s, RenderPasses passes) {
    OrnPlayer player(&s);
    player.syncData()->setVolume(1.0f);
    std::vector<float> frames;
    renderScore(player, s, passes, [&](std::span<const float> block) {
        frames.insert(frames.end(), block.begin(), block.end());
        return true;
    });
    return frames;
}

std::vector<float> tail(const std::vector<float>& frames, long long skipFrames) {
    return {frames.begin() + 2 * skipFrames, frames.end()};
}

TEST(PlayFrom, TheFirstFrameBeginsTheAskedStep) {
    const OrnWaves bank;
    const struct {
        bool loop;
        int from;
        int first; // the step the first frame plays
    } cases[] = {{false, 0, 0}, {false, 5, 5}, {true, 7, 7},
                 {true, 8, 0},  {true, 30, 0}, {false, 8, 8}};
    for (const auto& c : cases) {
        const auto sOwned = score(8, c.loop, {1});
        const OrnScore& s = *sOwned;
        OrnPlayer player(&s);
        player.restart(OrnPlayer::kEndless, c.from);
        float l = 0.0f;
        float r = 0.0f;
        player.toneLeft(&l, &r);
        EXPECT_EQ(player.syncData()->playingIndex(), c.first) << c.from;
        EXPECT_EQ(player.syncData()->indexInCounter(), 1) << c.from;
        EXPECT_FALSE(player.restartPending());
    }
}

// Nothing sounds before step 4, so a render from there is the full render
// without its first four steps, sample for sample.
TEST(PlayFrom, RendersTheFullRenderLessTheSkippedStepsWhereNothingRingsIn) {
    const OrnWaves bank;
    const int n = OrnPlayer::stepLength(kTempo, 0);
    const auto sOwned = score(10, false, {4, 6, 9});
    const OrnScore& s = *sOwned;
    const auto full = render(s, 1);
    const auto fromFour = render(s, {1, 4});
    ASSERT_EQ(full.size(), fromFour.size() + 2u * 4 * n);
    EXPECT_EQ(fromFour, tail(full, 4LL * n));
    // A note before the start rings into it: then the two differ.
    const auto earlyOwned = score(10, false, {3, 6});
    const OrnScore& early = *earlyOwned;
    EXPECT_NE(render(early, {1, 4}), tail(render(early, 1), 4LL * n));
}

// The restart at the end mark drops every voice, so the passes after a
// first pass from step k are those of a render from 0.
TEST(PlayFrom, APassFromAStepIsFollowedByWholePasses) {
    const OrnWaves bank;
    const int n = OrnPlayer::stepLength(kTempo, 0);
    const auto sOwned = score(6, true, {0, 1, 3, 5});
    const OrnScore& s = *sOwned;
    for (const int from : {1, 5}) {
        const auto two = render(s, {2, from});
        const auto one = render(s, 1);
        ASSERT_EQ(two.size(), one.size() + 2u * (6 - from) * n) << from;
        EXPECT_EQ(tail(two, static_cast<long long>(6 - from) * n), one) << from;
    }
}

struct RangeRun {
    long long frames = 0;
    std::vector<int> steps; // each step begun, in order
};

// Plays steps [first, end) until the last pass has rung out.
RangeRun playRange(const OrnScore& s, int first, int end, int passes) {
    OrnPlayer player(&s);
    player.restartRange(first, end, passes);
    RangeRun run;
    std::vector<float> left(512);
    std::vector<float> right(512);
    const MyDocumentSyncData& sync = *player.syncData();
    do {
        run.frames += player.renderFrames(left.data(), right.data(), 512);
        if (sync.indexInCounter() == 1) {
            run.steps.push_back(sync.playingIndex());
        }
    } while (player.loopsAgain(s) || sync.playingIndex() < player.passEnd(s) ||
             player.mixerDuration() > 0);
    return run;
}

// A range loops whatever the score's loop flag, and each pass adds exactly
// the range's frames; steps outside it never sound.
TEST(PlayRange, LoopsTheRangeExactly) {
    const OrnWaves bank;
    const int n = OrnPlayer::stepLength(kTempo, 0);
    for (const bool loop : {false, true}) {
        const auto sOwned = score(12, loop, {0, 2, 4, 8});
        const OrnScore& s = *sOwned;
        const RangeRun one = playRange(s, 2, 5, 1);
        const RangeRun two = playRange(s, 2, 5, 2);
        EXPECT_EQ(two.frames - one.frames, 3LL * n) << loop;
        ASSERT_GE(two.steps.size(), 6u);
        EXPECT_EQ(std::vector<int>(two.steps.begin(), two.steps.begin() + 6),
                  (std::vector<int>{2, 3, 4, 2, 3, 4}))
            << loop;
        // Past the range it only rings out.
        for (std::size_t i = 6; i < two.steps.size(); ++i) {
            EXPECT_GE(two.steps[i], 5) << loop;
        }
    }
}

TEST(PlayRange, LoopsUntilHaltedWhenEndless) {
    const OrnWaves bank;
    const auto sOwned = score(12, false, {2});
    const OrnScore& s = *sOwned;
    OrnPlayer player(&s);
    player.restartRange(2, 4);
    float l = 0.0f;
    float r = 0.0f;
    const int n = OrnPlayer::stepLength(kTempo, 0);
    for (int i = 0; i < 10 * n; ++i) {
        player.toneLeft(&l, &r);
        ASSERT_GE(player.syncData()->playingIndex(), 2);
        ASSERT_LT(player.syncData()->playingIndex(), 4);
    }
    EXPECT_TRUE(player.loopsAgain(s));
    // A later plain restart plays the whole score again.
    player.restart(1);
    player.toneLeft(&l, &r);
    EXPECT_EQ(player.passEnd(s), 12);
    EXPECT_FALSE(player.loopsAgain(s));
}

} // namespace
