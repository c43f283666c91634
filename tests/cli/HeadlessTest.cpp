#include "cli/CliTestUtil.h"
#include "cli/HeadlessRun.h"
#include "common/ResourceDir.h"
#include "document/Preferences.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using apptest::run;
using apptest::writeFile;

// Tempo 240, end 4: a second of sound.
const QByteArray kScore = "SCORE=00910000091\nTEMPO=240\nLOOP=FALSE\nEND=5\nTIME44=TRUE\n";

struct Ran {
    int code = -1;
    std::string out;
    std::string err;
};

// The program in its own process: what only a real process shows (its
// standard output, its resource folder, read once).
Ran runProgram(const QStringList& args, const QString& resources = {},
               const QString& standardOutput = {}) {
    QProcess process;
    auto environment = QProcessEnvironment::systemEnvironment();
    if (!resources.isEmpty()) {
        environment.insert(QStringLiteral("ZUBO_RESOURCES"), resources);
    }
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    process.setProcessEnvironment(environment);
    if (!standardOutput.isEmpty()) {
        process.setStandardOutputFile(standardOutput);
    }
    process.start(QString::fromLocal8Bit(ZUBO_TEST_BIN_DIR) + QStringLiteral("/zubo-sequencer"),
                  args);
    Ran ran;
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished(5000);
        return ran;
    }
    ran.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    ran.out = process.readAllStandardOutput().toStdString();
    ran.err = process.readAllStandardError().toStdString();
    return ran;
}

class Headless : public ::testing::Test {
  protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    std::string bytes(const std::string& name) const {
        return dir.path().toStdString() + "/" + name;
    }
    QTemporaryDir dir;
};

TEST_F(Headless, AFullStandardOutputIsAFailure) {
    writeFile(path("a.orn"), kScore);
    const QStringList commands[] = {
        {"--dump", path("a.orn")}, {"--check", path("a.orn")}, {"--help"}, {"--version"}};
    for (const auto& args : commands) {
        const Ran ran = runProgram(args, {}, QStringLiteral("/dev/full"));
        EXPECT_EQ(ran.code, 1) << args.join(' ').toStdString();
        EXPECT_EQ(ran.err, "zubo-sequencer: standard output: no space left on device\n");
    }
}

// File names in any encoding, and pipes with the usual size limit.
TEST_F(Headless, NamesThatAreNotUtf8AndPipesAreRead) {
    const std::string latin1 = bytes("caf\xe9.orn");
    const std::string wav = bytes("caf\xe9.wav");
    writeFile(path("a.orn"), kScore);
    ASSERT_TRUE(std::filesystem::copy_file(path("a.orn").toStdString(), latin1));
    ASSERT_EQ(::mkfifo(bytes("fifo").c_str(), 0600), 0);
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    ASSERT_EQ(::write(pipeEnds[1], kScore.constData(), static_cast<size_t>(kScore.size())),
              static_cast<ssize_t>(kScore.size()));
    ::close(pipeEnds[1]);
    const std::string piped = "/dev/fd/" + std::to_string(pipeEnds[0]);
    const struct {
        std::vector<std::string> args;
        int code;
        std::string out;
    } cases[] = {
        {{"--check", latin1}, 0, latin1 + ": valid score"},
        {{"--check", piped}, 0, piped + ": valid score"},
        // No writer: read as empty at once, never waited on.
        {{"--check", bytes("fifo")}, 1, bytes("fifo") + ": not a valid score"},
        {{"-o", wav, "--volume", "0", latin1}, 0, ""},
    };
    for (const auto& c : cases) {
        auto args = c.args;
        args.insert(args.begin(), "zubo-sequencer");
        std::ostringstream out, err;
        std::istringstream in;
        const int code = zubo::runHeadless(zubo::parseCommandLine(args), out, err, in);
        EXPECT_EQ(code, c.code) << c.args.front() << err.str();
        EXPECT_EQ(out.str().rfind(c.out, 0), 0u) << out.str();
    }
    ::close(pipeEnds[0]);
    struct stat status {};
    EXPECT_EQ(::stat(wav.c_str(), &status), 0);
    EXPECT_GT(status.st_size, 44);
    // QTemporaryDir cannot name these files to remove them.
    std::filesystem::remove(latin1);
    std::filesystem::remove(wav);
}

TEST_F(Headless, MessagesNameTheRealCause) {
    writeFile(path("a.orn"), kScore);
    writeFile(path("bad.orn"), "TEMPO=90\n");
    QDir(dir.path()).mkdir(QStringLiteral("out.orn"));
    QDir(dir.path()).mkdir(QStringLiteral("out.png"));
    QDir(dir.path()).mkdir(QStringLiteral("out.wav"));
    QFile::link(path("loop1.orn"), path("loop2.orn"));
    QFile::link(path("loop2.orn"), path("loop1.orn"));
    QFile::link(path("loop1.wav"), path("loop2.wav"));
    QFile::link(path("loop2.wav"), path("loop1.wav"));
    const struct {
        QStringList args;
        std::string message;
    } cases[] = {
        {{"-o", path("out.orn"), path("a.orn")}, "out.orn: is a directory"},
        {{"-o", path("out.png"), path("a.orn")}, "out.png: is a directory"},
        {{"-o", path("out.wav"), path("a.orn")}, "out.wav: is a directory"},
        {{"--check", path("loop1.orn")}, "loop1.orn: too many levels of symbolic links"},
        {{"-o", path("loop1.wav"), path("a.orn")}, "loop1.wav: too many levels of symbolic links"},
        // One invalid score alone fails the check.
        {{"--check", path("bad.orn")}, ""},
    };
    for (const auto& c : cases) {
        const auto result = run(c.args);
        EXPECT_EQ(result.code, 1) << c.message;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    }
}

// A resource folder whose sounds are missing or broken, and whose images
// are missing.
TEST_F(Headless, MissingResourcesFailAndABrokenSampleIsAWarning) {
    writeFile(path("a.orn"), kScore);
    QDir(dir.path()).mkdir(QStringLiteral("empty"));
    QDir(dir.path()).mkdir(QStringLiteral("broken"));
    const auto own = zubo::resourceDir();
    for (const auto& entry : std::filesystem::directory_iterator(own)) {
        if (entry.path().extension() == ".wav") {
            std::filesystem::copy_file(entry.path(),
                                       bytes("broken/" + entry.path().filename().string()));
        }
    }
    writeFile(path("broken/sound4.wav"), "RIFX not a sound");
    const QString empty = path("empty");
    const QString broken = path("broken");
    const std::string noSounds = "zubo-sequencer: no instrument sounds in " + empty.toStdString() +
                                 " (sound1.wav ... sound29.wav)\n";
    const std::string noImages = "zubo-sequencer: staff images missing in " + empty.toStdString() +
                                 ": buttons.xpm, clef.xpm, eraser_etc.xpm, zubo_icons.xpm, "
                                 "zubo_running.xpm\n";
    // The bank stops at a failed sample: sound4 is Star's, and those loaded
    // after it are the later instruments'.
    const std::string warning = "zubo-sequencer: warning: " + broken.toStdString() +
                                "/sound4.wav: not a WAV sound it can read; silent: Star, Flower, "
                                "Pocket, Dog, Cat, Pig, Goose, Ruzed, Plane, Ship, Car, Heart\n";
    const struct {
        QStringList args;
        QString resources;
        int code;
        std::string err;
    } cases[] = {
        {{"-o", path("x.wav"), path("a.orn")}, empty, 1, noSounds},
        {{"--play", "--null-output", path("a.orn")}, empty, 1, noSounds},
        {{"-o", path("x.png"), path("a.orn")}, empty, 1, noImages},
        {{"-o", path("y.wav"), path("a.orn")}, broken, 0, warning},
        // The WAV reader's own diagnostics come with --verbose only.
        {{"-o", path("z.wav"), "--verbose", path("a.orn")}, broken, 0, "RIFF\n" + warning},
        // Qt's note that XDG_RUNTIME_DIR is not set stays unsaid.
        {{"-o", path("p.png"), path("a.orn")}, {}, 0, ""},
    };
    for (const auto& c : cases) {
        const Ran ran = runProgram(c.args, c.resources);
        EXPECT_EQ(ran.code, c.code) << c.args.join(' ').toStdString();
        EXPECT_EQ(ran.err, c.err) << c.args.join(' ').toStdString();
    }
    EXPECT_FALSE(QFile::exists(path("x.wav")));
    EXPECT_FALSE(QFile::exists(path("x.png")));
    EXPECT_TRUE(QFile::exists(path("y.wav")));
}

TEST_F(Headless, SettingsOutOfRangeAreWarnedAbout) {
    writeFile(path("a.orn"), kScore);
    Preferences& preferences = *Preferences::shared();
    const QString volume = QLatin1String(Preferences::kVolume);
    const QString tempo = QLatin1String(Preferences::kTempoEmurationType);
    const struct {
        QString volume;
        QString tempo;
        QStringList options;
        std::string err;
    } cases[] = {
        {"50", "2", {}, ""},
        {"loud",
         "0",
         {},
         "zubo-sequencer: warning: the setting \"volume\" is \"loud\", not a percentage from 0 "
         "to 1000; using 0\n"},
        {"1500",
         "0",
         {},
         "zubo-sequencer: warning: the setting \"volume\" is \"1500\", not a percentage from 0 "
         "to 1000; using 1500\n"},
        {"100",
         "7",
         {},
         "zubo-sequencer: warning: the setting \"tempoEmurationType\" is \"7\", not 0, 1, 2 or "
         "3; using 3\n"},
        {"100",
         "x",
         {},
         "zubo-sequencer: warning: the setting \"tempoEmurationType\" is \"x\", not 0, 1, 2 or "
         "3; using 0\n"},
        // An option in place of the setting: the setting is not used.
        {"loud", "-1", {"--volume", "80", "--tempo-emulation", "1"}, ""},
    };
    for (const auto& c : cases) {
        preferences.setValue(volume, c.volume);
        preferences.setValue(tempo, c.tempo);
        const auto result = run(QStringList{"-o", path("x.wav"), path("a.orn")} + c.options);
        EXPECT_EQ(result.code, 0) << result.err;
        EXPECT_EQ(result.err, c.err);
    }
    preferences.remove(volume);
    preferences.remove(tempo);
}

} // namespace
