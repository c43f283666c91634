#include "display/PictureExport.h"

#include "display/MyIcons.h"
#include "score/OrnScore.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace {

// A valid score text: one note at step 0, end mark at `end`.
std::string scoreText(int end) {
    std::string text = "SCORE=0011" + std::string(3 * 959, '0') + "\nTEMPO=100\nLOOP=FALSE\n";
    return text + "END=" + std::to_string(end + 1) + "\nTIME44=TRUE\n";
}

class PictureExportTest : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(_dir.isValid()); }
    QString path(const char* name) const { return _dir.filePath(QString::fromLatin1(name)); }

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
    const OrnScore score(std::span<const std::uint8_t>(
        reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    for (int scale : {1, 2, 4}) {
        SCOPED_TRACE(scale);
        const QString output = path("out.png");
        const zubo::ExportResult result =
            zubo::exportScorePicture(score, output.toStdString(), scale, 0);
        ASSERT_TRUE(result.ok()) << result.message;
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

// A picture that cannot be written says where, and leaves nothing.
TEST_F(PictureExportTest, AFailedWriteNamesTheFile) {
    const auto score = busyScore(30);
    const std::string output = path("no/such/folder/a.png").toStdString();
    const zubo::ExportResult result = zubo::exportScorePicture(*score, output, 2, 0);
    EXPECT_EQ(result.outcome, zubo::ExportResult::Outcome::Failed);
    EXPECT_EQ(result.message.rfind(output + ": ", 0), 0u) << result.message;
    EXPECT_FALSE(QFile::exists(QString::fromStdString(output)));
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
    const zubo::ExportResult result =
        zubo::exportScorePicture(*score, path("wide.png").toStdString(), 4, 0);
    ASSERT_TRUE(result.ok()) << result.message;
    const QImage picture(path("wide.png"));
    const MyIcons icons;
    QImage reference = zubo::paintScorePicture(*score, 4);
    reference.setDevicePixelRatio(1);
    ASSERT_EQ(picture.size(), reference.size());
    EXPECT_TRUE(picture.convertToFormat(QImage::Format_RGB32) == reference);
}

} // namespace
