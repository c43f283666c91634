// What a frame is made of: background and staff lines, clef, loop marks,
// beat and measure lines with measure numbers, notes; and the runner figure
// and cell highlight that the view draws over a finished frame.
#include "display/MyIcons.h"
#include "display/OrnPainter.h"
#include "score/OrnScore.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <algorithm>
#include <cmath>

namespace {

constexpr int kNotationBandColor = 0xE7EFCE;
constexpr int kMeasureLineColor = 0x0096FF;
constexpr int kBeatLineColor = 0xB5C7A5;

// One unit drawn, one left out, from the top of each line downward.
QPen dashedPen(const QColor& color) {
    QPen pen(color, 1.0, Qt::CustomDashLine, Qt::FlatCap);
    pen.setDashPattern({1.0, 1.0});
    pen.setDashOffset(0.0);
    return pen;
}

const MyIcons* atlas() {
    return MyIcons::myIcons();
}

} // namespace

void OrnPainter::paintBackground(QPainter& painter, const OrnImageInfo& info, float paintFromX,
                                 float paintToX) {
    const float width = paintToX - paintFromX;
    fillStaffRect(painter, info, paintFromX, info.notationBottom, width,
                  static_cast<float>(kNotationHeight), colorFromRGB(kNotationBandColor));
    fillStaffRect(painter, info, paintFromX, info.runningBottom, width,
                  static_cast<float>(kRunningHeight), Qt::white);
    for (int y = 32; y <= 96; y += 16) {
        fillStaffRect(painter, info, paintFromX, info.notationBottom + static_cast<float>(y), width,
                      2.0f, Qt::black);
    }
    // The running strip's top corners are taken off, one unit each.
    const QColor window = QGuiApplication::palette().color(QPalette::Window);
    if (paintFromX == 0.0f) {
        fillStaffRect(painter, info, 0.0f, info.runningBottom + 19.0f, 1.0f, 1.0f, window);
    }
    if (paintToX == info.width) {
        fillStaffRect(painter, info, paintToX - 1.0f, info.runningBottom + 19.0f, 1.0f, 1.0f,
                      window);
    }
}

void OrnPainter::paintClef(QPainter& painter, const OrnImageInfo& info, float x) {
    const MyIcons* icons = atlas();
    drawStaffImage(painter, info, icons ? icons->clefIcon() : nullptr, 0.0f, 0.0f, 24.0f, 96.0f, x,
                   info.notationBottom + 112.0f - 96.0f);
}

void OrnPainter::paintLoopStart(QPainter& painter, const OrnImageInfo& info, float x) {
    const float b = info.notationBottom + 32.0f;
    fillStaffRect(painter, info, x, b, 4.0f, 64.0f, Qt::black);
    fillStaffRect(painter, info, x + 7.0f, b, 1.0f, 64.0f, Qt::black);
    fillStaffRect(painter, info, x + 11.0f, b + 24.0f, 2.0f, 2.0f, Qt::black);
    fillStaffRect(painter, info, x + 11.0f, b + 40.0f, 2.0f, 2.0f, Qt::black);
}

void OrnPainter::paintLoopEnd(QPainter& painter, const OrnImageInfo& info, float x, bool loop) {
    const float b = info.notationBottom + 32.0f;
    const float x0 = x - 7.0f;
    if (loop) {
        fillStaffRect(painter, info, x0, b + 24.0f, 2.0f, 2.0f, Qt::black);
        fillStaffRect(painter, info, x0, b + 40.0f, 2.0f, 2.0f, Qt::black);
    }
    fillStaffRect(painter, info, x0 + 5.0f, b, 1.0f, 64.0f, Qt::black);
    fillStaffRect(painter, info, x + static_cast<float>(kLoopEndRight) - 4.0f, b, 4.0f, 64.0f,
                  Qt::black);
}

void OrnPainter::paintVLines(QPainter& painter, const OrnImageInfo& info, const OrnScore& score,
                             float paintFromX, float paintToX, float leftX) {
    // The score keeps its measure at 3 or 4; a zero here would divide by zero.
    const int measure = score.measure() > 0 ? score.measure() : 4;
    const int k0 = std::max(0, static_cast<int>((paintFromX + leftX - 82.0f) / 32.0f));
    const float x0 = static_cast<float>(32 * k0 + 82) - leftX;
    // Qt's y runs downward; each line starts at its top, notationBottom + 111.
    const float top = info.height - (info.notationBottom + 111.0f);
    const float bottom = info.height - (info.notationBottom + 5.0f);
    const float textBaseline0 = info.height - info.runningBottom;

    QPainterPath measureLines;
    QPainterPath beatLines;
    const QFontMetricsF metrics(_font, painter.device());
    const float textBaseline = textBaseline0 - static_cast<float>(metrics.descent());
    painter.save();
    painter.setFont(_font);
    painter.setPen(_fontColor);
    for (int j = 0;; ++j) {
        const float x = x0 + 32.0f * static_cast<float>(j);
        if (!(x < paintToX + 32.0f)) {
            break;
        }
        const int k = k0 + j;
        // A line at x fills the column from x to x + 1.
        const float lineX = x + 0.5f;
        if (k % measure == 0) {
            measureLines.moveTo(lineX, top);
            measureLines.lineTo(lineX, bottom);
            const QString number = QString::number(k / measure + 1);
            const qreal w = metrics.horizontalAdvance(number);
            painter.drawText(QPointF(x - 0.5 * w, textBaseline), number);
        } else {
            beatLines.moveTo(lineX, top);
            beatLines.lineTo(lineX, bottom);
        }
    }
    painter.strokePath(measureLines, dashedPen(colorFromRGB(kMeasureLineColor)));
    painter.strokePath(beatLines, dashedPen(colorFromRGB(kBeatLineColor)));
    painter.restore();
}

void OrnPainter::paintNotes(QPainter& painter, const OrnImageInfo& info, const OrnScore& score,
                            float paintFromX, float paintToX, float leftX) {
    const int k0 = std::max(0, static_cast<int>((paintFromX + leftX - 82.0f - 24.0f) / 32.0f));
    const float x0 = static_cast<float>(32 * k0 + 82 - 8) - leftX;
    for (int j = 0;; ++j) {
        const float x = x0 + 32.0f * static_cast<float>(j);
        if (!(x < paintToX + 16.0f)) {
            break;
        }
        paintNotes(painter, info, score, k0 + j, x);
    }
}

void OrnPainter::paintNotes(QPainter& painter, const OrnImageInfo& info, const OrnScore& score,
                            int index, float x) {
    const MyIcons* icons = atlas();
    for (int m = 0; m < OrnScore::maxNotes(); ++m) {
        const int n = score.noteAt(index, m);
        const int g = score.progAt(index, m);
        // Instrument 0 can come only from a file and has no icon: such a note
        // is drawn as nothing at all, ledger line included.
        const QImage* icon = icons ? icons->getZuboIcon(g - 1) : nullptr;
        if (n == 0 || !icon) {
            continue;
        }
        if (n > 11) {
            fillStaffRect(painter, info, x - 4.0f, info.notationBottom + 14.0f, 24.0f, 2.0f,
                          Qt::black);
        }
        const float y = static_cast<float>(
            static_cast<int>(info.notationBottom + 112.0f - 8.0f - 8.0f * static_cast<float>(n)));
        drawStaffImage(painter, info, icon, 0.0f, 0.0f, 16.0f, 16.0f, x, y);
    }
}

void OrnPainter::paintZuboRunning(QPainter& painter, const OrnImageInfo& info) {
    const MyIcons* icons = atlas();
    if (!icons) {
        return;
    }
    const float p = info.playingPosition;
    const float x = playingPositionToPhisicalX(p) - calcLeftX(info, p) - 8.0f;
    if (!std::isfinite(x)) {
        return;
    }
    // Frame 0, one unit low, for the first half of a step; frame 1 for the second.
    const bool firstHalf = std::trunc(p) == std::trunc(static_cast<double>(p) + 0.5);
    const float y = firstHalf ? info.runningBottom - 1.0f : info.runningBottom;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    drawStaffImage(painter, info, icons->runningIcon(!firstHalf), 0.0f, 0.0f, 16.0f, 22.0f, x, y);
    painter.restore();
}

void OrnPainter::paintCursor(QPainter& painter, const OrnImageInfo& info, int step, int note) {
    const QRectF rect = cursorRect(info, step, note);
    const MyIcons* icons = atlas();
    if (rect.width() == 0.0 || !icons) {
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    drawStaffImage(painter, info, icons->zuboIcon(17), 0.0f, 0.0f, 16.0f, 16.0f,
                   static_cast<float>(rect.x()), static_cast<float>(rect.y()));
    painter.restore();
}
