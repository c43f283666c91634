// The staff view's input: the tool cursors, the highlighted cell under the
// pointer, clicks that become edit requests, the wheel and the keys. While
// the document plays, every input that edits or moves is ignored.
#include "common/Log.h"
#include "display/MyIcons.h"
#include "display/OrnView.h"
#include "display/OrnViewDocument.h"
#include "score/OrnScore.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QSlider>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace {

constexpr int kHotSpot = 7;
constexpr int kIconSize = 16;
constexpr float kNotch = 120.0f;
constexpr float kWheelThreshold = 6.0f;
constexpr float kMostStepsPerWheelEvent = 8.0f;
constexpr auto kStepPitch = static_cast<float>(OrnPainter::kStepWidth);
constexpr auto kFirstStepX = static_cast<float>(OrnPainter::kFirstStepX);
constexpr int kTopNote = 1;
constexpr int kBottomNote = 13;

} // namespace

void OrnView::initCursors() {
    // Each cursor is its icon scaled by whole pixels to the zoom and the
    // screen's ratio, so the pixel art stays crisp.
    const qreal ratio = devicePixelRatioF();
    const int side = static_cast<int>(std::lround(kIconSize * _zoom * ratio));
    const MyIcons* icons = MyIcons::myIcons();
    _currentCursor = -1;
    for (int i = 0; i < kCursorCount; ++i) {
        const QImage* icon = icons ? icons->zuboIcon(i) : nullptr;
        QImage image = icon
                           ? icon->scaled(side, side, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                           : QImage(side, side, QImage::Format_ARGB32_Premultiplied);
        if (!icon) {
            image.fill(Qt::transparent);
        }
        QPixmap pixmap = QPixmap::fromImage(image);
        pixmap.setDevicePixelRatio(ratio);
        _cursors[static_cast<std::size_t>(i)] = QCursor(pixmap, kHotSpot * _zoom, kHotSpot * _zoom);
    }
}

void OrnView::changeCursor(int index) {
    if (index < 0 || index >= kCursorCount) {
        return;
    }
    _currentCursor = index;
    Debug("changeCursor(%d)", index);
    setCursor(_cursors[static_cast<std::size_t>(index)]);
}

QPointF OrnView::toStaffPoint(QPointF widgetPos) const {
    // The pointer stands for the centre of the pixel it is on.
    const double x = std::floor(widgetPos.x()) + 0.5;
    const double y = std::floor(widgetPos.y()) + 0.5;
    return {x / _zoom, (height() - y) / _zoom};
}

bool OrnView::isInside(QPointF widgetPos) const {
    return widgetPos.x() >= 0.0 && widgetPos.x() < width() && widgetPos.y() >= 0.0 &&
           widgetPos.y() < height();
}

QPointF OrnView::cellAt(QPointF widgetPos) const {
    if (!isInside(widgetPos)) {
        return {0.0, 0.0};
    }
    const QPointF point = toStaffPoint(widgetPos);
    return OrnPainter::ptToScoreCursor(_ornImageInfo, static_cast<float>(point.x()),
                                       static_cast<float>(point.y()));
}

void OrnView::changeCursorPtTo(QPointF cell) {
    if (cell == _cursorPt) {
        return;
    }
    update(toWidgetRect(OrnPainter::cursorRect(_ornImageInfo, static_cast<int>(_cursorPt.x()),
                                               static_cast<int>(_cursorPt.y()))));
    _cursorPt = cell;
    update(toWidgetRect(OrnPainter::cursorRect(_ornImageInfo, static_cast<int>(_cursorPt.x()),
                                               static_cast<int>(_cursorPt.y()))));
    announceCell();
}

// mouseEntered:
void OrnView::enterEvent(QEnterEvent* event) {
    Debug("mouseEntered");
    QWidget::enterEvent(event);
}

// mouseExited:
void OrnView::leaveEvent(QEvent* event) {
    // The highlight stays where it was.
    Debug("mouseExited");
    QWidget::leaveEvent(event);
}

void OrnView::mouseMoveEvent(QMouseEvent* event) {
    if (_document.isPlaying()) {
        return;
    }
    if (_selecting) {
        dragSelectTo(event->position());
    }
    // Off the cells (the running strip, the way to the menus) the pointer
    // leaves the highlight where it was: the step commands aim at it.
    if (const QPointF cell = cellAt(event->position()); static_cast<int>(cell.y()) != 0) {
        changeCursorPtTo(cell);
    }
    QWidget::mouseMoveEvent(event);
}

void OrnView::mousePressEvent(QMouseEvent* event) {
    const QPointF pos = event->position();
    const bool editButton = event->button() == Qt::LeftButton || event->button() == Qt::RightButton;
    if (_document.isPlaying() && isInside(pos) && editButton) {
        emit notice(tr("Stop playback to edit with the mouse"));
    } else if (!_document.isPlaying() && isInside(pos)) {
        _pressedInside |= event->button();
        // A press in the running strip starts a selection; one on the staff
        // ends the selection there was.
        if (event->button() == Qt::LeftButton && isInRunningStrip(pos)) {
            // The selection is the target now, not the highlighted cell.
            changeCursorPtTo(QPointF(0.0, 0.0));
            _selecting = true;
            _selectionAnchor = stepAtX(static_cast<float>(toStaffPoint(pos).x()));
            selectFromAnchorTo(_selectionAnchor);
        } else {
            clearSelection();
        }
    }
    QWidget::mousePressEvent(event);
}

// mouseUp: and rightMouseUp: (by button).
void OrnView::mouseReleaseEvent(QMouseEvent* event) {
    const Qt::MouseButton button = event->button();
    const bool pressedHere = _pressedInside.testFlag(button);
    _pressedInside &= ~Qt::MouseButtons(button);
    if (button != Qt::LeftButton && button != Qt::RightButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    if (button == Qt::LeftButton && _selecting) {
        // The end of a selecting drag, not a click.
        _selecting = false;
        _dragScroll->stop();
        QWidget::mouseReleaseEvent(event);
        return;
    }
    if (_document.isPlaying() || !pressedHere) {
        return;
    }
    const QPointF pos = event->position();
    Debug(button == Qt::LeftButton ? "mouseUp(%.3f, %.3f)" : "rightMouseUp(%.3f, %.3f)", pos.x(),
          pos.y());
    if (!isInside(pos)) {
        return;
    }
    const QPointF cell = cellAt(pos);
    changeCursorPtTo(cell);
    const int step = static_cast<int>(cell.x());
    const int note = static_cast<int>(cell.y());
    if (button == Qt::LeftButton) {
        _document.requestAddNoteAt(step, note);
    } else {
        _document.requestRemoveNoteAt(step, note);
    }
    QWidget::mouseReleaseEvent(event);
}

// scrollWheel:
void OrnView::wheelEvent(QWheelEvent* event) {
    // One notch is one unit; touchpads send fractions of a notch.
    float dx = static_cast<float>(event->angleDelta().x()) / kNotch;
    const float dy = static_cast<float>(event->angleDelta().y()) / kNotch;
    if (_document.isPlaying()) {
        return;
    }
    Debug("WHEEL (%.2f,%.2f,%.2f)", dx, dy, 0.0);
    if (_document.verticalWheelFor() == 0) {
        dx += dy;
    } else if (dy != 0.0f) {
        // What passes the threshold is dropped with the reset: one event
        // moves the selection by one tool at most.
        _vWheelValue += dy;
        if (_vWheelValue >= kWheelThreshold) {
            _document.changeInstRelatively(-1);
            _vWheelValue = 0.0f;
        } else if (_vWheelValue <= -kWheelThreshold) {
            _document.changeInstRelatively(1);
            _vWheelValue = 0.0f;
        }
    }
    event->accept();
    if (dx == 0.0f || !_slider) {
        return;
    }
    const float value = sliderPosition();
    const auto maximum = static_cast<float>(static_cast<double>(_slider->maximum()) / kSliderScale);
    const auto minimum = static_cast<float>(static_cast<double>(_slider->minimum()) / kSliderScale);
    dx = std::clamp(dx, -kMostStepsPerWheelEvent, kMostStepsPerWheelEvent);
    const float target = value - dx;
    scrollTo(minimum > target ? minimum : std::min(maximum, target), true);
}

void OrnView::moveCellBy(int steps, int notes) {
    QPointF cell = _cursorPt;
    if (static_cast<int>(cell.y()) == 0) {
        // No cell yet: start at the playing position, on the middle line.
        const int step = static_cast<int>(std::lround(_ornImageInfo.playingPosition));
        cell = QPointF(std::clamp(step, 0, kLastPosition), kMiddleNote);
    } else {
        cell = QPointF(std::clamp(static_cast<int>(cell.x()) + steps, 0, kLastPosition),
                       std::clamp(static_cast<int>(cell.y()) + notes, kTopNote, kBottomNote));
    }
    changeCursorPtTo(cell);
    scrollCellIntoSight();
}

void OrnView::scrollCellIntoSight() {
    scrollStepIntoSight(static_cast<int>(_cursorPt.x()));
}

void OrnView::scrollStepIntoSight(int step) {
    const float left = OrnPainter::calcLeftX(_ornImageInfo, _ornImageInfo.playingPosition);
    const float iconLeft =
        kStepPitch * static_cast<float>(step) + kFirstStepX - kIconSize / 2.0f - left;
    float newLeft = left;
    if (iconLeft < 0.0f) {
        newLeft = left + iconLeft;
    } else if (iconLeft + kIconSize > _ornImageInfo.width) {
        newLeft = left + iconLeft + kIconSize - _ornImageInfo.width;
    }
    if (newLeft == left) {
        return;
    }
    // The position whose frame starts at newLeft: it stands at zuboDefaultX.
    const float position = (newLeft + _ornImageInfo.zuboDefaultX - kFirstStepX) / kStepPitch;
    scrollTo(std::clamp(position, 0.0f, static_cast<float>(kLastPosition)), true);
}

void OrnView::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const bool handled = key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up ||
                         key == Qt::Key_Down || key == Qt::Key_Return || key == Qt::Key_Enter ||
                         key == Qt::Key_Delete || key == Qt::Key_Backspace ||
                         key == Qt::Key_PageUp || key == Qt::Key_PageDown || key == Qt::Key_Home ||
                         key == Qt::Key_End || key == Qt::Key_Escape;
    if (!handled ||
        event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    if (_document.isPlaying()) {
        return;
    }
    const float page = _ornImageInfo.width / kStepPitch;
    const auto last = static_cast<float>(kLastPosition);
    const float position = std::max(0.0f, _ornImageInfo.playingPosition);
    const int step = static_cast<int>(_cursorPt.x());
    const int note = static_cast<int>(_cursorPt.y());
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right: {
        const int steps = key == Qt::Key_Left ? -1 : 1;
        if (event->modifiers() & Qt::ShiftModifier) {
            extendSelectionBy(steps);
        } else {
            moveCellBy(steps, 0);
        }
        break;
    }
    case Qt::Key_Escape:
        clearSelection();
        changeCursorPtTo(QPointF(0.0, 0.0));
        break;
    case Qt::Key_Up:
        moveCellBy(0, -1);
        break;
    case Qt::Key_Down:
        moveCellBy(0, 1);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (note != 0) {
            _document.requestAddNoteAt(step, note);
        }
        break;
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
        if (_selectionCount > 0) {
            emit deleteStepsRequested();
        } else if (note != 0) {
            _document.requestRemoveNoteAt(step, note);
        }
        break;
    case Qt::Key_PageUp:
        scrollTo(std::max(0.0f, position - page), true);
        break;
    case Qt::Key_PageDown:
        scrollTo(std::min(last, position + page), true);
        break;
    case Qt::Key_Home:
        scrollTo(0.0f, true);
        break;
    case Qt::Key_End:
        scrollTo(std::clamp(static_cast<float>(_document.score().end()), 0.0f, last), true);
        break;
    default:
        break;
    }
}
