// The parts of a frame at known pixels, in staff coordinates (y upward), for
// a 768 × 132 view at position 0 (leftX 0) unless a case says otherwise.
#include "PainterTestUtil.h"

#include <QGuiApplication>
#include <QPalette>

namespace {

using namespace display_test;

const QRgb kBand = qRgb(206, 239, 231);
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kMeasure = qRgb(255, 150, 0);
const QRgb kBeat = qRgb(165, 199, 181);

struct PixelCase {
    int x, y;
    QRgb expected;
};

void expectPixels(const QImage& image, std::initializer_list<PixelCase> cases) {
    for (const auto& c : cases) {
        EXPECT_EQ(staffPixel(image, c.x, c.y), c.expected) << "pixel " << c.x << "," << c.y;
    }
}

// Every opaque pixel of icon lies at view (x, y) + its own offset (y upward).
void expectIconAt(const QImage& image, const QImage* icon, int x, int y) {
    ASSERT_NE(icon, nullptr);
    int opaque = 0;
    for (int iy = 0; iy < icon->height(); ++iy) {
        for (int ix = 0; ix < icon->width(); ++ix) {
            const QRgb source = icon->pixel(ix, icon->height() - 1 - iy);
            if (qAlpha(source) == 255) {
                ++opaque;
                ASSERT_EQ(staffPixel(image, x + ix, y + iy), source)
                    << "icon pixel " << ix << "," << iy << " at " << x << "," << y;
            }
        }
    }
    EXPECT_GT(opaque, 0);
}

class OrnPainterLayersTest : public PainterTest {
  protected:
    QImage frame(float position = 0.0f, int width = 768) {
        QImage image = offscreen(width, 132, 1, Qt::magenta);
        auto info = viewInfo(static_cast<float>(width), 132, -1);
        paintFrame(image, info, _score, position);
        return image;
    }
};

TEST_F(OrnPainterLayersTest, ColorFromRGBReadsBlueGreenRed) {
    EXPECT_EQ(OrnPainter::colorFromRGB(0xE7EFCE).rgb(), kBand);
    EXPECT_EQ(OrnPainter::colorFromRGB(0x0096FF).rgb(), kMeasure);
    EXPECT_EQ(OrnPainter::colorFromRGB(0xB5C7A5).rgb(), kBeat);
    EXPECT_EQ(OrnPainter::colorFromRGB(0x000000).alpha(), 255);
}

TEST_F(OrnPainterLayersTest, BackgroundAndStaffLines) {
    const QImage image = frame();
    expectPixels(image, {{300, 0, kBand},
                         {300, 31, kBand},
                         {300, 32, kBlack},
                         {300, 33, kBlack},
                         {300, 34, kBand},
                         {300, 48, kBlack},
                         {300, 64, kBlack},
                         {300, 80, kBlack},
                         {300, 97, kBlack},
                         {300, 98, kBand},
                         {300, 111, kBand},
                         {300, 112, kWhite},
                         {300, 131, kWhite},
                         {0, 131, QGuiApplication::palette().color(QPalette::Window).rgb()}});
}

TEST_F(OrnPainterLayersTest, LoopMarksFollowTheLoopFlag) {
    _score.setEnd(10); // end mark centred at x 402
    const QImage plain = frame();
    expectPixels(plain, {{43, 40, kBand},
                         {49, 40, kBand},
                         {53, 56, kBand},
                         {395, 56, kBand},
                         {400, 40, kBlack},
                         {401, 40, kBand},
                         {403, 40, kBlack},
                         {406, 40, kBlack},
                         {407, 40, kBand},
                         {400, 31, kBand},
                         {400, 95, kBlack},
                         {400, 96, kBlack}});
    _score.setLoop(true);
    const QImage looped = frame();
    expectPixels(looped, {{42, 40, kBlack},
                          {45, 95, kBlack},
                          {46, 40, kBand},
                          {49, 40, kBlack},
                          {50, 40, kBand},
                          {53, 56, kBlack},
                          {54, 57, kBlack},
                          {53, 72, kBlack},
                          {53, 58, kBand},
                          {395, 56, kBlack},
                          {396, 73, kBlack},
                          {397, 56, kBand},
                          {400, 40, kBlack},
                          {403, 40, kBlack}});
}

TEST_F(OrnPainterLayersTest, EndMarkAt960IsWhollyVisibleAtTheEnd) {
    _score.setEnd(960); // centre 30802, thick bar to 30807; leftX 30050
    const QImage image = frame(960);
    expectPixels(image, {{30802 - 30050 - 2, 40, kBlack},
                         {30807 - 30050 - 1, 40, kBlack},
                         {30807 - 30050, 40, kBand}});
}

TEST_F(OrnPainterLayersTest, BeatAndMeasureLinesAreDashed) {
    _score.setMeasure(4);
    const QImage four = frame();
    // Step centres 82 + 32·k; the dash fills rows 110, 108, … 6.
    expectPixels(four, {{82, 110, kMeasure},
                        {82, 109, kBand},
                        {82, 6, kMeasure},
                        {82, 5, kBand},
                        {82, 111, kBand},
                        {83, 110, kBand},
                        {114, 110, kBeat},
                        {178, 110, kBeat},
                        {210, 110, kMeasure},
                        {82, 96, kMeasure},
                        {82, 97, kBlack}});
    _score.setMeasure(3);
    const QImage three = frame();
    expectPixels(three, {{178, 110, kMeasure}, {210, 110, kBeat}, {274, 110, kMeasure}});
}

TEST_F(OrnPainterLayersTest, MeasureNumbersStandOverMeasureLines) {
    const auto darkPixels = [](const QImage& image, int x0, int x1) {
        int count = 0;
        for (int y = 112; y < 132; ++y) {
            for (int x = x0; x < x1; ++x) {
                count += qGray(staffPixel(image, x, y)) < 128 ? 1 : 0;
            }
        }
        return count;
    };
    _score.setMeasure(3);
    const QImage image = frame();
    EXPECT_GT(darkPixels(image, 72, 92), 0);   // "1" over step 0
    EXPECT_GT(darkPixels(image, 168, 188), 0); // "2" over step 3
    EXPECT_EQ(darkPixels(image, 104, 156), 0); // steps 1 and 2 carry none
}

TEST_F(OrnPainterLayersTest, NotesWithLedgerLines) {
    _score.setEnd(10);
    _score.addNoteAt(0, 13, 1);  // Zubo below the ledger line
    _score.addNoteAt(1, 11, 2);  // under the staff, no ledger line
    _score.addNoteAt(2, 12, 15); // Heart on the ledger line
    _score.addNoteAt(2, 1, 4);   // Star above the staff, same step
    _score.addNoteAt(10, 5, 3);  // at the end step: not drawn
    const QImage image = frame();
    // Ledger lines of steps 0 and 2: x from the icon's left edge - 4, 24 long.
    expectPixels(image, {{70, 14, kBlack},
                         {93, 15, kBlack},
                         {94, 14, kBand},
                         {69, 14, kBand},
                         {134, 14, kBlack},
                         {157, 14, kBlack},
                         {102, 14, kBand},
                         {125, 15, kBand}});
    expectIconAt(image, _icons->getZuboIcon(0), 74, 0);
    expectIconAt(image, _icons->getZuboIcon(1), 106, 16);
    expectIconAt(image, _icons->getZuboIcon(14), 138, 8);
    expectIconAt(image, _icons->getZuboIcon(3), 138, 96);
    // Nothing of the note at the end step: its column holds the band,
    // the staff lines and the end mark only.
    for (int x = 394; x < 410; ++x) {
        EXPECT_NE(staffPixel(image, x, 70), _icons->getZuboIcon(2)->pixel(8, 8)) << x;
    }
}

TEST_F(OrnPainterLayersTest, ANoteOfInstrumentZeroIsDrawnAsNothing) {
    const QImage empty = frame();
    _score.addNoteAt(0, 12, 0);
    _score.addNoteAt(1, 6, 0);
    const QImage withNotes = frame();
    EXPECT_EQ(withNotes, empty);
}

TEST_F(OrnPainterLayersTest, TheRunnerFollowsThePositionInTwoFrames) {
    const struct {
        float position;
        bool frame1;
        int x, y;
    } cases[] = {
        {10.25f, false, 302, 111}, {10.5f, true, 302, 112},   {10.75f, true, 302, 112},
        {0.0f, false, 74, 111},    {960.0f, false, 744, 111}, {960.25f, false, 752, 111},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.position);
        QImage image = offscreen(768, 140, 1, Qt::transparent);
        auto info = viewInfo(768, 140, c.position);
        {
            QPainter painter(&image);
            _painter.paintZuboRunning(painter, info);
        }
        expectIconAt(image, _icons->runningIcon(c.frame1), c.x, c.y);
    }
}

TEST_F(OrnPainterLayersTest, TheCellHighlightCoversItsCell) {
    auto info = viewInfo(768, 132, 0);
    QImage image = offscreen(768, 132, 1, Qt::transparent);
    {
        QPainter painter(&image);
        OrnPainter::paintCursor(painter, info, 0, 13);
    }
    expectIconAt(image, _icons->zuboIcon(17), 74, 0);

    const struct { int step, note; } nothing[] = {{0, 0}, {22, 5}, {-1, 3}};
    for (const auto& c : nothing) {
        QImage blank = offscreen(768, 132, 1, Qt::transparent);
        {
            QPainter painter(&blank);
            OrnPainter::paintCursor(painter, info, c.step, c.note);
        }
        EXPECT_EQ(blank, offscreen(768, 132, 1, Qt::transparent)) << c.step << "," << c.note;
    }
}

TEST_F(OrnPainterLayersTest, PixelArtStaysSharpAtTwiceTheDensity) {
    _score.addNoteAt(0, 13, 1);
    QImage image = offscreen(768, 132, 2, Qt::magenta);
    auto info = viewInfo(768, 132, -1);
    paintFrame(image, info, _score, 0);
    const QImage* icon = _icons->getZuboIcon(0);
    for (int iy = 0; iy < 16; ++iy) {
        for (int ix = 0; ix < 16; ++ix) {
            const QRgb source = icon->pixel(ix, iy);
            if (qAlpha(source) != 255) {
                continue;
            }
            // Icon row iy (from the top) of an icon whose top is at device row 2·116.
            for (int d = 0; d < 4; ++d) {
                ASSERT_EQ(image.pixel(2 * (74 + ix) + d % 2, 2 * (116 + iy) + d / 2), source)
                    << ix << "," << iy;
            }
        }
    }
}

} // namespace
