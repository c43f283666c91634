// The layout of the staff strip: steps kStepWidth units apart with step i
// centred at physical x stepCentreX(i), note rows 8 units apart, and the
// scroll rule that holds the playing position at zuboDefaultX while the view
// moves.
#include "display/OrnPainter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

// Past this a step number no longer fits an int; no view is that wide.
constexpr float kLargestStrip = 1.0e9f;

} // namespace

float OrnPainter::playingPositionToPhisicalX(float playingPosition) {
    // The half product is taken in single precision and the rest in double,
    // so every position maps to the same whole x on every machine.
    const float half = kStepWidth / 2.0f * playingPosition;
    return static_cast<float>(std::floor(static_cast<double>(half) * 2.0 + kFirstStepX));
}

float OrnPainter::calcLeftX(const OrnImageInfo& info, float playingPosition) {
    const float physicalX = playingPositionToPhisicalX(playingPosition);
    // The leftX that puts the strip's end (16 past the centre of step 960)
    // at the view's right edge.
    const float maxLeft = playingPositionToPhisicalX(960.0f) + kStepWidth / 2.0f - info.width;
    if (physicalX > maxLeft + info.zuboDefaultX) {
        return maxLeft;
    }
    return std::max(0.0f, physicalX - info.zuboDefaultX);
}

QPointF OrnPainter::ptToScoreCursor(const OrnImageInfo& info, float x, float y) {
    // Written so that NaN falls out as "no cell" too.
    if (!(y >= info.notationBottom && y < info.notationBottom + kNotationHeight)) {
        return {0.0, 0.0};
    }
    const float d = kNotationHeight - 1.0f - (y - info.notationBottom) - 4.0f;
    const int note = std::clamp(static_cast<int>(d) / 8 + 1, 1, 13);
    const float s = calcLeftX(info, info.playingPosition) - kFirstStepX + kStepWidth / 2.0f + x;
    if (!(s >= 0.0f)) {
        return {0.0, 0.0};
    }
    const int step = static_cast<int>(std::min(s, kLargestStrip)) / OrnPainter::kStepWidth;
    return {static_cast<double>(step), static_cast<double>(note)};
}

QRectF OrnPainter::cursorRect(const OrnImageInfo& info, int step, int note) {
    if (step < 0 || note == 0) {
        return {};
    }
    const float centre =
        static_cast<float>(std::int64_t{kStepWidth} * step + OrnPainter::kFirstStepX);
    const float x0 = centre - 8.0f - calcLeftX(info, info.playingPosition);
    if (x0 >= info.width || x0 + 16.0f <= 0.0f) {
        return {};
    }
    const float y0 = info.notationBottom + static_cast<float>((std::int64_t{13} - note) * 8);
    return {x0, y0, 16.0, 16.0};
}

QRectF OrnPainter::toDeviceRect(const OrnImageInfo& info, const QRectF& rect) {
    return {rect.x(), info.height - rect.y() - rect.height(), rect.width(), rect.height()};
}
