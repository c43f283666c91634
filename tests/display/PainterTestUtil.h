#pragma once

#include "display/MyIcons.h"
#include "display/OrnPainter.h"
#include "score/OrnScore.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>
#include <memory>

namespace display_test {

// Off-screen images as the view makes them: premultiplied ARGB32 at the
// device pixel ratio.
inline QImage offscreen(int width, int height, int ratio, QColor fill) {
    QImage image(width * ratio, height * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(fill);
    return image;
}

// The pixel of a 1x image at staff coordinates (y upward).
inline QRgb staffPixel(const QImage& image, int x, int y) {
    return image.pixel(x, image.height() - 1 - y);
}

inline OrnImageInfo viewInfo(float width, float height, float playingPosition) {
    OrnImageInfo info;
    setOrnImageInfoSize(info, width, height);
    info.playingPosition = playingPosition;
    return info;
}

// Painter tests draw with the shipped pixel art.
class PainterTest : public testing::Test {
  protected:
    void SetUp() override { _icons = std::make_unique<MyIcons>(); }
    void TearDown() override { _icons.reset(); }

    void paintFrame(QImage& image, OrnImageInfo& info, const OrnScore& score, float position) {
        QPainter painter(&image);
        _painter.paint(painter, info, score, position);
    }

    std::unique_ptr<MyIcons> _icons;
    OrnPainter _painter;
    OrnScore _score;
};

} // namespace display_test
