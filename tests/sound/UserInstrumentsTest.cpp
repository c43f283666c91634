#include "sound/UserInstruments.h"

#include "sound/OrnPlayer.h"
#include "sound/WavImage.h"

#include <atomic>
#include <cmath>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

namespace {

// A sine of `frames` frames at `rate` as 16-bit mono.
Bytes sine(int frames, int rate = 44100) {
    std::vector<int> samples;
    for (int i = 0; i < frames; ++i) {
        samples.push_back(static_cast<int>(std::lround(12000.0 * std::sin(i * 0.05))));
    }
    return WavSpec().samplingRate(rate).data(pcm16(samples)).image();
}

// What tells two voices apart: pitch ratio, length and the first frames.
std::vector<float> fingerprint(int instrument, int note) {
    auto voice = OrnWaves::tone(instrument, note);
    if (!voice) {
        return {};
    }
    voice->setRate(44100);
    std::vector<float> print{voice->tone(), static_cast<float>(voice->duration())};
    for (int i = 0; i < 200; i += 7) {
        print.push_back(voice->pcmMonoAt(i));
    }
    return print;
}

class UserInstruments : public testing::Test {
  protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("zubo-user-" + std::to_string(::getpid()) + "-" +
               testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        for (int i = 1; i <= 15; ++i) {
            for (int note = 1; note <= 13; ++note) {
                ours[i][note] = fingerprint(i, note);
            }
        }
    }
    void TearDown() override {
        bank.setUserSamples(nullptr);
        std::filesystem::remove_all(dir);
    }
    void use() {
        UserInstrumentsLoad load = loadUserInstruments(dir);
        ASSERT_TRUE(load.folderError.empty()) << load.folderError;
        warnings = load.warnings;
        ignored = load.ignored;
        bank.setUserSamples(std::move(load.samples));
    }
    // The notes whose voices differ from ours, as instrument * 100 + note.
    std::vector<int> changed() const {
        std::vector<int> notes;
        for (int i = 1; i <= 15; ++i) {
            for (int note = 1; note <= 13; ++note) {
                if (fingerprint(i, note) != ours[i][note]) {
                    notes.push_back(i * 100 + note);
                }
            }
        }
        return notes;
    }

    OrnWaves bank;
    std::filesystem::path dir;
    std::vector<float> ours[16][14];
    std::vector<std::string> warnings;
    std::vector<std::string> ignored;
};

std::vector<int> notesOf(int instrument, int first, int last) {
    std::vector<int> notes;
    for (int note = first; note <= last; ++note) {
        notes.push_back(instrument * 100 + note);
    }
    return notes;
}

// Star (4) uses its upper sample for notes 1..5: "Star.wav" replaces both,
// "STAR-high.WAV" only those.
TEST_F(UserInstruments, AFileReplacesItsInstrumentsRegisters) {
    writeFile(dir / "Star.wav", sine(4410));
    use();
    EXPECT_EQ(changed(), notesOf(4, 1, 13));
    // Played as recorded at F4 (note 9) in both registers: F5 an octave up.
    EXPECT_EQ(OrnWaves::tone(4, 9)->tone(), 1.0f);
    EXPECT_FLOAT_EQ(OrnWaves::tone(4, 2)->tone(), 2.0f);

    std::filesystem::remove(dir / "Star.wav");
    writeFile(dir / "STAR-high.WAV", sine(4410));
    use();
    EXPECT_EQ(changed(), notesOf(4, 1, 5));
    // Played as recorded at E5 (note 3).
    EXPECT_EQ(OrnWaves::tone(4, 3)->tone(), 1.0f);
    EXPECT_TRUE(warnings.empty());
}

TEST_F(UserInstruments, ABrokenFileWarnsAndKeepsOurSound) {
    writeFile(dir / "Cat.wav", Bytes{'n', 'o', 't', ' ', 'a', ' ', 's', 'o', 'u', 'n', 'd'});
    writeFile(dir / "Dog.wav", sine(44100 * 11));
    writeFile(dir / "Pig.wav", sine(2205, 22050));
    writeFile(dir / "notes.txt", Bytes{'x'});
    writeFile(dir / "Cat-high.wav", sine(100));
    use();
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_EQ(warnings[0].rfind("Cat.wav: not a sound file (", 0), 0u) << warnings[0];
    EXPECT_NE(warnings[0].find("); Cat keeps its own sound"), std::string::npos) << warnings[0];
    EXPECT_EQ(warnings[1], "Dog.wav: longer than 10 s; Dog keeps its own sound");
    // The Cat has no upper register of its own.
    EXPECT_EQ(ignored, (std::vector<std::string>{"Cat-high.wav", "notes.txt"}));
    EXPECT_EQ(changed(), notesOf(9, 1, 13));
    // Brought to 44100 Hz: twice as many frames.
    auto pig = OrnWaves::tone(9, 9);
    pig->setRate(44100);
    EXPECT_NEAR(pig->duration(), 4410, 4);
}

TEST_F(UserInstruments, AMissingFolderIsRefused) {
    const UserInstrumentsLoad load = loadUserInstruments(dir / "nowhere");
    EXPECT_EQ(load.folderError, "no such folder");
    EXPECT_EQ(load.samples, nullptr);
}

// The audio thread plays Star notes while the main thread swaps the user's
// sounds in and out; replaced sets are freed only once no voice holds them.
TEST_F(UserInstruments, SwapWhilePlaying) {
    writeFile(dir / "Star.wav", sine(2000));
    OrnScore score;
    score.setTempo(999);
    score.setEnd(8);
    score.setLoop(true);
    for (int step = 0; step < 8; ++step) {
        score.addNoteAt(step, 1 + step, 4);
    }
    auto owned = std::make_unique<OrnPlayer>(&score);
    OrnPlayer& player = *owned;
    player.restart();
    std::atomic<bool> done{false};
    std::thread audio([&] {
        std::vector<float> left(256);
        std::vector<float> right(256);
        while (!done.load()) {
            for (int i = 0; i < 256; ++i) {
                player.toneLeft(&left[static_cast<std::size_t>(i)],
                                &right[static_cast<std::size_t>(i)]);
            }
            player.blockRendered();
        }
    });
    for (int i = 0; i < 200; ++i) {
        if (i % 2 == 0) {
            use();
        } else {
            bank.setUserSamples(nullptr);
        }
        std::this_thread::yield();
    }
    done.store(true);
    audio.join();
    // A voice on the user's sound keeps it from being freed.
    use();
    player.restart();
    float l = 0.0f;
    float r = 0.0f;
    player.toneLeft(&l, &r);
    bank.setUserSamples(nullptr);
    EXPECT_EQ(bank.retiredUserSampleCount(), 1u);
    owned.reset();
    bank.reclaimUserSamples();
    EXPECT_EQ(bank.retiredUserSampleCount(), 0u);
}

} // namespace
