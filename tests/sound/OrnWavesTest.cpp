#include "sound/OrnWaves.h"

#include "sound/WavImage.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

constexpr int kInstrumentSounds[24] = {1, 21, 2,  28, 3,  4,  22, 5,  23, 6,  24, 7,
                                       8, 9,  10, 11, 12, 25, 13, 29, 14, 26, 15, 27};

// Which resource a wave came from: the test sounds hold their number in
// their first frame.
int soundNumber(const std::shared_ptr<const Wave>& wave) {
    return wave ? static_cast<int>(wave->pcmAt(0, 0) * 65536) : 0;
}

// A scratch resource folder holding "soundN.wav" for every N the bank loads.
class OrnWavesTest : public testing::Test {
protected:
    void SetUp() override {
        _dir = std::filesystem::temp_directory_path() /
               ("zubo-sound-" + std::to_string(::getpid()) + "-" +
                testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(_dir);
        for (int n : kInstrumentSounds) {
            put(n);
        }
        for (int n : {16, 18, 20}) {
            put(n);
        }
    }
    void TearDown() override { std::filesystem::remove_all(_dir); }

    void put(int n, const char* extension = ".wav") {
        writeFile(_dir / ("sound" + std::to_string(n) + extension), mono16({n, n, n}));
    }
    void remove(int n) { std::filesystem::remove(_dir / ("sound" + std::to_string(n) + ".wav")); }

    std::filesystem::path _dir;
};

TEST_F(OrnWavesTest, TheSharedBankExistsOnlyWhileItLives) {
    EXPECT_EQ(OrnWaves::ornWaves(), nullptr);
    EXPECT_EQ(OrnWaves::allocTone(1, 9), nullptr);
    EXPECT_EQ(OrnWaves::endTone(), nullptr);
    {
        OrnWaves bank(_dir);
        EXPECT_EQ(OrnWaves::ornWaves(), &bank);
        EXPECT_TRUE(bank.initialize());
        EXPECT_EQ(bank.waveCount(), 24u);
    }
    EXPECT_EQ(OrnWaves::ornWaves(), nullptr);
}

// Per instrument: lower-range sound, upper-range sound (0: none) and the
// highest note number on the upper one.
struct Instrument {
    int lower, upper, split;
};
constexpr Instrument kInstruments[15] = {{1, 21, 5},  {2, 28, 5},  {3, 0, 0},  {4, 22, 5},
                                         {5, 23, 5},  {6, 24, 5},  {7, 0, 0},  {8, 0, 0},
                                         {9, 0, 0},   {10, 0, 0},  {11, 0, 0}, {12, 25, 5},
                                         {13, 29, 7}, {14, 26, 5}, {15, 27, 5}};
// Ratios of note numbers 1..13 on a sample recorded at F4 (note 9) and on
// one recorded at E5 (note 3); the upper samples never play below note 7.
const double kLowerRatios[13] = {2.244924,     2.0,         1.887749,    1.681793, 1.498307,
                                 1.414214,     1.259921,    1.122462,    1.0,      1 / 1.059463,
                                 1 / 1.189207, 1 / 1.33484, 1 / 1.414214};
const double kUpperRatios[7] = {1.189207,     1.059463,    1.0,         1 / 1.122462,
                                1 / 1.259921, 1 / 1.33484, 1 / 1.498307};

TEST_F(OrnWavesTest, EveryInstrumentAndNoteMapsToItsSampleAndRatio) {
    OrnWaves bank(_dir);
    for (int prog = 1; prog <= 15; ++prog) {
        const auto& inst = kInstruments[prog - 1];
        for (int note = 1; note <= 13; ++note) {
            const bool upper = note <= inst.split;
            const auto voice = OrnWaves::allocTone(prog, note);
            ASSERT_NE(voice, nullptr);
            EXPECT_EQ(soundNumber(voice->wave()), upper ? inst.upper : inst.lower)
                << prog << "/" << note;
            EXPECT_FLOAT_EQ(voice->tone(), static_cast<float>(upper ? kUpperRatios[note - 1]
                                                                    : kLowerRatios[note - 1]))
                << prog << "/" << note;
            EXPECT_EQ(voice->rate(), 44100);
            EXPECT_EQ(soundNumber(OrnWaves::tone(prog, note)->wave()), soundNumber(voice->wave()));
        }
    }
    for (auto [prog, note] : {std::pair{0, 9}, {16, 9}, {-1, 9}, {1, 0}, {1, 14}, {1, -3}}) {
        EXPECT_EQ(OrnWaves::allocTone(prog, note), nullptr) << prog << "/" << note;
    }
    for (int k = 0; k < 24; ++k) {
        EXPECT_EQ(soundNumber(bank.waveAt(k)), kInstrumentSounds[k]);
    }
    EXPECT_EQ(bank.waveAt(24), nullptr);
    EXPECT_EQ(bank.waveAt(-1), nullptr);
}

TEST_F(OrnWavesTest, EffectTonesPlayTheirSoundAtRatioOne) {
    OrnWaves bank(_dir);
    struct Effect {
        std::shared_ptr<ToneGenerator> voice;
        std::shared_ptr<const Wave> wave;
        int number;
    };
    for (const auto& e : {Effect{OrnWaves::endTone(), bank.endWave(), 16},
                          Effect{OrnWaves::clickTone(), bank.clickWave(), 18},
                          Effect{OrnWaves::eraserTone(), bank.eraserWave(), 20}}) {
        ASSERT_NE(e.voice, nullptr);
        EXPECT_EQ(e.voice->wave(), e.wave);
        EXPECT_EQ(soundNumber(e.wave), e.number);
        EXPECT_EQ(e.voice->tone(), 1.0f);
        EXPECT_EQ(e.voice->duration(), 3);
    }
}

TEST_F(OrnWavesTest, AMissingSampleStopsTheInstrumentsButNotTheEffects) {
    remove(4);
    testing::internal::CaptureStderr();
    OrnWaves bank(_dir);
    EXPECT_FALSE(bank.initialize());
    testing::internal::GetCapturedStderr();
    ASSERT_EQ(bank.waveCount(), 5u);
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(soundNumber(bank.waveAt(k)), kInstrumentSounds[k]);
    }
    EXPECT_EQ(soundNumber(bank.endWave()), 16);
    EXPECT_EQ(soundNumber(bank.clickWave()), 18);
    EXPECT_EQ(soundNumber(bank.eraserWave()), 20);
    EXPECT_NE(OrnWaves::allocTone(3, 1), nullptr);
    EXPECT_NE(OrnWaves::allocTone(2, 1), nullptr);
    for (auto [prog, note] : {std::pair{4, 9}, {4, 1}, {5, 9}, {15, 1}, {13, 13}}) {
        EXPECT_EQ(OrnWaves::allocTone(prog, note), nullptr) << prog << "/" << note;
    }
}

TEST_F(OrnWavesTest, ABrokenEffectIsKeptEmptyAndPlaysSilence) {
    writeFile(_dir / "sound18.wav", {'R', 'I', 'F', 'F'});
    testing::internal::CaptureStderr();
    OrnWaves bank(_dir);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "WAVE\n");
    EXPECT_EQ(bank.waveCount(), 24u);
    ASSERT_NE(bank.clickWave(), nullptr);
    EXPECT_EQ(bank.clickWave()->frames(), 0);
    const auto click = OrnWaves::clickTone();
    ASSERT_NE(click, nullptr);
    EXPECT_EQ(click->duration(), 0);
    EXPECT_EQ(click->pcmLeftAt(0), 0.0f);
    EXPECT_EQ(soundNumber(bank.eraserWave()), 20);
}

TEST_F(OrnWavesTest, UpperCaseExtensionsAreFound) {
    remove(1);
    put(1, ".WAV");
    OrnWaves bank(_dir);
    EXPECT_TRUE(bank.initialize());
    EXPECT_EQ(soundNumber(bank.waveAt(0)), 1);
}

// The sounds the build generates, when they are there.
TEST(OrnWavesResources, TheBuiltSoundsAllLoad) {
    const char* dir = std::getenv("ZUBO_RESOURCES");
    if (!dir || !std::filesystem::exists(std::filesystem::path(dir) / "sound1.wav")) {
        GTEST_SKIP() << "no generated sounds in ZUBO_RESOURCES";
    }
    OrnWaves bank(dir);
    EXPECT_TRUE(bank.initialize());
    for (int prog = 1; prog <= 15; ++prog) {
        for (int note = 1; note <= 13; ++note) {
            EXPECT_GT(OrnWaves::allocTone(prog, note)->duration(), 0) << prog << "/" << note;
        }
    }
}

} // namespace
