#include "app/PictureExport.h"

#include "app/CommandLine.h"
#include "display/MyIcons.h"
#include "score/OrnScore.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <string>

namespace {

// A valid score text: one note at step 0, end mark at `end`.
std::string scoreText(int end) {
    std::string text = "SCORE=0011" + std::string(3 * 959, '0') + "\nTEMPO=100\nLOOP=FALSE\n";
    return text + "END=" + std::to_string(end + 1) + "\nTIME44=TRUE\n";
}

struct Run {
    int status;
    std::string out, err;
};

Run run(const QStringList& arguments, const std::string& input = {}) {
    std::ostringstream out;
    std::ostringstream err;
    std::istringstream in(input);
    QStringList argv{QStringLiteral("zubo-sequencer")};
    argv << arguments;
    const int status = zubo::runHeadless(zubo::parseCommandLine(argv), out, err, in);
    return {status, out.str(), err.str()};
}

class PictureExportTest : public testing::Test {
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

TEST_F(PictureExportTest, PictureWidthRunsToPastTheEndMark) {
    const struct {
        int end, width;
    } cases[] = {{1, 768}, {10, 768}, {30, 1106}, {100, 3346}, {959, 30818}, {960, 30818}};
    for (const auto& c : cases) {
        OrnScore score;
        score.setEnd(c.end);
        EXPECT_EQ(zubo::pictureWidth(score), c.width) << c.end;
    }
}

TEST_F(PictureExportTest, WritesThePictureAtEachScale) {
    const std::string text = scoreText(30);
    const QString input = writeScore("in.orn", text);
    const OrnScore score(std::span<const std::uint8_t>(
        reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    for (int scale : {1, 2, 4}) {
        SCOPED_TRACE(scale);
        const QString output = path("out.png");
        QStringList arguments{QStringLiteral("-o"), output, input};
        if (scale != 2) {
            arguments << QStringLiteral("--scale") << QString::number(scale);
        }
        const auto result = run(arguments);
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.err, "");
        const QImage picture(output);
        ASSERT_EQ(picture.size(), QSize(1106 * scale, 132 * scale));
        // The file holds exactly what the painter paints.
        // The export made and freed its own atlas; the reference needs one too.
        ASSERT_EQ(MyIcons::myIcons(), nullptr);
        const MyIcons icons;
        QImage reference = zubo::paintScorePicture(score, scale);
        reference.setDevicePixelRatio(1);
        EXPECT_TRUE(picture.convertToFormat(QImage::Format_RGB32) ==
                    reference.convertToFormat(QImage::Format_RGB32));
    }
}

// Notes across the whole strip, the loop marks and an end mark at `end`.
std::unique_ptr<OrnScore> busyScore(int end) {
    auto score = std::make_unique<OrnScore>();
    for (int step = 0; step < end; step += 3) {
        score->addNoteAt(step, 1 + step % 13, 1 + step % 15);
    }
    score->setLoop(true);
    score->setEnd(end);
    return score;
}

TEST_F(PictureExportTest, BandsStackUpToTheWholePicture) {
    const MyIcons icons;
    const auto score = busyScore(30);
    for (int scale : {1, 3, 4}) {
        QImage whole = zubo::paintScorePicture(*score, scale);
        whole.setDevicePixelRatio(1);
        for (int band : {2, 6, 14, 132}) {
            SCOPED_TRACE(testing::Message() << "scale " << scale << " band " << band);
            QImage stacked(whole.size(), QImage::Format_RGB32);
            QPainter painter(&stacked);
            for (int top = 0; top < zubo::kPictureHeight; top += band) {
                QImage rows = zubo::paintScorePictureBand(
                    *score, scale, top, std::min(band, zubo::kPictureHeight - top));
                rows.setDevicePixelRatio(1);
                painter.drawImage(0, top * scale, rows);
            }
            painter.end();
            EXPECT_TRUE(stacked == whole);
        }
    }
}

// The file is written in many bands: the bands' seams must not show, and no
// band may pass the budget, the widest picture at the largest scale included.
TEST_F(PictureExportTest, AWidePictureIsWrittenInBandsWithinTheBudget) {
    const auto score = busyScore(300);
    for (int width : {zubo::pictureWidth(*score), 30818}) {
        const int band = zubo::pictureBandHeight(width, 4);
        EXPECT_LT(band, zubo::kPictureHeight) << width;
        EXPECT_LE(static_cast<long long>(band) * width * 16 * 4, zubo::kPictureBandBytes) << width;
    }
    const auto text = score->data();
    const QString input = writeScore("wide.orn", std::string(text.begin(), text.end()));
    const auto result = run({QStringLiteral("-o"), path("wide.png"), QStringLiteral("--scale"),
                             QStringLiteral("4"), input});
    ASSERT_EQ(result.status, 0) << result.err;
    const QImage picture(path("wide.png"));
    const MyIcons icons;
    QImage reference = zubo::paintScorePicture(*score, 4);
    reference.setDevicePixelRatio(1);
    ASSERT_EQ(picture.size(), reference.size());
    EXPECT_TRUE(picture.convertToFormat(QImage::Format_RGB32) == reference);
}

TEST_F(PictureExportTest, ReadsStandardInput) {
    const auto result =
        run({QStringLiteral("-o"), path("stdin.png"), QStringLiteral("-")}, scoreText(4));
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(QImage(path("stdin.png")).size(), QSize(768 * 2, 132 * 2));
}

TEST_F(PictureExportTest, FailuresGiveOneLineAndLeaveNoFile) {
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
        EXPECT_EQ(result.status, c.status);
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
        EXPECT_FALSE(QFile::exists(path("a.png")));
        EXPECT_FALSE(QFile::exists(path("a.orn")));
    }
}

TEST_F(PictureExportTest, AFailedExportKeepsTheOldPicture) {
    const QString output = path("keep.png");
    {
        QFile file(output);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("old");
    }
    const QString bad = writeScore("bad.orn", "TEMPO=100\n");
    EXPECT_EQ(run({QStringLiteral("-o"), output, bad}).status, 1);
    QFile file(output);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("old"));
}

TEST_F(PictureExportTest, TheProgramExportsWithoutADisplay) {
    const char* resources = std::getenv("ZUBO_RESOURCES");
    ASSERT_NE(resources, nullptr);
    const QString program = QString::fromLocal8Bit(resources) + "/../bin/zubo-sequencer";
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
