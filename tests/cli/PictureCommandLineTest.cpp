// The command line's picture export: its input, its errors and the
// program run without a display.
#include "cli/CliTestUtil.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>

namespace {

using apptest::run;

// A valid score text: one note at step 0, end mark at `end`.
std::string scoreText(int end) {
    std::string text = "SCORE=0011" + std::string(3 * 959, '0') + "\nTEMPO=100\nLOOP=FALSE\n";
    return text + "END=" + std::to_string(end + 1) + "\nTIME44=TRUE\n";
}

class PictureCommandLine : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(_dir.isValid()); }
    QString path(const char* name) const { return _dir.filePath(QString::fromLatin1(name)); }
    QString writeScore(const char* name, const std::string& text) const {
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.data(), static_cast<qint64>(text.size()));
        return file.fileName();
    }

    QTemporaryDir _dir;
};

TEST_F(PictureCommandLine, ReadsStandardInput) {
    const auto result =
        run({QStringLiteral("-o"), path("stdin.png"), QStringLiteral("-")}, scoreText(4));
    ASSERT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(QImage(path("stdin.png")).size(), QSize(768 * 2, 132 * 2));
}

TEST_F(PictureCommandLine, FailuresGiveOneLineAndLeaveNoFile) {
    const QString bad = writeScore("bad.orn", "SCORE=\nTEMPO=100\n");
    const QString good = writeScore("good.orn", scoreText(8));
    const struct {
        QStringList arguments;
        int status;
        const char* message;
    } cases[] = {
        {{QStringLiteral("-o"), path("a.png"), bad}, 1, "not a valid score"},
        {{QStringLiteral("-o"), path("a.png"), path("missing.orn")}, 1, "missing.orn"},
        {{QStringLiteral("-o"), path("no/such/dir/a.png"), good}, 1, "a.png"},
        {{QStringLiteral("-o"), path("a.png"), QStringLiteral("--scale"), QStringLiteral("5"),
          good},
         2,
         "--scale"},
        {{QStringLiteral("-o"), path("a.png"), QStringLiteral("--scale"), QStringLiteral("0"),
          good},
         2,
         "--scale"},
        {{QStringLiteral("-o"), path("a.png"), QStringLiteral("--scale"), QStringLiteral("x"),
          good},
         2,
         "--scale"},
        {{QStringLiteral("-o"), path("a.orn"), QStringLiteral("--scale"), QStringLiteral("2"),
          good},
         2,
         "--scale"},
        {{QStringLiteral("--check"), good, QStringLiteral("--scale"), QStringLiteral("2")},
         2,
         "--scale"},
        {{QStringLiteral("-o"), path("a.png"), QStringLiteral("--short"), good}, 2, "--short"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        const auto result = run(c.arguments);
        EXPECT_EQ(result.code, c.status);
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
        EXPECT_FALSE(QFile::exists(path("a.png")));
        EXPECT_FALSE(QFile::exists(path("a.orn")));
    }
}

TEST_F(PictureCommandLine, AFailedExportKeepsTheOldPicture) {
    const QString output = path("keep.png");
    {
        QFile file(output);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("old");
    }
    const QString bad = writeScore("bad.orn", "TEMPO=100\n");
    EXPECT_EQ(run({QStringLiteral("-o"), output, bad}).code, 1);
    QFile file(output);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("old"));
}

TEST_F(PictureCommandLine, TheProgramExportsWithoutADisplay) {
    const QString program = apptest::program();
    ASSERT_TRUE(QFile::exists(program));
    const QString input = writeScore("in.orn", scoreText(12));
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(environment);
    process.start(program, {QStringLiteral("-o"), path("cli.png"), QStringLiteral("--scale"),
                            QStringLiteral("1"), input});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_EQ(QImage(path("cli.png")).size(), QSize(768, 132));
}

} // namespace
