#include "display/MyIcons.h"
#include "display/OrnPainter.h"
#include "display/OrnStaffRows.h"
#include "display/PictureExport.h"
#include "score/OrnScore.h"

#include <QImage>
#include <QRegion>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The whole wrapped picture in one band.
QImage paintWrappedPicture(const OrnScore& score, int wrapWidth, int scale) {
    const auto rows = layoutStaffRows(score, wrapWidth);
    return zubo::paintWrappedPictureBand(score, rows, scale, 0,
                                         zubo::wrappedPictureSize(rows).height());
}

struct RowCase {
    int measure, end, maxWidth;
    std::vector<std::pair<int, int>> rows; // first step, step count
};

TEST(StaffRows, WholeMeasuresUpToTheEndMarkInRowsNoWiderThanAsked) {
    const RowCase cases[] = {
        {4, 64, 1024, {{0, 28}, {28, 28}, {56, 8}}},
        {3, 64, 1024, {{0, 27}, {27, 27}, {54, 12}}},
        {4, 64, 984, {{0, 28}, {28, 28}, {56, 8}}},
        {4, 64, 983, {{0, 24}, {24, 24}, {48, 16}}},
        {3, 960, 30818, {{0, 960}}},
        {4, 960, 15000, {{0, 464}, {464, 464}, {928, 32}}},
        // A measure wider than the row still gets a row of its own.
        {4, 10, 184, {{0, 4}, {4, 4}, {8, 4}}},
        {3, 0, 500, {{0, 3}}},
        {4, 1, 216, {{0, 4}}},
        {3, 7, 280, {{0, 6}, {6, 3}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.measure << "/4 end " << c.end << " width " << c.maxWidth);
        OrnScore score;
        score.setMeasure(c.measure);
        score.setEnd(c.end);
        const auto rows = layoutStaffRows(score, c.maxWidth);
        ASSERT_EQ(rows.size(), c.rows.size());
        int next = 0;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].firstStep, c.rows[i].first) << i;
            EXPECT_EQ(rows[i].stepCount, c.rows[i].second) << i;
            // Rows follow on, hold whole measures, and stay within the width
            // unless they hold a single measure.
            EXPECT_EQ(rows[i].firstStep, next);
            EXPECT_EQ(rows[i].stepCount % c.measure, 0);
            EXPECT_EQ(rows[i].width, 32 * rows[i].stepCount + 88);
            EXPECT_TRUE(rows[i].width <= c.maxWidth || rows[i].stepCount == c.measure);
            next += rows[i].stepCount;
        }
        // The end mark stands in the last row, and no whole measure lies
        // past it but a lone first one.
        EXPECT_GE(c.end, rows.back().firstStep);
        EXPECT_LE(c.end, next);
        EXPECT_TRUE(next - c.measure < c.end || next == c.measure);
    }
}

// Regions of a picture in display units, whatever its scale.
QImage region(const QImage& picture, const QRect& units, int scale) {
    return picture.copy(units.x() * scale, units.y() * scale, units.width() * scale,
                        units.height() * scale);
}

// A staff rectangle (y upward) of the strip, as a rectangle of the picture
// shifted left by `leftX` and down by `top`.
QRect placed(const QRectF& staff, int leftX, int top) {
    OrnImageInfo info;
    setOrnImageInfoSize(info, 0.0f, kStaffRowHeight);
    return OrnPainter::toDeviceRect(info, staff).toRect().translated(-leftX, top);
}

struct Note {
    int step, note, prog;
};

class WrappedPicture : public testing::TestWithParam<int> {
  protected:
    void SetUp() override { _icons = std::make_unique<MyIcons>(); }
    std::unique_ptr<MyIcons> _icons;
};

// Every note appears once, in the row of its step, where the strip has it;
// each row starts with its first measure's number; the end mark closes the
// last row.
TEST_P(WrappedPicture, EveryNoteOnceInItsRowAtItsPlace) {
    const int measure = GetParam();
    const int scale = measure == 3 ? 1 : 2;
    std::vector<Note> notes;
    for (int step = 0; step < 50; step += 1 + step % 3) {
        notes.push_back({step, 1 + (step * 5) % 13, 1 + step % 15});
        if (step % 4 == 1) {
            notes.push_back({step, 13 - (step / 4) % 2, 1 + (step + 7) % 15});
        }
    }
    auto makeScore = [measure](const std::vector<Note>& with) {
        auto score = std::make_unique<OrnScore>();
        score->setMeasure(measure);
        score->setLoop(true);
        score->setEnd(50);
        for (const Note& n : with) {
            EXPECT_TRUE(score->addNoteAt(n.step, n.note, n.prog));
        }
        return score;
    };
    const auto score = makeScore(notes);
    const int wrap = 600;
    const auto rows = layoutStaffRows(*score, wrap);
    ASSERT_GE(rows.size(), 3u);
    QImage picture = paintWrappedPicture(*score, wrap, scale);
    QImage blank = paintWrappedPicture(*makeScore({}), wrap, scale);
    QImage strip = zubo::paintScorePicture(*score, scale);
    for (QImage* image : {&picture, &blank, &strip}) {
        image->setDevicePixelRatio(1);
    }
    ASSERT_EQ(picture.size(), zubo::wrappedPictureSize(rows) * scale);

    QRegion drawn; // where the notes may change the picture: icons and ledger lines
    std::size_t placedNotes = 0;
    for (std::size_t row = 0; row < rows.size(); ++row) {
        SCOPED_TRACE(testing::Message() << "row " << row);
        const int leftX = 32 * rows[row].firstStep;
        const int top = staffRowTop(static_cast<int>(row));
        for (const Note& n : notes) {
            if (n.step < rows[row].firstStep ||
                n.step >= rows[row].firstStep + rows[row].stepCount) {
                continue;
            }
            ++placedNotes;
            const QRectF icon(32 * n.step + 74, (13 - n.note) * 8, 16, 16);
            const QRect atRow = placed(icon, leftX, top);
            EXPECT_TRUE(region(picture, atRow, scale) == region(strip, placed(icon, 0, 0), scale))
                << n.step;
            EXPECT_FALSE(region(picture, atRow, scale) == region(blank, atRow, scale)) << n.step;
            drawn += atRow;
            if (n.note > 11) {
                drawn += placed(QRectF(32 * n.step + 70, 14, 24, 2), leftX, top);
            }
        }
        // The running strip over the first step: its measure number.
        const QRectF number(leftX + 66, 112, 32, 20);
        EXPECT_TRUE(region(picture, placed(number, leftX, top), scale) ==
                    region(strip, placed(number, 0, 0), scale));
        // Past the last step the running strip stays empty: the next row's
        // first number is not cut in half there.
        const QRect tail =
            placed(QRectF(leftX + 32 * rows[row].stepCount + 66, 112, 22, 19), leftX, top);
        QImage white(tail.size() * scale, QImage::Format_RGB32);
        white.fill(Qt::white);
        EXPECT_TRUE(region(picture, tail, scale) == white);
        // The clef, as at the start of the strip.
        const QRectF clef(2, 16, 24, 96);
        EXPECT_TRUE(region(picture, placed(clef, 0, top), scale) ==
                    region(strip, placed(clef, 0, 0), scale));
    }
    EXPECT_EQ(placedNotes, notes.size());
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (picture.pixel(x, y) != blank.pixel(x, y)) {
                ASSERT_TRUE(drawn.contains(QPoint(x / scale, y / scale))) << x << ", " << y;
            }
        }
    }
    const QRectF endMark(32 * 50 + 82 - 7, 32, 13, 64);
    const int last = static_cast<int>(rows.size()) - 1;
    EXPECT_TRUE(region(picture, placed(endMark, 32 * rows.back().firstStep, staffRowTop(last)),
                       scale) == region(strip, placed(endMark, 0, 0), scale));
}

INSTANTIATE_TEST_SUITE_P(Measures, WrappedPicture, testing::Values(3, 4));

// The export writes the picture in bands of 132 units, which cross the
// rows and the gaps between them: the seams must not show.
TEST(WrappedPictureExport, TheFileHoldsTheWholePicture) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    OrnScore score;
    for (int step = 0; step < 90; step += 5) {
        score.addNoteAt(step, 1 + step % 13, 1 + step % 15);
    }
    score.setEnd(90);
    const QString output = dir.filePath(QStringLiteral("rows.png"));
    const zubo::ExportResult result = zubo::exportScorePicture(score, output.toStdString(), 4, 700);
    ASSERT_TRUE(result.ok()) << result.message;
    const MyIcons icons;
    QImage reference = paintWrappedPicture(score, 700, 4);
    reference.setDevicePixelRatio(1);
    EXPECT_EQ(zubo::pictureBandHeight(reference.width() / 4, 4), 132);
    const QImage picture(output);
    ASSERT_EQ(picture.size(), reference.size());
    EXPECT_TRUE(picture.convertToFormat(QImage::Format_RGB32) == reference);
}

} // namespace
