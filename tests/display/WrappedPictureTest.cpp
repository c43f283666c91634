#include "app/CommandLine.h"
#include "app/PictureExport.h"
#include "display/MyIcons.h"
#include "display/OrnPainter.h"
#include "display/OrnStaffRows.h"
#include "score/OrnScore.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <vector>

namespace {

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
        SCOPED_TRACE(testing::Message() << c.measure << "/4 end " << c.end << " width "
                                        << c.maxWidth);
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
    OrnScore empty;
    empty.setMeasure(measure);
    empty.setLoop(true);
    empty.setEnd(50);
    OrnScore score;
    score.setMeasure(measure);
    score.setLoop(true);
    score.setEnd(50);
    for (const Note& n : notes) {
        ASSERT_TRUE(score.addNoteAt(n.step, n.note, n.prog));
    }
    const int wrap = 600;
    const auto rows = layoutStaffRows(score, wrap);
    ASSERT_GE(rows.size(), 3u);
    QImage picture = zubo::paintWrappedPicture(score, wrap, scale);
    QImage blank = zubo::paintWrappedPicture(empty, wrap, scale);
    QImage strip = zubo::paintScorePicture(score, scale);
    for (QImage* image : {&picture, &blank, &strip}) {
        image->setDevicePixelRatio(1);
    }
    ASSERT_EQ(picture.size(), zubo::wrappedPictureSize(rows) * scale);

    auto rowOf = [&](int step) {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (step < rows[i].firstStep + rows[i].stepCount) {
                return i;
            }
        }
        return rows.size();
    };
    // Where the notes may change the picture: their icons and ledger lines.
    QRegion drawn;
    for (const Note& n : notes) {
        SCOPED_TRACE(testing::Message() << "step " << n.step << " note " << n.note);
        const std::size_t row = rowOf(n.step);
        ASSERT_LT(row, rows.size());
        const int leftX = 32 * rows[row].firstStep;
        const int top = staffRowTop(static_cast<int>(row));
        const QRectF icon(32 * n.step + 74, (13 - n.note) * 8, 16, 16);
        const QRect atStrip = placed(icon, 0, 0);
        const QRect atRow = placed(icon, leftX, top);
        EXPECT_TRUE(region(picture, atRow, scale) == region(strip, atStrip, scale));
        EXPECT_FALSE(region(picture, atRow, scale) == region(blank, atRow, scale));
        drawn += atRow;
        if (n.note > 11) {
            drawn += placed(QRectF(32 * n.step + 70, 14, 24, 2), leftX, top);
        }
    }
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (picture.pixel(x, y) != blank.pixel(x, y)) {
                ASSERT_TRUE(drawn.contains(QPoint(x / scale, y / scale))) << x << ", " << y;
            }
        }
    }

    for (std::size_t row = 0; row < rows.size(); ++row) {
        SCOPED_TRACE(testing::Message() << "row " << row);
        const int leftX = 32 * rows[row].firstStep;
        const int top = staffRowTop(static_cast<int>(row));
        // The running strip over the first step: its measure number.
        const QRectF number(leftX + 66, 112, 32, 20);
        EXPECT_TRUE(region(picture, placed(number, leftX, top), scale) ==
                    region(strip, placed(number, 0, 0), scale));
        // Past the last step the running strip stays empty: the next row's
        // first number is not cut in half there.
        const QRect tail = placed(
            QRectF(leftX + 32 * rows[row].stepCount + 66, 112, 22, 19), leftX, top);
        QImage white(tail.size() * scale, QImage::Format_RGB32);
        white.fill(Qt::white);
        EXPECT_TRUE(region(picture, tail, scale) == white);
        // The clef, as at the start of the strip.
        const QRectF clef(2, 16, 24, 96);
        EXPECT_TRUE(region(picture, placed(clef, 0, top), scale) ==
                    region(strip, placed(clef, 0, 0), scale));
    }
    const QRectF endMark(32 * 50 + 82 - 7, 32, 13, 64);
    const int last = static_cast<int>(rows.size()) - 1;
    EXPECT_TRUE(region(picture, placed(endMark, 32 * rows.back().firstStep, staffRowTop(last)),
                       scale) == region(strip, placed(endMark, 0, 0), scale));
}

INSTANTIATE_TEST_SUITE_P(Measures, WrappedPicture, testing::Values(3, 4));

// Bands of any height stack up to the whole picture, and the command line
// writes exactly that picture.
TEST(WrappedPictureExport, BandsAndTheFileHoldTheWholePicture) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    OrnScore score;
    for (int step = 0; step < 90; step += 5) {
        score.addNoteAt(step, 1 + step % 13, 1 + step % 15);
    }
    score.setEnd(90);
    {
        const MyIcons icons;
        const auto rows = layoutStaffRows(score, 700);
        QImage whole = zubo::paintWrappedPicture(score, 700, 1);
        whole.setDevicePixelRatio(1);
        for (int band : {2, 14, 132}) {
            QImage stacked(whole.size(), QImage::Format_RGB32);
            QPainter painter(&stacked);
            for (int top = 0; top < whole.height(); top += band) {
                QImage part = zubo::paintWrappedPictureBand(
                    score, rows, 1, top, std::min(band, whole.height() - top));
                part.setDevicePixelRatio(1);
                painter.drawImage(0, top, part);
            }
            painter.end();
            EXPECT_TRUE(stacked == whole) << band;
        }
    }
    const auto data = score.data();
    const std::string text(data.begin(), data.end());
    const QString input = dir.filePath(QStringLiteral("in.orn"));
    QFile file(input);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.data(), static_cast<qint64>(text.size()));
    file.close();
    const QString output = dir.filePath(QStringLiteral("rows.png"));
    std::ostringstream out;
    std::ostringstream err;
    std::istringstream in;
    const int status = zubo::runHeadless(
        zubo::parseCommandLine(QStringList{QStringLiteral("zubo-sequencer"), QStringLiteral("-o"),
                                           output, QStringLiteral("--wrap"),
                                           QStringLiteral("700"), QStringLiteral("--scale"),
                                           QStringLiteral("4"), input}),
        out, err, in);
    ASSERT_EQ(status, 0) << err.str();
    const MyIcons icons;
    QImage reference = zubo::paintWrappedPicture(score, 700, 4);
    reference.setDevicePixelRatio(1);
    const QImage picture(output);
    ASSERT_EQ(picture.size(), reference.size());
    EXPECT_TRUE(picture.convertToFormat(QImage::Format_RGB32) == reference);
}

} // namespace
