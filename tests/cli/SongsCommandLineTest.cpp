#include "cli/CliTestUtil.h"
#include "export/SmfBuilder.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray bytesOf(const smfbuild::Bytes& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

TEST(SongsCommandLine, ImportsMidiFilesOntoTheStaff) {
    QTemporaryDir dir;
    smfbuild::Track tune;
    tune.on(0, 0, 61).off(480, 0, 61).on(0, 0, 72).off(480, 0, 72).end();
    const QString in = dir.filePath("tune.midi");
    apptest::writeFile(in, bytesOf(smfbuild::file(0, 480, {tune})));
    const QString out = dir.filePath("tune.orn");
    const apptest::Run r = apptest::run({"-o", out, in});
    EXPECT_EQ(r.code, 0) << r.err;
    const std::string prefix = "zubo-sequencer: " + in.toStdString() + ": ";
    EXPECT_EQ(r.err, prefix + "imported 2 notes (a step is a quarter note)\n" + prefix +
                         "1 black key moved to the white key below\n");
    const apptest::Run dump = apptest::run({"--dump", out});
    EXPECT_NE(dump.out.find("cell 0 0 60 1"), std::string::npos) << dump.out;
    EXPECT_NE(dump.out.find("cell 1 0 72 1"), std::string::npos) << dump.out;

    // The same file through standard input, known by its header alone.
    const apptest::Run piped = apptest::run({"-o", dir.filePath("piped.orn"), "-"},
                                            bytesOf(smfbuild::file(0, 480, {tune})).toStdString());
    EXPECT_EQ(piped.code, 0) << piped.err;
    EXPECT_EQ(apptest::readFile(dir.filePath("piped.orn")), apptest::readFile(out));
}

TEST(SongsCommandLine, AScoreComesBackThroughItsMidiFile) {
    QTemporaryDir dir;
    const QString score = dir.filePath("a.orn");
    apptest::writeFile(score, "SCORE=0091000091\nTEMPO=2\nLOOP=TRUE\nEND=7\nTIME44=FALSE\n");
    ASSERT_EQ(apptest::run({"-o", dir.filePath("a.mid"), "--tempo-emulation", "0", score}).code, 0);
    ASSERT_EQ(apptest::run({"-o", dir.filePath("b.orn"), dir.filePath("a.mid")}).code, 0);
    ASSERT_EQ(apptest::run({"-o", dir.filePath("c.orn"), score}).code, 0);
    EXPECT_EQ(apptest::readFile(dir.filePath("b.orn")), apptest::readFile(dir.filePath("c.orn")));
}

TEST(SongsCommandLine, RefusesBadMidiFilesAndWritesNothing) {
    QTemporaryDir dir;
    const std::vector<std::pair<QByteArray, std::string>> cases = {
        {"SCORE=\nTEMPO=120\n", "it does not begin with MThd"},
        {QByteArray("MThd\0\0\0\6\0\1\0\1\xE7\x28", 14), "a division in SMPTE frames"},
        {QByteArray("MThd\0\0\0\6\0\1\0\0\1\xE0", 14), "no tracks"},
    };
    for (const auto& [bytes, reason] : cases) {
        SCOPED_TRACE(reason);
        const QString in = dir.filePath("bad.mid");
        apptest::writeFile(in, bytes);
        const QString out = dir.filePath("bad.orn");
        const apptest::Run r = apptest::run({"-o", out, in});
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.err, "zubo-sequencer: " + in.toStdString() + ": not a Standard MIDI File (" +
                             reason + ")\n");
        EXPECT_FALSE(QFile::exists(out));
    }
}

TEST(SongsCommandLine, WritesMusicXml) {
    QTemporaryDir dir;
    const QString in = dir.filePath("a.orn");
    apptest::writeFile(in, "SCORE=0091000091\nTEMPO=120\nLOOP=FALSE\nEND=4\nTIME44=TRUE\n");
    const QString out = dir.filePath("a.MusicXML");
    const apptest::Run r = apptest::run({"-o", out, in});
    EXPECT_EQ(r.code, 0) << r.err;
    const QByteArray text = apptest::readFile(out);
    EXPECT_TRUE(text.startsWith("<?xml version=\"1.0\""));
    EXPECT_TRUE(text.contains("<score-partwise version=\"4.0\">"));
    EXPECT_EQ(apptest::run({"-o", dir.filePath("b.musicxml"), "--short", in}).code, 2);
}

} // namespace
