#include "cli/PlayCommand.h"
#include "document/MyDocument.h"
#include "document/Preferences.h"
#include "sound/OrnWaves.h"
#include "sound/ScoreRender.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "cli/CliTestUtil.h"
#include "cli/JackServer.h"

namespace {

using apptest::run;
using apptest::writeFile;

// Tempo 120 (0.5 s a step), end 7 (END= counts one past it): notes on
// steps 0, 2, 3 and 6, the last ringing out past the end.
const QByteArray kScore = QByteArray("SCORE=") + "0091" + "000" + "0091" + "0092" + "000" +
                          "000" + "0093" + "\nTEMPO=120\nLOOP=FALSE\nEND=8\nTIME44=TRUE\n";
// Tempo 240 (0.25 s a step), end 4, looping.
const QByteArray kLoopingScore = QByteArray("SCORE=") + "0091" + "000" + "0091" + "0092" +
                                 "\nTEMPO=240\nLOOP=TRUE\nEND=5\nTIME44=TRUE\n";

// Seconds the score takes, played from step 0 until it has rung out (after
// `loops` passes of a looping one), as the document renders it.
double computedSeconds(const QByteArray& text, int loops) {
    const OrnWaves bank;
    Preferences preferences;
    MyDocument document(&preferences);
    document.stopObserving();
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.constData());
    document.replaceScore(std::make_unique<OrnScore>(
        std::span<const std::uint8_t>(bytes, static_cast<std::size_t>(text.size()))));
    document.syncData()->setVolume(1.0f);
    document.setTempoEmurationCoefficient(0);
    const long long frames =
        renderScore(document.player(), document.score(), loops, [](std::span<const float>) { return true; });
    return static_cast<double>(frames) / 44100.0;
}

QString program() {
    return QString::fromLocal8Bit(ZUBO_TEST_BIN_DIR) + QStringLiteral("/zubo-sequencer");
}

// A run of `zubo-sequencer --play ...` in its own process, with the moments
// its start and end lines arrived and the moment it ended.
struct Played {
    int code = -1;
    std::string out;
    std::string err;
    double startLine = -1.0; // seconds after the program was started
    double endLine = -1.0;
    double exited = -1.0;
    double lastSignal = -1.0; // when the last of the signals below was sent
};

// A signal sent `afterMs` after the start line, to the player or (with a
// `server`) to the sound server.
struct TimedSignal {
    int afterMs;
    int signal;
    apptest::JackServer* server = nullptr;
};

Played playProcess(const QStringList& args, std::vector<TimedSignal> timed = {}) {
    Played played;
    QProcess process;
    QElapsedTimer clock;
    clock.start();
    process.start(program(), QStringList{QStringLiteral("--play")} + args);
    if (!process.waitForStarted(5000)) {
        return played;
    }
    QByteArray out;
    const auto now = [&] { return static_cast<double>(clock.nsecsElapsed()) * 1e-9; };
    while (process.state() != QProcess::NotRunning && clock.elapsed() < 60000) {
        process.waitForReadyRead(5);
        while (process.canReadLine()) {
            const QByteArray line = process.readLine();
            out += line;
            if (line.startsWith("Playing ")) {
                played.startLine = now();
            } else if (line.startsWith("Played ") || line.startsWith("Stopped ")) {
                played.endLine = now();
            }
        }
        while (!timed.empty() && played.startLine >= 0.0 &&
               played.startLine * 1000.0 + timed.front().afterMs < now() * 1000.0) {
            const TimedSignal sent = timed.front();
            timed.erase(timed.begin());
            if (sent.server != nullptr) {
                sent.server->signal(sent.signal);
            } else {
                ::kill(static_cast<pid_t>(process.processId()), sent.signal);
            }
            played.lastSignal = now();
        }
    }
    played.exited = now();
    process.waitForFinished(5000);
    out += process.readAll();
    played.out = out.toStdString();
    played.err = process.readAllStandardError().toStdString();
    played.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return played;
}

class PlayCommand : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

TEST_F(PlayCommand, OptionsThatDoNotGoTogether) {
    writeFile(path("a.orn"), kScore);
    const QString file = path("a.orn");
    const QStringList usageErrors[] = {
        {"--null-output", file},
        {"--play", file, "--float"},
        {"--play", file, "extra.orn"},
        {"--play", file, "-o", path("b.wav")},
        {"--play", file, "--dump", file},
        {"--play", file, "--loops", "0"},
        {"--play", file, "--volume", "-1"},
        {"--play", file, "--tempo-emulation", "4"},
        {"--play", file, "--scale", "2"},
    };
    for (const auto& args : usageErrors) {
        const auto result = run(args);
        EXPECT_EQ(result.code, 2) << args.join(' ').toStdString();
        EXPECT_NE(result.err.find("Try 'zubo-sequencer --help'"), std::string::npos);
    }
}

TEST_F(PlayCommand, AnInvalidScoreIsRefusedBeforeAnySound) {
    writeFile(path("bad.orn"), "TEMPO=120\n");
    const auto result = run({"--play", path("bad.orn"), "--null-output"});
    EXPECT_EQ(result.code, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("bad.orn"), std::string::npos);
}

// Without a device the silent output keeps real-time pace: a non-looping
// score and N passes of a looping one take their computed time.
TEST_F(PlayCommand, SilentOutputTakesTheComputedTime) {
    struct {
        const char* name;
        QByteArray text;
        int loops;
    } const cases[] = {{"once.orn", kScore, 1}, {"loop.orn", kLoopingScore, 3}};
    for (const auto& c : cases) {
        writeFile(path(c.name), c.text);
        const double expected = computedSeconds(c.text, c.loops);
        const Played played =
            playProcess({path(c.name), "--null-output", "--loops", QString::number(c.loops),
                         "--volume", "100", "--tempo-emulation", "0"});
        ASSERT_EQ(played.code, 0) << played.err;
        ASSERT_GE(played.startLine, 0.0) << played.out;
        ASSERT_GE(played.endLine, 0.0) << played.out;
        const double took = played.endLine - played.startLine;
        EXPECT_NEAR(took, expected, 0.02 * expected + 0.05) << c.name;
        EXPECT_NE(played.out.find("no audio output"), std::string::npos) << played.out;
    }
}

TEST_F(PlayCommand, CtrlCAndSigtermStopTheSoundAndExit) {
    writeFile(path("loop.orn"), kLoopingScore);
    const struct {
        int signal;
        int code;
    } cases[] = {{SIGINT, 130}, {SIGTERM, 143}};
    for (const auto& c : cases) {
        const Played played =
            playProcess({path("loop.orn"), "--null-output", "--loops", "1000"}, {{300, c.signal}});
        EXPECT_EQ(played.code, c.code) << played.out << played.err;
        EXPECT_NE(played.out.find("Stopped after"), std::string::npos) << played.out;
        EXPECT_LT(played.endLine - played.startLine, 2.0);
    }
}

// Real output: PortAudio through a JACK server on its dummy driver.
class JackOutput : public PlayCommand {
protected:
    static void SetUpTestSuite() {
        server = std::make_unique<apptest::JackServer>();
        if (!server->start(startError)) {
            server.reset();
        }
    }
    static void TearDownTestSuite() { server.reset(); }

    void SetUp() override {
        if (!server) {
            if (startError == "jackd is not installed") {
                GTEST_SKIP() << "jackd is not installed (package jackd2): the tests of real "
                                "audio output need it";
            }
            FAIL() << startError;
        }
    }

    static inline std::unique_ptr<apptest::JackServer> server;
    static inline std::string startError;
};

TEST_F(JackOutput, PlayTakesTheComputedDuration) {
    writeFile(path("a.orn"), kScore);
    const double expected = computedSeconds(kScore, 1);
    const Played played =
        playProcess({path("a.orn"), "--volume", "100", "--tempo-emulation", "0"});
    ASSERT_EQ(played.code, 0) << played.out << played.err;
    // The output in use is a device, not the silent one.
    EXPECT_EQ(played.out.find("no audio output"), std::string::npos) << played.out;
    const double took = played.endLine - played.startLine;
    // Never faster than the song; a loaded machine may make it late, which
    // is the machine's, not the player's.
    EXPECT_GE(took, expected - 0.02 * expected - 0.05);
    EXPECT_LE(took, expected + 0.02 * expected + 1.0);
    // No device chatter on stderr.
    EXPECT_EQ(played.err, "");
}

TEST_F(JackOutput, ThePreviewOutputStopsItselfAfterThePreview) {
    static int argc = 1;
    static char name[] = "app_tests";
    static char* argv[] = {name, nullptr};
    const QCoreApplication application(argc, argv);
    const OrnWaves bank;
    Preferences preferences;
    MyDocument document(&preferences);
    ASSERT_TRUE(document.initAudio());
    ASSERT_TRUE(document.hasAudioOutput());

    auto voice = OrnWaves::allocTone(1, 9);
    ASSERT_NE(voice, nullptr);
    document.playSingleSound(voice);
    const double length = voice->duration() / 44100.0;
    EXPECT_TRUE(document.isAudioUnitRunning());
    // The device pulls the preview at real-time pace.
    EXPECT_TRUE(QTest::qWaitFor([&] { return document.syncData()->toneIndex() > 0; }, 2000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !document.isAudioUnitRunning(); },
                                static_cast<int>(length * 1000) + 2000));
    EXPECT_LE(document.syncData()->whenToneEnds(), 0.0f);
    const auto blocks = document.audioOutput()->blocksRendered();
    QTest::qWait(100);
    EXPECT_EQ(document.audioOutput()->blocksRendered(), blocks);
}

// A sound server that goes away while --play plays: a server of its own
// per case, since each case harms it.
TEST_F(PlayCommand, ALostSoundServerNeverHangsThePlayer) {
    writeFile(path("loop.orn"), kLoopingScore);
    const struct {
        const char* name;
        std::vector<int> toServer;  // sent 500 ms after the start line
        std::vector<int> toPlayer;  // sent 700 ms, 900 ms, ... after it
        int code;
        bool stoppedLine;           // the player said it stopped
        const char* err;
        double within;              // seconds from the last signal to the exit
    } cases[] = {
        {"server killed", {SIGKILL}, {}, 1, false, "stopped taking sound", 2.0},
        {"server frozen, one SIGTERM", {SIGSTOP}, {SIGTERM}, 143, true, "", 2.0},
        // The stop waits a second for the frozen server; the second Ctrl-C
        // ends the process before that.
        {"server frozen, two Ctrl-C", {SIGSTOP}, {SIGINT, SIGINT}, 130, false, "", 0.7},
    };
    for (const auto& c : cases) {
        apptest::JackServer server;
        std::string error;
        if (!server.start(error, "-lost")) {
            if (error == "jackd is not installed") {
                GTEST_SKIP() << "jackd is not installed (package jackd2)";
            }
            FAIL() << error;
        }
        std::vector<TimedSignal> timed;
        for (const int signal : c.toServer) {
            timed.push_back({500, signal, &server});
        }
        for (std::size_t i = 0; i < c.toPlayer.size(); ++i) {
            timed.push_back({700 + 200 * static_cast<int>(i), c.toPlayer[i]});
        }
        const Played played = playProcess({path("loop.orn"), "--loops", "1000"}, timed);
        EXPECT_EQ(played.code, c.code) << c.name << '\n' << played.out << played.err;
        EXPECT_EQ(played.out.find("Stopped after") != std::string::npos, c.stoppedLine)
            << c.name << '\n' << played.out;
        EXPECT_NE(played.err.find(c.err), std::string::npos) << c.name << '\n' << played.err;
        EXPECT_GT(played.lastSignal, 0.0) << c.name;
        EXPECT_LT(played.exited - played.lastSignal, c.within) << c.name;
    }
}

} // namespace
