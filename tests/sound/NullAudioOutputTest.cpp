#include "sound/NullAudioOutput.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

struct Counter {
    std::atomic<long long> frames{0};
    std::atomic<bool> wrongBlock{false};
};

int count(void* context, int frames, float* left, float* right) {
    auto* counter = static_cast<Counter*>(context);
    if (frames != NullAudioOutput::kBlockFrames || left == nullptr || right == nullptr) {
        counter->wrongBlock = true;
    }
    counter->frames += frames;
    return 0;
}

// The output never runs ahead of `speed` times real time (a slow machine may
// make it fall behind, never ahead), and nothing is rendered once stop()
// has returned.
TEST(NullAudioOutput, PullsBlocksNoFasterThanItsPaceAndStopsForGood) {
    for (const double speed : {1.0, 20.0}) {
        Counter counter;
        NullAudioOutput output(speed);
        ASSERT_TRUE(output.open(&count, &counter).ok());
        EXPECT_EQ(output.start(), 0);
        const auto begin = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        EXPECT_EQ(output.stop(), 0);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        const long long rendered = counter.frames.load();
        // One block may be rendered at once on start, and the pace may
        // catch up a few blocks after a delay.
        const double allowed = seconds * speed * 44100.0 + 9 * NullAudioOutput::kBlockFrames;
        EXPECT_GT(rendered, 0) << speed;
        EXPECT_LE(static_cast<double>(rendered), allowed) << speed;
        EXPECT_FALSE(counter.wrongBlock.load());
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_EQ(counter.frames.load(), rendered) << speed;
        EXPECT_EQ(output.blocksRendered() * NullAudioOutput::kBlockFrames, rendered);
    }
}

// One slow block of 3 ms among quick ones: the longest block is at least
// that long.
TEST(NullAudioOutput, TimesItsLongestBlock) {
    std::atomic<int> blocks{0};
    const auto slowSecond = [](void* context, int, float*, float*) {
        if (static_cast<std::atomic<int>*>(context)->fetch_add(1) == 1) {
            std::this_thread::sleep_for(std::chrono::milliseconds(3));
        }
        return 0;
    };
    NullAudioOutput output(50.0);
    ASSERT_TRUE(output.open(slowSecond, &blocks).ok());
    output.start();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (blocks.load() < 4 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    output.stop();
    ASSERT_GE(blocks.load(), 4);
    EXPECT_GE(output.worstBlockSeconds(), 0.003);
    EXPECT_LT(output.worstBlockSeconds(), 5.0);
}

TEST(NullAudioOutput, StartsAgainAfterAStopAndIgnoresRepeatedCalls) {
    Counter counter;
    NullAudioOutput output(50.0);
    ASSERT_TRUE(output.open(&count, &counter).ok());
    for (int round = 0; round < 3; ++round) {
        output.start();
        output.start();
        const long long before = counter.frames.load();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (counter.frames.load() == before && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        EXPECT_GT(counter.frames.load(), before) << round;
        output.stop();
        output.stop();
    }
    output.close();
    const long long closed = counter.frames.load();
    output.start();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(counter.frames.load(), closed);
}

} // namespace
