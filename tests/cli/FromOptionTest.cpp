#include "cli/CliTestUtil.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <vector>

namespace {

using apptest::readFrames;
using apptest::run;
using apptest::writeFile;

// Tempo 120 (22050 frames a step), silent until a Zubo at F4 on steps 2 and 3, end 4.
const QByteArray kLateScore = "SCORE=000000910091\nTEMPO=120\nLOOP=FALSE\nEND=5\nTIME44=TRUE\n";

class FromOption : public ::testing::Test {
  protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

TEST_F(FromOption, IsCheckedAgainstTheOutputAndTheEndMark) {
    writeFile(path("a.orn"), kLateScore);
    const QString score = path("a.orn");
    const struct {
        QStringList args;
        int code;
        const char* says;
    } cases[] = {
        {{"-o", path("a.wav"), "--from", "960", score}, 2, "--from takes a step from 0 to 959"},
        {{"-o", path("a.wav"), "--from", "-1", score}, 2, "--from takes a step"},
        {{"-o", path("a.wav"), "--from", "two", score}, 2, "--from takes a step"},
        {{"-o", path("a.png"), "--from", "1", score}, 2, "--from goes with"},
        {{"--check", "--from", "1", score}, 2, "--from goes with"},
        {{"-o", path("a.wav"), "--from", "1", "--from", "2", score}, 2, "more than once"},
        {{"-o", path("a.wav"), "--from", "4", score}, 2, "--from 4 is at or past the end mark"},
        {{"-o", path("a.mid"), "--from", "7", score}, 2, "--from 7 is at or past the end mark"},
        {{"--play", "--null-output", "--from", "5", score}, 2, "past the end mark"},
        {{"-o", path("a.mid"), "--from", "3", score}, 0, ""},
        {{"-o", path("a.ogg"), "--from", "3", score}, 0, ""},
    };
    for (const auto& c : cases) {
        const apptest::Run result = run(c.args);
        EXPECT_EQ(result.code, c.code) << c.args.join(' ').toStdString() << result.err;
        EXPECT_NE(result.err.find(c.says), std::string::npos) << result.err;
    }
}

// Nothing sounds before step 2: the render from there is the whole render
// without its first two steps, frame for frame.
TEST_F(FromOption, RendersTheSongAsIfPlayedFromTheStep) {
    writeFile(path("a.orn"), kLateScore);
    ASSERT_EQ(run({"-o", path("whole.wav"), "--float", path("a.orn")}).code, 0);
    ASSERT_EQ(run({"-o", path("late.wav"), "--float", "--from", "2", path("a.orn")}).code, 0);
    const std::vector<float> whole = readFrames(path("whole.wav"));
    const std::vector<float> late = readFrames(path("late.wav"));
    ASSERT_EQ(whole.size(), late.size() + 2u * 2 * 22050);
    EXPECT_EQ(late, std::vector<float>(whole.begin() + 2 * 2 * 22050, whole.end()));
    float loudest = 0.0f;
    for (std::size_t i = 0; i < 4000; ++i) {
        loudest = std::max(loudest, std::abs(late[i]));
    }
    EXPECT_GT(loudest, 0.01f);
}

} // namespace
