#include "export/ScoreCommands.h"
#include "export/ScoreInput.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "cli/CliTestUtil.h"

namespace {

using apptest::readFile;
using apptest::run;
using apptest::writeFile;

const QByteArray kExample = "SCORE=0011000052CF335383\nTEMPO=120\nLOOP=TRUE\nEND=5\nTIME44=FALSE\n";

class ScoreCommands : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

TEST_F(ScoreCommands, DumpPrintsSettingsAndStoredCells) {
    writeFile(path("a.orn"), kExample);
    const auto result = run({"--dump", path("a.orn")});
    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(result.out, "valid YES\ntempo 120\nmeasure 3\nend 4\nloop YES\n"
                          "cell 0 0 79 1\ncell 2 0 72 2\ncell 2 1 60 15\n"
                          "cell 3 0 76 3\ncell 3 1 72 3\ncell 3 2 67 3\n");
    // Standard input, and a stored empty cell that still carries a prog.
    const auto piped = run({"--dump", "-"}, "SCORE=E5\nTEMPO=1\nLOOP=x\n");
    EXPECT_EQ(piped.code, 1);
    EXPECT_EQ(piped.out,
              "valid NO\ntempo 1\nmeasure 4\nend 0\nloop NO\ncell 0 0 -1 5\n");
}

TEST_F(ScoreCommands, CheckSummarisesEachFile) {
    writeFile(path("good.orn"), kExample);
    writeFile(path("bad.orn"), "TEMPO=90\n");
    QDir(dir.path()).mkdir("folder");
    const auto good = run({"--check", path("good.orn")});
    EXPECT_EQ(good.code, 0);
    EXPECT_EQ(good.out, path("good.orn").toStdString() +
                            ": valid score, tempo 120, 3/4, end 4, loop on, 6 notes\n");

    // One readable file that is not a score is a failure by itself.
    const auto invalid = run({"--check", path("bad.orn")});
    EXPECT_EQ(invalid.code, 1);
    EXPECT_EQ(invalid.out, path("bad.orn").toStdString() + ": not a valid score\n");

    const auto mixed = run({"--check", path("good.orn"), path("bad.orn"), path("missing.orn"),
                            path("folder")});
    EXPECT_EQ(mixed.code, 1);
    EXPECT_NE(mixed.out.find(path("bad.orn").toStdString() + ": not a valid score\n"),
              std::string::npos);
    EXPECT_NE(mixed.err.find(path("missing.orn").toStdString() + ": no such file"),
              std::string::npos);
    EXPECT_NE(mixed.err.find(path("folder").toStdString() + ": is a directory"),
              std::string::npos);
}

TEST_F(ScoreCommands, OversizedInputIsRefused) {
    writeFile(path("big.orn"), kExample + QByteArray(static_cast<qsizetype>(zubo::kMaxScoreFileBytes), ' '));
    const auto result = run({"--check", path("big.orn")});
    EXPECT_EQ(result.code, 1);
    EXPECT_NE(result.err.find("larger than 1048576 bytes"), std::string::npos) << result.err;
    const auto piped = run({"--dump", "-"}, std::string(zubo::kMaxScoreFileBytes + 1, ' '));
    EXPECT_EQ(piped.code, 1);
    EXPECT_NE(piped.err.find("standard input: larger than"), std::string::npos);
}

TEST_F(ScoreCommands, ExportWritesFullOrShortForm) {
    writeFile(path("a.orn"), kExample);
    ASSERT_EQ(run({"-o", path("full.orn"), path("a.orn")}).code, 0);
    const QByteArray full = readFile(path("full.orn"));
    EXPECT_TRUE(full.startsWith("SCORE=0011000052CF335383000"));
    EXPECT_EQ(full.size(), 6 + 2886 + 2 + 11 + 11 + 7 + 14);
    EXPECT_TRUE(full.endsWith("\r\nEND=5\r\nTIME44=FALSE\r\n"));

    ASSERT_EQ(run({"--export-to", path("short.orn"), "--short", path("a.orn")}).code, 0);
    EXPECT_EQ(readFile(path("short.orn")),
              "SCORE=0011000052CF335383" + QByteArray(276, '0') +
                  "\nTEMPO=120\nLOOP=TRUE\nEND=5\nTIME44=FALSE\n");
}

TEST_F(ScoreCommands, FailedExportLeavesExistingOutputAlone) {
    writeFile(path("bad.orn"), "TEMPO=1\n");
    writeFile(path("out.orn"), "precious");
    const auto invalid = run({"-o", path("out.orn"), path("bad.orn")});
    EXPECT_EQ(invalid.code, 1);
    EXPECT_NE(invalid.err.find("not a valid score"), std::string::npos);
    EXPECT_EQ(readFile(path("out.orn")), "precious");

    writeFile(path("a.orn"), kExample);
    const auto unwritable = run({"-o", path("no/such/dir/out.orn"), path("a.orn")});
    EXPECT_EQ(unwritable.code, 1);
    EXPECT_NE(unwritable.err.find("no/such/dir/out.orn"), std::string::npos);

    const auto unknown = run({"-o", path("out.midi"), path("a.orn")});
    EXPECT_EQ(unknown.code, 2);
    EXPECT_NE(unknown.err.find("unknown output format"), std::string::npos);
    EXPECT_FALSE(QFile::exists(path("out.midi")));
}

TEST_F(ScoreCommands, WriteThatFailsPartWayKeepsTheOldFileAndSaysWhy) {
    writeFile(path("a.orn"), kExample);
    const struct {
        const char* name;
        QString target;
        QStringList args;
    } cases[] = {
        {"full form", path("keep.orn"), {"-o", path("keep.orn"), path("a.orn")}},
        {"short form", path("keep.orn"), {"-o", path("keep.orn"), "--short", path("a.orn")}},
        {"in place", path("keep.orn"), {"-o", path("keep.orn"), path("keep.orn")}},
        {"picture", path("keep.png"), {"-o", path("keep.png"), path("a.orn")}},
    };
    for (const auto& c : cases) {
        writeFile(c.target, kExample);
        const auto result = apptest::runWithFileSizeLimit(c.args, 40);
        EXPECT_EQ(result.code, 1) << c.name;
        EXPECT_NE(result.err.find(c.target.toStdString() + ": File too large"), std::string::npos)
            << c.name << ": " << result.err;
        EXPECT_EQ(readFile(c.target), kExample) << c.name;
        EXPECT_EQ(QDir(dir.path(), {}, QDir::Name, QDir::Files | QDir::Hidden).count(), 2u)
            << c.name << ": temporary left";
        QFile::remove(c.target);
    }
}

} // namespace
