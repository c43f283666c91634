#include "document/MyDocument.h"
#include "document/Preferences.h"
#include "sound/OrnWaves.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "sound/WavImage.h"

namespace {

// Samples of every kind the player reads: mono and stereo, 8 and 16 bits,
// 44100 and 22050 Hz, each with changing content and its own length.
std::filesystem::path writeVariedBank() {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("zubo-varied-bank-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    for (int number = 1; number <= 29; ++number) {
        const int frames = 3000 + 997 * number;
        std::vector<int> samples;
        unsigned noise = 12345u * static_cast<unsigned>(number);
        const bool stereo = number % 4 == 1;
        for (int i = 0; i < frames * (stereo ? 2 : 1); ++i) {
            noise = noise * 1103515245u + 12345u;
            samples.push_back(static_cast<int>((noise >> 16) % 60000) - 30000);
        }
        Bytes image;
        if (number % 4 == 2) {
            image = mono16(samples, 22050);
        } else if (number % 4 == 3) {
            Bytes bytes;
            for (int v : samples) {
                bytes.push_back(static_cast<std::uint8_t>((v >> 8) + 128));
            }
            image = WavSpec().bitsPerSample(8).data(bytes).image();
        } else {
            image = WavSpec().channels(stereo ? 2 : 1).data(pcm16(samples)).image();
        }
        writeFile(dir / ("sound" + std::to_string(number) + ".wav"), image);
    }
    return dir;
}

std::unique_ptr<OrnScore> busyScore() {
    auto score = std::make_unique<OrnScore>();
    for (int index = 0; index < 40; ++index) {
        if (index % 7 == 3) {
            continue; // some silent steps
        }
        score->addNoteAt(index, 1 + index % 13, 1 + index % 15);
        if (index % 2 == 0) {
            score->addNoteAt(index, 1 + (index * 5) % 13, 1 + (index + 4) % 15);
        }
        if (index % 3 == 0) {
            score->addNoteAt(index, 1 + (index * 3 + 7) % 13, 1 + (index + 9) % 15);
        }
    }
    score->setEnd(40);
    score->setLoop(true);
    score->setTempo(700);
    return score;
}

// The block path must give exactly the frames of the per-frame operation,
// and leave the same published position behind, in classic and in smooth
// playback (where fading voices run on into the blocks).
class BlockRender : public ::testing::TestWithParam<bool> {};

TEST_P(BlockRender, MatchesThePerFrameOperationBitForBit) {
    const OrnWaves bank(writeVariedBank());
    Preferences prefs;
    MyDocument perFrame(&prefs);
    MyDocument blocks(&prefs);
    for (MyDocument* doc : {&perFrame, &blocks}) {
        doc->replaceScore(busyScore());
        doc->syncData()->setVolume(0.8f);
        doc->setTempoEmurationCoefficient(48);
        doc->setSmoothPlayback(GetParam());
        doc->restartPlayback();
    }
    const int total = 2 * 40 * MyDocument::stepLength(700, 48) + 5000;
    std::vector<float> expectedLeft(static_cast<std::size_t>(total));
    std::vector<float> expectedRight(static_cast<std::size_t>(total));
    for (int i = 0; i < total; ++i) {
        perFrame.toneLeft(&expectedLeft[static_cast<std::size_t>(i)],
                          &expectedRight[static_cast<std::size_t>(i)]);
    }
    std::vector<float> left(static_cast<std::size_t>(total));
    std::vector<float> right(static_cast<std::size_t>(total));
    int done = 0;
    int calls = 0;
    while (done < total) {
        const int room = std::min(total - done, 1 + (calls * 37) % 300); // uneven blocks
        done += blocks.renderFrames(&left[static_cast<std::size_t>(done)],
                                    &right[static_cast<std::size_t>(done)], room);
        ++calls;
    }
    EXPECT_LT(calls, total / 10) << "the block path was hardly used";
    EXPECT_EQ(std::memcmp(left.data(), expectedLeft.data(), left.size() * sizeof(float)), 0);
    EXPECT_EQ(std::memcmp(right.data(), expectedRight.data(), right.size() * sizeof(float)), 0);
    for (int i = 0; i < total; ++i) {
        const auto at = static_cast<std::size_t>(i);
        if (left[at] != expectedLeft[at] || right[at] != expectedRight[at]) {
            ADD_FAILURE() << "first difference at frame " << i;
            break;
        }
    }
    EXPECT_EQ(blocks.syncData()->playingIndex(), perFrame.syncData()->playingIndex());
    EXPECT_EQ(blocks.syncData()->indexInCounter(), perFrame.syncData()->indexInCounter());
    EXPECT_EQ(blocks.syncData()->floatPlayingIndex(), perFrame.syncData()->floatPlayingIndex());
    EXPECT_EQ(blocks.mixerDuration(), perFrame.mixerDuration());
}

INSTANTIATE_TEST_SUITE_P(Playback, BlockRender, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& p) {
                             return p.param ? "Smooth" : "Classic";
                         });

} // namespace
