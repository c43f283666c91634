#include "export/AudioExport.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <sndfile.h>

#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <vector>

#include "cli/CliTestUtil.h"

namespace {

using apptest::run;
using apptest::writeFile;

struct Sound {
    SF_INFO info{};
    std::vector<float> frames; // interleaved
};

Sound readSound(const QString& path) {
    Sound sound;
    SNDFILE* file = sf_open(path.toLocal8Bit().constData(), SFM_READ, &sound.info);
    if (file == nullptr) {
        return sound;
    }
    sound.frames.resize(static_cast<std::size_t>(sound.info.frames * sound.info.channels));
    sf_readf_float(file, sound.frames.data(), sound.info.frames);
    sf_close(file);
    return sound;
}

// Tempo 120 (22050 frames a step), a Zubo at F4 on step 0 and step 2, end 4.
const QByteArray kScore = "SCORE=0091000091\nTEMPO=120\nLOOP=FALSE\nEND=5\nTIME44=TRUE\n";

class AudioExport : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

TEST_F(AudioExport, FloatWavHoldsTheRenderFromStepZeroUntilSilence) {
    writeFile(path("a.orn"), kScore);
    ASSERT_EQ(run({"-o", path("a.wav"), "--float", "--volume", "100", "--tempo-emulation", "0",
                   path("a.orn")})
                  .code,
              0);
    const Sound sound = readSound(path("a.wav"));
    ASSERT_EQ(sound.info.samplerate, 44100);
    ASSERT_EQ(sound.info.channels, 2);
    EXPECT_EQ(sound.info.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    // The first frame is the first frame of the note, which starts at zero
    // and then sounds; step 1 is silent until step 2's note begins.
    EXPECT_EQ(sound.frames[0], 0.0f);
    float loudest = 0.0f;
    for (int i = 0; i < 2000; ++i) {
        loudest = std::max(loudest, std::abs(sound.frames[2 * static_cast<std::size_t>(i)]));
    }
    EXPECT_GT(loudest, 0.01f);
    // Rendering goes past the end mark (step 4) only while the last note
    // rings, and stops at the first silent frame after it.
    EXPECT_GT(sound.info.frames, 2 * 22050);
    EXPECT_GE(sound.info.frames, 4 * 22050 + 1);
    const std::size_t last = static_cast<std::size_t>(sound.info.frames - 1) * 2;
    EXPECT_EQ(sound.frames[last], 0.0f);
}

// kScore's second note replaces the first on its track at frame 44100: the
// smooth render fades the first out over 3 ms there, and is the same as
// the classic one everywhere else.
TEST_F(AudioExport, SmoothFadesTheReplacedVoiceAndChangesNothingElse) {
    writeFile(path("a.orn"), kScore);
    const QStringList common{"--float", "--volume", "100", "--tempo-emulation", "0", path("a.orn")};
    ASSERT_EQ(run(QStringList{"-o", path("classic.wav")} + common).code, 0);
    ASSERT_EQ(run(QStringList{"-o", path("smooth.wav"), "--smooth"} + common).code, 0);
    const Sound classic = readSound(path("classic.wav"));
    const Sound smooth = readSound(path("smooth.wav"));
    ASSERT_EQ(classic.frames.size(), smooth.frames.size());
    std::size_t first = classic.frames.size();
    std::size_t last = 0;
    for (std::size_t i = 0; i < classic.frames.size(); ++i) {
        if (classic.frames[i] != smooth.frames[i]) {
            first = std::min(first, i / 2);
            last = i / 2;
        }
    }
    EXPECT_EQ(first, 44100u);
    EXPECT_EQ(last, 44100u + 44100u * 3 / 1000 - 1);
}

TEST_F(AudioExport, VolumeScalesAndLoopsRepeat) {
    const QByteArray looping = "SCORE=0091\nTEMPO=600\nLOOP=TRUE\nEND=4\nTIME44=TRUE\n";
    writeFile(path("loop.orn"), looping);
    ASSERT_EQ(run({"-o", path("full.wav"), "--float", "--volume", "100", path("loop.orn")}).code, 0);
    ASSERT_EQ(run({"-o", path("half.wav"), "--float", "--volume", "50", path("loop.orn")}).code, 0);
    ASSERT_EQ(run({"-o", path("three.wav"), "--float", "--volume", "100", "--loops", "3",
                   path("loop.orn")})
                  .code,
              0);
    const Sound full = readSound(path("full.wav"));
    const Sound half = readSound(path("half.wav"));
    const Sound three = readSound(path("three.wav"));
    ASSERT_EQ(full.frames.size(), half.frames.size());
    for (std::size_t i = 0; i < full.frames.size(); i += 97) {
        ASSERT_EQ(half.frames[i], full.frames[i] * 0.5f) << i;
    }
    // Tempo 600 is 4410 frames a step: three passes of three steps, and the
    // last pass rings out as one pass alone does.
    const std::size_t pass = 3 * 4410 * 2;
    ASSERT_EQ(three.frames.size(), full.frames.size() + 2 * pass);
    for (std::size_t i = 0; i < pass; i += 13) {
        ASSERT_EQ(three.frames[i + pass], three.frames[i]) << i;
        ASSERT_EQ(three.frames[i + 2 * pass], full.frames[i]) << i;
    }
}

TEST_F(AudioExport, SixteenBitIsClippedNotWrapped) {
    // Three loud notes at once, at 400 % volume, go far beyond full scale.
    writeFile(path("loud.orn"), "SCORE=5F8F9F\nTEMPO=120\nLOOP=FALSE\nEND=2\nTIME44=TRUE\n");
    ASSERT_EQ(run({"-o", path("loud.wav"), "--volume", "400", path("loud.orn")}).code, 0);
    ASSERT_EQ(run({"-o", path("loud-float.wav"), "--float", "--volume", "400", path("loud.orn")})
                  .code,
              0);
    const Sound clipped = readSound(path("loud.wav"));
    const Sound exact = readSound(path("loud-float.wav"));
    EXPECT_EQ(clipped.info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    ASSERT_EQ(clipped.frames.size(), exact.frames.size());
    int beyond = 0;
    for (std::size_t i = 0; i < exact.frames.size(); ++i) {
        if (std::abs(exact.frames[i]) > 1.0f) {
            ++beyond;
            ASSERT_GT(clipped.frames[i] * exact.frames[i], 0.99f) << i; // same sign, full scale
        }
    }
    EXPECT_GT(beyond, 0);
}

TEST_F(AudioExport, OtherFormats) {
    writeFile(path("a.orn"), kScore);
    struct {
        const char* name;
        int format;
    } const cases[] = {{"a.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
                       {"a.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS},
                       {"A.WAV", SF_FORMAT_WAV | SF_FORMAT_PCM_16}};
    for (const auto& c : cases) {
        ASSERT_EQ(run({"-o", path(c.name), path("a.orn")}).code, 0) << c.name;
        const Sound sound = readSound(path(c.name));
        EXPECT_EQ(sound.info.format, c.format) << c.name;
        EXPECT_EQ(sound.info.channels, 2) << c.name;
        EXPECT_GT(sound.info.frames, 4 * 22050) << c.name;
    }
}

TEST_F(AudioExport, BadRequestsLeaveNothingBehind) {
    writeFile(path("a.orn"), kScore);
    writeFile(path("bad.orn"), "TEMPO=1\n");
    writeFile(path("old.wav"), "precious");
    struct {
        QStringList args;
        int code;
        const char* message;
    } const cases[] = {
        {{"-o", path("old.wav"), path("bad.orn")}, 1, "not a valid score"},
        {{"-o", path("x.flac"), "--float", path("a.orn")}, 2, "--float needs a .wav"},
        {{"-o", path("none/x.wav"), path("a.orn")}, 1, "none/x.wav"},
        {{"-o", path("x.wav"), "--volume", "-3", path("a.orn")}, 2, "--volume"},
        {{"-o", path("x.wav"), "--volume", "loud", path("a.orn")}, 2, "--volume"},
        {{"-o", path("x.wav"), "--tempo-emulation", "4", path("a.orn")}, 2, "--tempo-emulation"},
        {{"-o", path("x.wav"), "--loops", "0", path("a.orn")}, 2, "--loops"},
        {{"-o", path("x.orn"), "--loops", "2", path("a.orn")}, 2, "--loops"},
        {{"-o", path("x.png"), "--smooth", path("a.orn")}, 2, "--smooth"},
        {{"--check", "--float", path("a.orn")}, 2, "--float"},
    };
    for (const auto& c : cases) {
        const auto result = run(c.args);
        EXPECT_EQ(result.code, c.code) << c.args.join(' ').toStdString();
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    }
    EXPECT_EQ(apptest::readFile(path("old.wav")), "precious");
    EXPECT_EQ(QDir(dir.path(), {}, QDir::Name, QDir::Files | QDir::Hidden).count(), 3u)
        << "temporary files left";
}

// Each format under a file-size limit, cut early or only at its last byte:
// the encoders' final writes happen in sf_close(), which drops their error.
TEST_F(AudioExport, WriteThatFailsPartWayKeepsTheOldFileAndSaysWhy) {
    writeFile(path("a.orn"), kScore);
    for (const char* name : {"a.wav", "a.flac", "a.ogg"}) {
        ASSERT_EQ(run({"-o", path(name), path("a.orn")}).code, 0) << name;
        const auto size = static_cast<rlim_t>(QFileInfo(path(name)).size());
        ASSERT_TRUE(QFile::remove(path(name)));
        for (const rlim_t limit : {rlim_t{1024}, rlim_t{4096}, size - 1}) {
            writeFile(path(name), "precious");
            const auto result =
                apptest::runWithFileSizeLimit({"-o", path(name), path("a.orn")}, limit);
            EXPECT_EQ(result.code, 1) << name << " limit " << limit;
            EXPECT_EQ(result.out, "") << name << " limit " << limit;
            EXPECT_NE(result.err.find(": File too large"), std::string::npos)
                << name << " limit " << limit << ": " << result.err;
            EXPECT_EQ(apptest::readFile(path(name)), "precious") << name << " limit " << limit;
            EXPECT_EQ(QDir(dir.path(), {}, QDir::Name, QDir::Files | QDir::Hidden).count(), 2u)
                << name << ": temporary left";
        }
        ASSERT_TRUE(QFile::remove(path(name)));
    }
}

TEST_F(AudioExport, OverwritingKeepsModeAndSymbolicLink) {
    writeFile(path("a.orn"), kScore);
    for (const QString ext : {"wav", "flac", "ogg"}) {
        const QString real = path("real." + ext);
        const QString link = path("link." + ext);
        const auto mode = std::filesystem::perms(0640);
        writeFile(real, "old");
        std::filesystem::permissions(real.toStdString(), mode);
        ASSERT_TRUE(QFile::link(QFileInfo(real).fileName(), link));
        ASSERT_EQ(run({"-o", link, path("a.orn")}).code, 0) << ext.toStdString();
        EXPECT_TRUE(QFileInfo(link).isSymLink()) << ext.toStdString();
        EXPECT_EQ(std::filesystem::status(real.toStdString()).permissions(), mode)
            << ext.toStdString();
        EXPECT_GT(readSound(real).info.frames, 4 * 22050) << ext.toStdString();
    }
}

TEST_F(AudioExport, WavThatCannotFitIsRefusedBeforeWriting) {
    // Tempo 0 plays as tempo 1: a minute a step, far beyond any disk.
    writeFile(path("slow.orn"), "SCORE=0091\nTEMPO=0\nLOOP=TRUE\nEND=900\nTIME44=TRUE\n");
    const QStringList cases[] = {
        {"-o", path("huge.wav"), "--loops", "1000", path("slow.orn")},
        {"-o", path("huge.wav"), "--float", "--loops", "1000", path("slow.orn")},
    };
    for (const auto& args : cases) {
        const auto result = run(args);
        EXPECT_EQ(result.code, 1) << args.join(' ').toStdString();
        EXPECT_NE(result.err.find("huge.wav: needs at least "), std::string::npos) << result.err;
        EXPECT_NE(result.err.find(" MB are free there"), std::string::npos) << result.err;
        EXPECT_EQ(QDir(dir.path(), {}, QDir::Name, QDir::Files | QDir::Hidden).count(), 1u);
    }
}

// The program is stopped while it writes an export of over an hour.
TEST_F(AudioExport, SignalDuringExportRemovesTheTemporary) {
    writeFile(path("long.orn"), "SCORE=0091\nTEMPO=60\nLOOP=TRUE\nEND=5\nTIME44=TRUE\n");
    const struct {
        int signal;
        const char* name;
    } cases[] = {{SIGINT, "out.ogg"}, {SIGTERM, "out.flac"}, {SIGHUP, "out.ogg"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.signal);
        QProcess process;
        process.start(apptest::program(),
                      {"-o", path(c.name), "--loops", "1000", path("long.orn")});
        ASSERT_TRUE(process.waitForStarted());
        const QString pattern = QStringLiteral(".%1.zubo-*").arg(c.name);
        QDeadlineTimer deadline(30000);
        QStringList temporaries;
        while (temporaries.isEmpty() && !deadline.hasExpired() &&
               process.state() == QProcess::Running) {
            QThread::msleep(10);
            temporaries =
                QDir(dir.path(), pattern, QDir::Name, QDir::Files | QDir::Hidden).entryList();
        }
        EXPECT_EQ(temporaries.size(), 1);
        ::kill(static_cast<pid_t>(process.processId()), c.signal);
        const bool ended = process.waitForFinished(10000);
        if (!ended) {
            process.kill();
            process.waitForFinished();
        }
        EXPECT_TRUE(ended);
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 128 + c.signal);
        EXPECT_EQ(QDir(dir.path(), {}, QDir::Name, QDir::Files | QDir::Hidden).entryList(),
                  QStringList{"long.orn"});
    }
}

} // namespace

namespace {

constexpr sf_count_t kOdeFrames = 1298920;
constexpr std::uint64_t kOdeChecksum = 0x7daf008c80f0e850ull;

// A longer render of an example score with the program's own sounds: any
// change of the output (sounds, mixing, timing) changes this checksum, and
// whoever changes it must say why in the commit that updates it.
TEST_F(AudioExport, ExampleRenderIsUnchanged) {
    const QString example =
        QString::fromLocal8Bit(qgetenv("ZUBO_SOURCE_DIR")) + "/resources/examples/ode-to-joy.orn";
    ASSERT_EQ(run({"-o", path("ode.wav"), "--float", "--volume", "100", "--tempo-emulation", "0",
                   example})
                  .code,
              0);
    const Sound sound = readSound(path("ode.wav"));
    std::uint64_t hash = 14695981039346656037ull;
    for (float value : sound.frames) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        for (int b = 0; b < 4; ++b) {
            hash = (hash ^ ((bits >> (8 * b)) & 0xffu)) * 1099511628211ull;
        }
    }
    EXPECT_EQ(sound.info.frames, kOdeFrames);
    EXPECT_EQ(hash, kOdeChecksum) << std::hex << hash;
}

} // namespace
