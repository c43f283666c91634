#include "sound/Wave.h"

#include "sound/WavImage.h"

#include <climits>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>

namespace {

constexpr float kUnit = 1.52587890625e-05f; // 2^-16: raw value to float

Bytes good() {
    return mono16({1000, -1000});
}

struct LoadFailure {
    const char* name;
    std::function<Bytes()> image;
    const char* message;
};

class WaveLoadFailure : public testing::TestWithParam<LoadFailure> {};

TEST_P(WaveLoadFailure, LogsTheFailingCheckAndHoldsNoData) {
    Wave wave;
    ASSERT_TRUE(wave.loadMem(good()));
    const auto image = GetParam().image();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(wave.loadMem(image));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), std::string(GetParam().message) + "\n");
    EXPECT_EQ(wave.frames(), 0);
    EXPECT_EQ(wave.pcmAt(0, 0), 0.0f);
}

Bytes cut(std::size_t length) {
    auto image = good();
    image.resize(length);
    return image;
}

Bytes patched(std::size_t at, Bytes bytes) {
    auto image = good();
    std::copy(bytes.begin(), bytes.end(), image.begin() + static_cast<std::ptrdiff_t>(at));
    return image;
}

INSTANTIATE_TEST_SUITE_P(
    Checks, WaveLoadFailure,
    testing::Values(
        LoadFailure{"Empty", [] { return cut(0); }, "RIFF"},
        LoadFailure{"ShortRiff", [] { return cut(3); }, "RIFF"},
        LoadFailure{"Rifx", [] { return patched(3, {'X'}); }, "RIFF"},
        LoadFailure{"NoWave", [] { return cut(8); }, "WAVE"},
        LoadFailure{"Wavx", [] { return patched(11, {'X'}); }, "WAVE"},
        LoadFailure{"NoFmt", [] { return cut(14); }, "fmt "},
        LoadFailure{"FmtUpper", [] { return patched(12, {'F'}); }, "fmt "},
        LoadFailure{"Float", [] { return WavSpec().formatTag(3).data(pcm16({0})).image(); },
                    "format_id"},
        LoadFailure{"FieldsCut", [] { return cut(30); }, "format_id"},
        LoadFailure{"List",
                    [] {
                        return WavSpec()
                            .between({'L', 'I', 'S', 'T', 4, 0, 0, 0, 'a', 'b', 'c', 'd'})
                            .data(pcm16({0}))
                            .image();
                    },
                    "data"},
        LoadFailure{"NoDataTag", [] { return cut(38); }, "data"},
        LoadFailure{"FmtLengthNegative",
                    [] {
                        return patched(16, {0xF0, 0xFF, 0xFF, 0xFF});
                    },
                    "data"},
        LoadFailure{"FmtLengthBeforeImage",
                    [] {
                        return patched(16, {0xE8, 0xFF, 0xFF, 0xFF});
                    },
                    "data"},
        LoadFailure{"FmtLengthHuge",
                    [] {
                        return patched(16, {0xFF, 0xFF, 0xFF, 0x7F});
                    },
                    "data"},
        LoadFailure{"NoLength", [] { return cut(42); }, "data size"},
        LoadFailure{"OverLimit",
                    [] { return WavSpec().data(pcm16({0})).dataLength(100000001).image(); },
                    "data size"},
        LoadFailure{"TruncatedData", [] { return cut(46); }, "data size"}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(Wave, ReadsTheHeaderFieldsAndKeepsThoseReadBeforeAFailure) {
    Wave wave;
    ASSERT_TRUE(wave.loadMem(WavSpec()
                                 .channels(2)
                                 .samplingRate(22050)
                                 .bitsPerSample(24)
                                 .fmtLength(18)
                                 .data(Bytes(12))
                                 .image()));
    EXPECT_EQ(wave.channels(), 2);
    EXPECT_EQ(wave.samplingRate(), 22050);
    EXPECT_EQ(wave.bps(), 22050 * 6);
    EXPECT_EQ(wave.blockSize(), 6);
    EXPECT_EQ(wave.bpSample(), 24);
    EXPECT_EQ(wave.size(), 12);
    EXPECT_EQ(wave.frames(), 2);

    testing::internal::CaptureStderr();
    EXPECT_FALSE(wave.loadMem(WavSpec().samplingRate(8000).dataLength(100000001).image()));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(wave.samplingRate(), 8000);
    EXPECT_EQ(wave.size(), 100000001);
    EXPECT_EQ(wave.frames(), 0);
}

TEST(Wave, AcceptsTheLargestDataLength) {
    auto image = WavSpec().dataLength(100000000).image();
    image.resize(image.size() + 100000000);
    Wave wave;
    EXPECT_TRUE(wave.loadMem(image));
    EXPECT_EQ(wave.frames(), 50000000);
}

struct Sample {
    const char* name;
    WavSpec layout;
    int frame;
    float left, right, mono;
};

class WaveSample : public testing::TestWithParam<Sample> {};

TEST_P(WaveSample, ReadsEachChannelAndTheMonoMix) {
    const auto& p = GetParam();
    Wave wave;
    ASSERT_TRUE(wave.loadMem(p.layout.image()));
    EXPECT_NEAR(wave.pcmAt(p.frame, 1), p.left, 5e-6);
    EXPECT_NEAR(wave.pcmAt(p.frame, 2), p.right, 5e-6);
    EXPECT_EQ(wave.pcmAt(p.frame, 0), p.mono);
    EXPECT_EQ(wave.pcmAt(p.frame, 7), p.mono);
}

// At the centre the left gain is 63/127 * 1.8 and the right 64/127 * 1.8.
constexpr float left(int s) {
    return static_cast<float>(s * 63.0 / 127 * 1.8 / 65536);
}
constexpr float right(int s) {
    return static_cast<float>(s * 64.0 / 127 * 1.8 / 65536);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, WaveSample,
    testing::Values(
        Sample{"FullScale", WavSpec().data(pcm16({32767})), 0, 0.44644f, 0.45353f, 32767 * kUnit},
        Sample{"LastFrame", WavSpec().data(pcm16({1, 2, -32768})), 2, left(-32768), right(-32768),
               -0.5f},
        Sample{"PastTheEnd", WavSpec().data(pcm16({1, 2})), 2, 0.0f, 0.0f, 0.0f},
        Sample{"Negative", WavSpec().data(pcm16({5})), -1, 0.0f, 0.0f, 0.0f},
        Sample{"Stereo", WavSpec().channels(2).data(pcm16({1000, -2000})), 0, left(1000),
               right(-2000), -500 * kUnit},
        Sample{"StereoOdd", WavSpec().channels(2).data(pcm16({1, 2})), 0, left(1), right(2),
               1.5f * kUnit},
        Sample{"EightBitCentre", WavSpec().bitsPerSample(8).data(Bytes{128}), 0, 0.0f, 0.0f, 0.0f},
        Sample{"EightBitTop", WavSpec().bitsPerSample(8).data(Bytes{255}), 0, left(32512),
               right(32512), 32512 * kUnit},
        Sample{"EightBitStereo",
               WavSpec().channels(2).bitsPerSample(8).data(Bytes{0, 128, 255, 129}), 1, left(32512),
               right(256), 16384 * kUnit},
        Sample{"TwentyFourBit", WavSpec().bitsPerSample(24).data(Bytes{0x56, 0x34, 0x12}), 0,
               left(0x1234), right(0x1234), 0x1234 * kUnit},
        Sample{"TwentyFourBitStereo",
               WavSpec().channels(2).bitsPerSample(24).data(Bytes{0, 0, 0x80, 0xFF, 0x34, 0x12}), 0,
               left(-32768), right(0x1234), (-32768 + 0x1234) / 2.0f * kUnit},
        Sample{"ThirtyTwoBit", WavSpec().bitsPerSample(32).data(Bytes{0x78, 0x56, 0xCD, 0xAB}), 0,
               left(-0x5433), right(-0x5433), -0x5433 * kUnit}),
    [](const auto& test) { return std::string(test.param.name); });

// Each step rounded as the reader does it (gain in single precision, the
// factors 1.8 and expression in double, rounded back to single), worked out
// independently; reading 1.8 as a float instead changes the last bit.
TEST(Wave, ValuesAreRoundedAtEachStep) {
    struct Case {
        int s, channel, pan, expression;
        float value;
    };
    for (const auto& c :
         {Case{1, 1, 64, 100, 1.36247772e-05f}, Case{3, 1, 64, 100, 4.08743326e-05f},
          Case{32767, 1, 64, 100, 0.446443081f}, Case{32767, 2, 64, 100, 0.453529477f},
          Case{-12345, 1, 20, 100, -0.235403538f}, Case{-12345, 2, 20, 100, -0.0440006666f},
          Case{29999, 1, 100, 73, 0.111451857f}, Case{29999, 2, 100, 73, 0.412784636f}}) {
        Wave wave;
        ASSERT_TRUE(wave.loadMem(mono16({c.s})));
        wave.setPan(c.pan);
        wave.setExpression(c.expression);
        EXPECT_EQ(wave.pcmAt(0, c.channel), c.value) << c.s << " " << c.channel;
    }
}

TEST(Wave, PanAndExpressionScaleTheOutput) {
    Wave wave;
    ASSERT_TRUE(wave.loadMem(mono16({20000})));
    const float full = 20000 * 1.8f * kUnit;
    wave.setPan(0);
    EXPECT_NEAR(wave.pcmAt(0, 1), full / std::sqrt(2.0f), 1e-6);
    EXPECT_EQ(wave.pcmAt(0, 2), 0.0f);
    wave.setPan(127);
    EXPECT_EQ(wave.pcmAt(0, 1), 0.0f);
    EXPECT_NEAR(wave.pcmAt(0, 2), full / std::sqrt(1.0f + (63 / 64.0f) * (63 / 64.0f)), 1e-6);
    EXPECT_EQ(wave.pcmAt(0, 0), 20000 * kUnit);
    wave.setPan(64);
    wave.setExpression(50);
    EXPECT_NEAR(wave.pcmAt(0, 1), left(20000) / 2, 1e-6);
    EXPECT_EQ(wave.pcmAt(0, 0), 10000 * kUnit);
    wave.setPan(INT_MIN);
    EXPECT_TRUE(std::isfinite(wave.pcmAt(0, 1)));
}

TEST(Wave, HeadersThatCannotDescribeAFrameGiveSilence) {
    for (const auto& layout :
         {WavSpec().channels(0).data(pcm16({1, 2})), WavSpec().channels(-2).data(pcm16({1, 2})),
          WavSpec().blockSize(0).data(pcm16({1, 2})),
          WavSpec().channels(2).blockSize(1).data(pcm16({1, 2})), WavSpec().data(Bytes{})}) {
        Wave wave;
        ASSERT_TRUE(wave.loadMem(layout.image()));
        EXPECT_EQ(wave.frames(), 0);
        for (int channel : {0, 1, 2}) {
            EXPECT_EQ(wave.pcmAt(0, channel), 0.0f);
        }
    }
    EXPECT_EQ(Wave().pcmAt(0, 1), 0.0f);
}

TEST(Wave, ReadIntIsLittleEndianAndSigned) {
    const std::uint8_t bytes[] = {0x00, 0x78, 0x56, 0x34, 0x12, 0xFF, 0xFF, 0xFF, 0x80};
    EXPECT_EQ(read_int(bytes + 1), 0x12345678);
    EXPECT_EQ(read_int(bytes + 2), static_cast<std::int32_t>(0xFF123456u));
    EXPECT_EQ(read_int(bytes + 5), -2130706433);
}

} // namespace
