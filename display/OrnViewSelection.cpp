// The staff view's selection of whole steps: a band over the staff and the
// running strip that the step commands of the window act on.
#include "display/OrnView.h"
#include "score/OrnScore.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr auto kStepPitch = static_cast<float>(OrnPainter::kStepWidth);
constexpr auto kFirstStepLeft = static_cast<float>(OrnPainter::stepLeftX(0));
constexpr auto kNotationHeight = static_cast<float>(OrnPainter::kNotationHeight);
constexpr auto kRunningHeight = static_cast<float>(OrnPainter::kRunningHeight);
constexpr int kLastStep = OrnScore::maxLength() - 1;

} // namespace

void OrnView::setSelection(int first, int count) {
    first = std::clamp(first, 0, kLastStep);
    count = std::clamp(count, 0, kLastStep + 1 - first);
    if (count == 0) {
        first = 0;
    }
    if (first == _selectionFirst && count == _selectionCount) {
        return;
    }
    update(selectionRect());
    _selectionFirst = first;
    _selectionCount = count;
    update(selectionRect());
    announceCell();
    emit selectionChanged();
}

int OrnView::stepAtX(float x) const {
    const float physical = OrnPainter::calcLeftX(_ornImageInfo, _ornImageInfo.playingPosition) + x;
    const float step = std::floor((physical - kFirstStepLeft) / kStepPitch);
    return static_cast<int>(std::clamp(step, 0.0f, static_cast<float>(kLastStep)));
}

bool OrnView::isInRunningStrip(QPointF widgetPos) const {
    return isInside(widgetPos) &&
           toStaffPoint(widgetPos).y() >= _ornImageInfo.notationBottom + kNotationHeight;
}

void OrnView::selectFromAnchorTo(int step) {
    const int first = std::min(_selectionAnchor, step);
    setSelection(first, std::max(_selectionAnchor, step) - first + 1);
}

void OrnView::extendSelectionBy(int steps) {
    if (_selectionCount > 0) {
        // The keys grow a selection from its end away from the anchor, wherever
        // a drag or the pointer left the highlighted cell.
        const int last = _selectionFirst + _selectionCount - 1;
        if (_selectionAnchor != last) {
            _selectionAnchor = _selectionFirst;
        }
        const int note = static_cast<int>(_cursorPt.y());
        changeCursorPtTo(QPointF(_selectionAnchor == last ? _selectionFirst : last,
                                 note == 0 ? kMiddleNote : note));
    } else {
        if (static_cast<int>(_cursorPt.y()) == 0) {
            moveCellBy(0, 0);
        }
        _selectionAnchor = std::min(static_cast<int>(_cursorPt.x()), kLastStep);
    }
    moveCellBy(steps, 0);
    selectFromAnchorTo(std::min(static_cast<int>(_cursorPt.x()), kLastStep));
}

void OrnView::dragSelectTo(QPointF widgetPos) {
    _dragPos = widgetPos;
    const auto x = static_cast<float>(toStaffPoint(widgetPos).x());
    const float right = _ornImageInfo.width - 1.0f;
    const int direction = x < 0.0f ? -1 : x > right ? 1 : 0;
    if (direction != 0) {
        scrollStepIntoSight(stepAtX(direction < 0 ? 0.0f : right) + direction);
        _dragScroll->start();
    } else {
        _dragScroll->stop();
    }
    selectFromAnchorTo(stepAtX(std::clamp(x, 0.0f, std::max(0.0f, right))));
}

QRect OrnView::selectionRect() const {
    if (_selectionCount == 0) {
        return {};
    }
    const float left = OrnPainter::calcLeftX(_ornImageInfo, _ornImageInfo.playingPosition);
    const QRectF band(kStepPitch * static_cast<float>(_selectionFirst) + kFirstStepLeft - left,
                      _ornImageInfo.notationBottom,
                      kStepPitch * static_cast<float>(_selectionCount),
                      _ornImageInfo.runningBottom + kRunningHeight - _ornImageInfo.notationBottom);
    return toWidgetRect(band) & rect();
}
