#include "cli/CliTestUtil.h"
#include "sound/OrnWaves.h"

#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <vector>

namespace {

using apptest::readFrames;
using apptest::run;
using apptest::writeFile;

// A short sine as a FLAC file at 22050 Hz, which the bank brings to 44100.
void writeSine(const QString& path) {
    SF_INFO info{};
    info.samplerate = 22050;
    info.channels = 1;
    info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.toLocal8Bit().constData(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr);
    std::vector<float> samples(4000);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = 0.5f * static_cast<float>(std::sin(static_cast<double>(i) * 0.1));
    }
    sf_writef_float(file, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(file);
}

// Tempo 120: a Zubo at F4 on step 0, end 2; and the same with a Star at E5 on step 0.
const QByteArray kZubo = "SCORE=0091\nTEMPO=120\nLOOP=FALSE\nEND=3\nTIME44=TRUE\n";
const QByteArray kZuboAndStar = "SCORE=00910443\nTEMPO=120\nLOOP=FALSE\nEND=3\nTIME44=TRUE\n";

class InstrumentsOption : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(QDir().mkpath(path("sounds")));
        writeFile(path("zubo.orn"), kZubo);
        writeFile(path("star.orn"), kZuboAndStar);
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    std::vector<float> render(const QString& score, const QStringList& more = {}) {
        const QString out = path("out.wav");
        const apptest::Run result = run(QStringList{"-o", out, "--float", score} + more);
        EXPECT_EQ(result.code, 0) << result.err;
        lastErr = result.err;
        return readFrames(out);
    }
    QTemporaryDir dir;
    std::string lastErr;
};

TEST_F(InstrumentsOption, AStarFileChangesOnlyTheStarsNotes) {
    writeSine(path("sounds/star.flac"));
    const QStringList mine{"--instruments", path("sounds")};
    EXPECT_EQ(render(path("zubo.orn"), mine), render(path("zubo.orn")));
    EXPECT_NE(render(path("star.orn"), mine), render(path("star.orn")));
    EXPECT_TRUE(lastErr.empty()) << lastErr;
    // The process's bank is left with our own sounds.
    EXPECT_EQ(OrnWaves::ornWaves(), nullptr);
}

TEST_F(InstrumentsOption, ABrokenFileWarnsAndTheRenderIsOurs) {
    writeFile(path("sounds/Cat.wav"), "RIFF but not really");
    writeFile(path("sounds/Star-low.wav"), "not an instrument's name");
    const std::vector<float> ours = render(path("star.orn"));
    EXPECT_EQ(render(path("star.orn"), {"--instruments", path("sounds")}), ours);
    EXPECT_NE(lastErr.find("zubo-sequencer: Cat.wav: not a sound file ("), std::string::npos)
        << lastErr;
    EXPECT_NE(lastErr.find("); Cat keeps its own sound\n"), std::string::npos) << lastErr;
    EXPECT_EQ(lastErr.find("Star-low"), std::string::npos) << "listed with --verbose only";
    render(path("star.orn"), {"--instruments", path("sounds"), "--verbose"});
    EXPECT_NE(lastErr.find("Star-low.wav"), std::string::npos) << lastErr;
}

TEST_F(InstrumentsOption, AMissingFolderIsRefused) {
    const apptest::Run result =
        run({"-o", path("out.wav"), "--instruments", path("nowhere"), path("zubo.orn")});
    EXPECT_EQ(result.code, 1);
    EXPECT_EQ(result.err,
              "zubo-sequencer: " + path("nowhere").toStdString() + ": no such folder\n");
    EXPECT_EQ(run({"-o", path("out.mid"), "--instruments", path("sounds"), path("zubo.orn")}).code,
              2);
}

} // namespace
