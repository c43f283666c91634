// Frame painting: what one frame paint renews, and the incremental scroll
// that reuses the previous frame so that playback paints only new columns.
#include "display/OrnPainter.h"

#include "common/Log.h"
#include "score/OrnScore.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>

OrnPainter::OrnPainter() : _font(QGuiApplication::font()), _fontColor(Qt::black) {
    _font.setPointSizeF(10.5);
}

QColor OrnPainter::colorFromRGB(int rgb) {
    return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

void OrnPainter::initialPaint(QPainter& painter, OrnImageInfo& info, const OrnScore& score) {
    paint(painter, info, score, info.playingPosition);
}

void OrnPainter::paint(QPainter& painter, OrnImageInfo& info, const OrnScore& score,
                       float playingPosition) {
    paint(painter, info, score, playingPosition, nullptr);
}

void OrnPainter::paint(QPainter& painter, OrnImageInfo& info, const OrnScore& score,
                       float playingPosition, const QImage* prevImage) {
    const float newPos = std::max(0.0f, playingPosition);
    const float oldPos = std::max(0.0f, info.playingPosition);
    float paintFromX = 0.0f;
    float paintToX = info.width;
    if (prevImage) {
        if (newPos == oldPos) {
            return;
        }
        if (scrollIfPossible(painter, info, newPos, &paintFromX, &paintToX, prevImage) &&
            paintFromX >= paintToX) {
            info.playingPosition = newPos;
            return;
        }
    }
    paintFromX = std::floor(paintFromX);
    paintToX = std::ceil(paintToX);

    painter.save();
    // Pixel art is scaled to high-density images by whole pixels, never smoothed.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setClipRect(QRectF(paintFromX, 0.0, paintToX - paintFromX, info.height),
                        Qt::IntersectClip);

    paintBackground(painter, info, paintFromX, paintToX);
    const float endX = playingPositionToPhisicalX(static_cast<float>(score.end()));
    const float leftX = calcLeftX(info, newPos);
    const float fromX = leftX + paintFromX;
    const float toX = leftX + paintToX;
    if (fromX < 26.0f && toX > 2.0f) {
        paintClef(painter, info, 2.0f - leftX);
    }
    if (score.loop() && fromX < 55.0f && toX > 42.0f) {
        paintLoopStart(painter, info, 42.0f - leftX);
    }
    paintVLines(painter, info, score, paintFromX, paintToX, leftX);
    paintNotes(painter, info, score, paintFromX, paintToX, leftX);
    if ((endX - 7.0f) + 13.0f > fromX && toX > endX - 7.0f) {
        paintLoopEnd(painter, info, endX - leftX, score.loop());
    }
    painter.restore();
    info.playingPosition = newPos;
}

bool OrnPainter::scrollIfPossible(QPainter& painter, const OrnImageInfo& info,
                                  float playingPosition, float* paintFromX, float* paintToX,
                                  const QImage* prevImage) {
    if (!prevImage) {
        return false;
    }
    const float newLeft = calcLeftX(info, playingPosition);
    const float oldLeft = calcLeftX(info, info.playingPosition);
    const float from = *paintFromX;
    const float to = *paintToX;
    float src = newLeft + from - oldLeft; // where the new frame's column `from` lies in prev
    float w = to - from;
    float dst = from;
    if (src >= info.width) {
        return false;
    }
    if (src < 0.0f) {
        w += src;
        dst = from - src;
        src = 0.0f;
    }
    if (src + w >= info.width) {
        w = info.width - src;
    }
    if (dst >= to || w <= 0.0f) {
        return false;
    }
    // What is left to paint must stay one interval.
    if (dst != from && dst + w != to) {
        return false;
    }

    if (!copyColumns(painter, *prevImage, src, dst, w)) {
        // prev has the same logical size as the destination; its source
        // rectangle is counted in its own pixels.
        const qreal ratio = prevImage->devicePixelRatio();
        painter.save();
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(QRectF(dst, 0.0, w, info.height), *prevImage,
                          QRectF(src * ratio, 0.0, w * ratio, info.height * ratio));
        painter.restore();
    }

    if (dst == from) {
        *paintFromX = dst + w;
    }
    if (dst + w == to) {
        *paintToX = dst;
    }
    Debug("- AFTER paintFromX=%.1f paintToX=%.1f", *paintFromX, *paintToX);
    return true;
}

bool OrnPainter::copyColumns(QPainter& painter, const QImage& prevImage, float src, float dst,
                             float width) {
    if (painter.device()->devType() != QInternal::Image) {
        return false;
    }
    // Writing the rows directly is safe only while the painter draws into this
    // very buffer, unscaled beyond the pixel ratio and unclipped.
    auto* image = static_cast<QImage*>(painter.device());
    const qreal ratio = prevImage.devicePixelRatio();
    if (image->format() != prevImage.format() || image->size() != prevImage.size() ||
        image->devicePixelRatio() != ratio || !image->isDetached() || painter.hasClipping() ||
        painter.deviceTransform() != QTransform::fromScale(ratio, ratio)) {
        return false;
    }
    const qreal from = src * ratio;
    const qreal to = dst * ratio;
    const qreal count = width * ratio;
    if (from != std::floor(from) || to != std::floor(to) || count != std::floor(count) ||
        from + count > image->width() || to + count > image->width()) {
        return false;
    }
    const auto bytesPerPixel = static_cast<std::size_t>(image->depth() / 8);
    const auto fromOffset = static_cast<std::size_t>(from) * bytesPerPixel;
    const auto toOffset = static_cast<std::size_t>(to) * bytesPerPixel;
    const auto bytes = static_cast<std::size_t>(count) * bytesPerPixel;
    for (int y = 0; y < image->height(); ++y) {
        std::memmove(image->scanLine(y) + toOffset, prevImage.constScanLine(y) + fromOffset, bytes);
    }
    return true;
}

void OrnPainter::fillStaffRect(QPainter& painter, const OrnImageInfo& info, float x, float y,
                               float width, float height, const QColor& color) {
    painter.fillRect(toDeviceRect(info, QRectF(x, y, width, height)), color);
}

void OrnPainter::drawStaffImage(QPainter& painter, const OrnImageInfo& info, const QImage* image,
                                float sourceX, float sourceY, float width, float height, float x,
                                float y) {
    if (!image || image->isNull()) {
        return;
    }
    const QRectF source(sourceX, qreal(image->height()) - sourceY - height, width, height);
    painter.drawImage(toDeviceRect(info, QRectF(x, y, width, height)), *image, source);
}
