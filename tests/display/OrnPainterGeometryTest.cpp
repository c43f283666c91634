#include "display/OrnPainter.h"

#include <gtest/gtest.h>

namespace {

OrnImageInfo viewOfWidth(float width, float playingPosition) {
    OrnImageInfo info;
    setOrnImageInfoSize(info, width, 132.0f);
    info.playingPosition = playingPosition;
    return info;
}

TEST(OrnPainterGeometry, ZuboDefaultXFollowsTheWidth) {
    const struct {
        float width;
        float expected;
    } cases[] = {{500, 201}, {600, 242}, {768, 310}, {1024, 413}, {0, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(viewOfWidth(c.width, 0).zuboDefaultX, c.expected) << c.width;
    }
}

TEST(OrnPainterGeometry, PlayingPositionToPhisicalX) {
    const struct {
        float position;
        float expected;
    } cases[] = {{0, 82}, {0.5f, 98}, {0.99f, 113}, {1, 114}, {-1, 50}, {960, 30802}};
    for (const auto& c : cases) {
        EXPECT_EQ(OrnPainter::playingPositionToPhisicalX(c.position), c.expected) << c.position;
    }
}

TEST(OrnPainterGeometry, CalcLeftXHoldsThePositionAndStopsAtBothEnds) {
    const auto info = viewOfWidth(768, 0);
    const struct {
        float position;
        float expected;
    } cases[] = {{-1, 0},       {0, 0},       {7.0f, 0},    {7.125f, 0},
                 {7.15625f, 1}, {7.25f, 4},   {10, 92},     {100, 2972},
                 {940, 29852},  {950, 30050}, {960, 30050}, {960.25f, 30050}};
    for (const auto& c : cases) {
        EXPECT_EQ(OrnPainter::calcLeftX(info, c.position), c.expected) << c.position;
    }
    // With the view stopped, the runner's left edge moves on to the right edge.
    const auto runnerX = [&](float p) {
        return OrnPainter::playingPositionToPhisicalX(p) - OrnPainter::calcLeftX(info, p) - 8;
    };
    EXPECT_EQ(runnerX(960), 744);
    EXPECT_EQ(runnerX(960.25f), 752);
}

TEST(OrnPainterGeometry, CalcLeftXOfAViewWiderThanTheStripIsNegative) {
    const auto info = viewOfWidth(40000, 0);
    EXPECT_EQ(OrnPainter::calcLeftX(info, 0), 0);
    EXPECT_EQ(OrnPainter::calcLeftX(info, 960), 30818 - 40000);
}

TEST(OrnPainterGeometry, CalcLeftXOfAnUnpaintedViewIsZero) {
    EXPECT_EQ(OrnPainter::calcLeftX(viewOfWidth(124, -1), -1), 0);
    EXPECT_EQ(OrnPainter::calcLeftX(viewOfWidth(768, -1), -1), 0);
}

TEST(OrnPainterGeometry, PtToScoreCursor) {
    const struct {
        float position; // sets leftX through the record
        float x, y;
        double step, note;
    } cases[] = {
        {0, 65, 50, 0, 0},         {0, 66, 50, 0, 8},    {0, 97.9f, 50, 0, 8},
        {0, 98, 50, 1, 8},         {0, 80, 0, 0, 13},    {0, 80, 11, 0, 13},
        {0, 80, 11.5f, 0, 12},     {0, 80, 12, 0, 12},   {0, 80, 19.5f, 0, 11},
        {0, 80, 100, 0, 1},        {0, 80, 99, 0, 2},    {0, 80, 111.9f, 0, 1},
        {0, 80, 112, 0, 0},        {0, 80, -0.1f, 0, 0}, {0, 80, 130, 0, 0},
        {960, 767.9f, 50, 960, 8}, {960, 0, 50, 937, 8}, {10, 0, 50, 0, 8},
        {10, 40, 50, 2, 8},
    };
    for (const auto& c : cases) {
        const auto cell = OrnPainter::ptToScoreCursor(viewOfWidth(768, c.position), c.x, c.y);
        EXPECT_EQ(cell.x(), c.step) << c.position << " " << c.x << "," << c.y;
        EXPECT_EQ(cell.y(), c.note) << c.position << " " << c.x << "," << c.y;
    }
}

TEST(OrnPainterGeometry, CursorRect) {
    const struct {
        float position;
        int step, note;
        QRectF expected;
    } cases[] = {
        {0, 0, 13, {74, 0, 16, 16}},
        {0, 0, 1, {74, 96, 16, 16}},
        {0, 3, 6, {170, 56, 16, 16}},
        {0, 0, 0, {}},
        {0, -1, 5, {}},
        {0, 22, 5, {}},
        {0, 21, 5, {746, 64, 16, 16}},
        {10, 0, 5, {}},
        {9.625f, 0, 5, {-6, 64, 16, 16}},
        {100, 91, 5, {14, 64, 16, 16}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OrnPainter::cursorRect(viewOfWidth(768, c.position), c.step, c.note), c.expected)
            << c.position << " " << c.step << "," << c.note;
    }
}

TEST(OrnPainterGeometry, ToDeviceRectFlipsY) {
    const auto info = viewOfWidth(768, 0);
    EXPECT_EQ(OrnPainter::toDeviceRect(info, {74, 0, 16, 16}), QRectF(74, 116, 16, 16));
    EXPECT_EQ(OrnPainter::toDeviceRect(info, {0, 112, 768, 20}), QRectF(0, 0, 768, 20));
}

} // namespace
