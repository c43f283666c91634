#include "display/OrnStaffRows.h"

#include "display/OrnPainter.h"
#include "score/OrnScore.h"

#include <QPainter>
#include <QRegion>
#include <algorithm>

namespace {

constexpr int kStepPitch = OrnPainter::kStepWidth;
constexpr int kLastStep = 960; // the end mark may stand one past the last step

// The right edge of the band of a row's last step.
int musicEnd(int stepCount) {
    return OrnPainter::stepLeftX(stepCount);
}

// The centre of the step after a row's last: its closing measure line.
int closingX(int stepCount) {
    return OrnPainter::stepCentreX(stepCount);
}

} // namespace

int staffRowWidth(int stepCount) {
    // The end mark's thick bar, and one unit of paper after it.
    return closingX(stepCount) + OrnPainter::kLoopEndRight + 1;
}

int staffRowTop(int index) {
    return index * (kStaffRowHeight + kStaffRowGap);
}

std::vector<OrnStaffRow> layoutStaffRows(const OrnScore& score, int maxWidth) {
    // The score keeps its measure at 3 or 4; a zero here would divide by zero.
    const int measure = score.measure() > 0 ? score.measure() : 4;
    const int end = std::clamp(score.end(), 0, kLastStep);
    const int measures = std::max(1, (end + measure - 1) / measure);
    const int margins = staffRowWidth(0);
    const int perRow =
        std::max(1, (std::max(maxWidth, margins) - margins) / (kStepPitch * measure));
    std::vector<OrnStaffRow> rows;
    for (int first = 0; first < measures; first += perRow) {
        const int steps = std::min(perRow, measures - first) * measure;
        rows.push_back({first * measure, steps, staffRowWidth(steps)});
    }
    return rows;
}

void paintStaffRow(OrnPainter& painter, QPainter& qpainter, const OrnScore& score,
                   const OrnStaffRow& row) {
    OrnImageInfo info;
    setOrnImageInfoSize(info, static_cast<float>(row.width), kStaffRowHeight);
    const auto width = static_cast<float>(row.width);
    const auto leftX = static_cast<float>(kStepPitch * row.firstStep);
    const int first = OrnPainter::stepLeftX(0); // the left edge of the first step's band
    const int music = musicEnd(row.stepCount);
    const int closing = closingX(row.stepCount);

    qpainter.save();
    // Pixel art is scaled to high-density images by whole pixels, never smoothed.
    qpainter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    qpainter.setClipRect(QRectF(0.0, 0.0, width, kStaffRowHeight), Qt::IntersectClip);
    painter.paintBackground(qpainter, info, 0.0f, width);
    painter.paintClef(qpainter, info, 2.0f);
    if (row.firstStep == 0 && score.loop()) {
        OrnPainter::paintLoopStart(qpainter, info, 42.0f);
    }

    // Lines up to the closing one; the measure numbers only up to the last
    // step, so that the next row's first number is not cut in half here.
    qpainter.save();
    const QRect band =
        OrnPainter::toDeviceRect(info, QRectF(first, info.notationBottom, closing + 1 - first,
                                              OrnPainter::kNotationHeight))
            .toRect();
    const QRect strip =
        OrnPainter::toDeviceRect(
            info, QRectF(first, info.runningBottom, music - first, OrnPainter::kRunningHeight))
            .toRect();
    qpainter.setClipRegion(QRegion(band).united(strip), Qt::IntersectClip);
    painter.paintVLines(qpainter, info, score, static_cast<float>(first),
                        static_cast<float>(closing + 1), leftX);
    qpainter.restore();

    // Notes of this row's steps only: the painter visits a step on each side.
    qpainter.save();
    qpainter.setClipRect(QRectF(first, 0.0, music - first, kStaffRowHeight), Qt::IntersectClip);
    painter.paintNotes(qpainter, info, score, static_cast<float>(first), static_cast<float>(music),
                       leftX);
    qpainter.restore();

    const int end = score.end();
    if (end >= row.firstStep && end <= row.firstStep + row.stepCount) {
        const float endX = OrnPainter::playingPositionToPhisicalX(static_cast<float>(end));
        OrnPainter::paintLoopEnd(qpainter, info, endX - leftX, score.loop());
    }
    qpainter.restore();
}
