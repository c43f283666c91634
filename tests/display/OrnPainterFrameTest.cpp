// Which columns a frame paint renews, checked on pixels: the destination is
// filled with one sentinel and the previous image with another, so every
// column reads as untouched, copied from the previous frame, or painted.
#include "PainterTestUtil.h"

#include <QGuiApplication>
#include <QPalette>
#include <string>

namespace {

using namespace display_test;

const QColor kUntouched(255, 0, 255);
const QColor kCopied(0, 255, 255);

// One letter per column: 'u' untouched, 'c' copied, 'p' painted, '?' mixed.
std::string columnKinds(const QImage& image) {
    std::string kinds;
    for (int x = 0; x < image.width(); ++x) {
        int untouched = 0;
        int copied = 0;
        for (int y = 0; y < image.height(); ++y) {
            const QRgb pixel = image.pixel(x, y);
            untouched += pixel == kUntouched.rgb() ? 1 : 0;
            copied += pixel == kCopied.rgb() ? 1 : 0;
        }
        kinds += untouched == image.height() ? 'u'
                 : copied == image.height()  ? 'c'
                 : untouched + copied == 0   ? 'p'
                                             : '?';
    }
    return kinds;
}

// The expected kinds: painted over [from, to) device columns, `outside` elsewhere.
std::string expectedKinds(int width, int from, int to, char outside) {
    std::string kinds(static_cast<std::size_t>(width), outside);
    for (int x = from; x < to; ++x) {
        kinds[static_cast<std::size_t>(x)] = 'p';
    }
    return kinds;
}

class OrnPainterFrameTest : public PainterTest {};

TEST_F(OrnPainterFrameTest, ScrollPaintsOnlyTheColumnsThatCameIntoView) {
    const struct {
        float from, to;
        int ratio;
        int paintFrom, paintTo; // view columns
    } cases[] = {
        {0, 5, 1, 0, 0},      {20, 21, 1, 736, 768}, {21, 20, 1, 0, 32},
        {20, 100, 1, 0, 768}, {0, 5, 2, 0, 0},       {20, 21, 2, 736, 768},
        {21, 20, 2, 0, 32},   {20, 100, 2, 0, 768},  {20, 20.0625f, 1, 766, 768},
        {950, 960, 1, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " -> " << c.to << " at " << c.ratio << "x");
        auto info = viewInfo(768, 132, c.from);
        const QImage prev = offscreen(768, 132, c.ratio, kCopied);
        QImage image = offscreen(768, 132, c.ratio, kUntouched);
        {
            QPainter painter(&image);
            _painter.paint(painter, info, _score, c.to, &prev);
        }
        EXPECT_EQ(columnKinds(image),
                  expectedKinds(768 * c.ratio, c.paintFrom * c.ratio, c.paintTo * c.ratio, 'c'));
        EXPECT_EQ(info.playingPosition, c.to);
    }
}

TEST_F(OrnPainterFrameTest, TheSameClampedPositionPaintsNothing) {
    auto info = viewInfo(768, 132, 0.0f);
    const QImage prev = offscreen(768, 132, 1, kCopied);
    QImage image = offscreen(768, 132, 1, kUntouched);
    {
        QPainter painter(&image);
        _painter.paint(painter, info, _score, -0.5f, &prev);
    }
    EXPECT_EQ(columnKinds(image), std::string(768, 'u'));
    EXPECT_EQ(info.playingPosition, 0.0f);
}

TEST_F(OrnPainterFrameTest, WithoutAPreviousImageTheWholeFrameIsPainted) {
    auto info = viewInfo(768, 132, 3.0f);
    QImage image = offscreen(768, 132, 1, kUntouched);
    paintFrame(image, info, _score, 3.0f);
    EXPECT_EQ(columnKinds(image), std::string(768, 'p'));
}

TEST_F(OrnPainterFrameTest, InitialPaintOfANewViewPaintsPositionZero) {
    auto info = viewInfo(768, 132, -1.0f);
    QImage image = offscreen(768, 132, 1, kUntouched);
    {
        QPainter painter(&image);
        _painter.initialPaint(painter, info, _score);
    }
    EXPECT_EQ(info.playingPosition, 0.0f);
    EXPECT_EQ(columnKinds(image), std::string(768, 'p'));
    // The clef stands at the strip's left end, so this is the start.
    const QImage* clef = _icons->clefIcon();
    ASSERT_NE(clef, nullptr);
    int clefPixels = 0;
    for (int y = 0; y < 96; ++y) {
        for (int x = 0; x < 24; ++x) {
            const QRgb source = clef->pixel(x, 95 - y);
            if (qAlpha(source) == 255) {
                ++clefPixels;
                ASSERT_EQ(staffPixel(image, 2 + x, 16 + y), source) << x << "," << y;
            }
        }
    }
    EXPECT_GT(clefPixels, 100);
}

TEST_F(OrnPainterFrameTest, ScrollIfPossibleNarrowsTheRange) {
    QImage image = offscreen(768, 132, 1, kUntouched);
    const QImage prev = offscreen(768, 132, 1, kCopied);
    QPainter painter(&image);
    const struct {
        float stored, position;
        bool copied;
        float from, to;
    } cases[] = {
        {20, 21, true, 736, 768}, {21, 20, true, 0, 32},    {5, 5, true, 768, 0},
        {20, 100, false, 0, 768}, {100, 20, false, 0, 768},
    };
    for (const auto& c : cases) {
        const auto info = viewInfo(768, 132, c.stored);
        float from = 0.0f;
        float to = 768.0f;
        EXPECT_EQ(OrnPainter::scrollIfPossible(painter, info, c.position, &from, &to, &prev),
                  c.copied)
            << c.stored << " -> " << c.position;
        EXPECT_EQ(from, c.from) << c.stored << " -> " << c.position;
        EXPECT_EQ(to, c.to) << c.stored << " -> " << c.position;
    }
    float from = 0.0f;
    float to = 768.0f;
    EXPECT_FALSE(
        OrnPainter::scrollIfPossible(painter, viewInfo(768, 132, 20), 21, &from, &to, nullptr));
}

TEST_F(OrnPainterFrameTest, RunningStripCornersOnlyAtTheFrameEdges) {
    const QRgb window = QGuiApplication::palette().color(QPalette::Window).rgb();
    const QRgb white = QColor(Qt::white).rgb();
    const struct {
        float from, to;
        QRgb left, right;           // pixels (0, 131) and (767, 131) after the paint
        QRgb innerLeft, innerRight; // pixels (1, 131) and (766, 131)
    } cases[] = {
        {20, 100, window, window, white, white},
        {20, 21, kCopied.rgb(), window, kCopied.rgb(), white},
        {21, 20, window, kCopied.rgb(), white, kCopied.rgb()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " -> " << c.to);
        auto info = viewInfo(768, 132, c.from);
        const QImage prev = offscreen(768, 132, 1, kCopied);
        QImage image = offscreen(768, 132, 1, kUntouched);
        {
            QPainter painter(&image);
            _painter.paint(painter, info, _score, c.to, &prev);
        }
        EXPECT_EQ(staffPixel(image, 0, 131), c.left);
        EXPECT_EQ(staffPixel(image, 767, 131), c.right);
        EXPECT_EQ(staffPixel(image, 1, 131), c.innerLeft);
        EXPECT_EQ(staffPixel(image, 766, 131), c.innerRight);
    }
    // A strip painted in the middle of the view takes no corner off.
    auto info = viewInfo(768, 132, 0);
    QImage image = offscreen(768, 132, 1, kUntouched);
    QPainter painter(&image);
    _painter.paintBackground(painter, info, 100, 200);
    EXPECT_EQ(staffPixel(image, 100, 131), white);
    EXPECT_EQ(staffPixel(image, 199, 131), white);
    EXPECT_EQ(staffPixel(image, 99, 131), kUntouched.rgb());
    EXPECT_EQ(staffPixel(image, 200, 131), kUntouched.rgb());
}

} // namespace
