// The staff view's display: its two off-screen images, painting, scrolling
// under the slider, zoom and the drop of one score file.
#include "display/OrnView.h"

#include "common/Log.h"
#include "display/OrnViewAccessible.h"
#include "display/OrnViewDocument.h"
#include "display/StaffSpeech.h"

#include <QAccessible>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMetaObject>
#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QSlider>
#include <QUrl>
#include <algorithm>
#include <cmath>

namespace {

// The notation band and running strip, and the runner's raised frame above them.
constexpr int kMinimumHeightUnits = 134;
constexpr int kStaffHeightUnits = 132;
// How often a selecting drag past an edge scrolls another step.
constexpr int kDragScrollMilliseconds = 50;

} // namespace

// awakeFromNib: the view is made in code, with its slider.
OrnView::OrnView(OrnViewDocument& document, QSlider& slider, QWidget* parent)
    : QWidget(parent), _document(document), _slider(&slider) {
    Debug("OrnView::awakeFromNib");
    OrnViewAccessible::install();
    setMouseTracking(true);
    setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumHeight(kMinimumHeightUnits * _zoom);
    setToolTip(tr("The score: click to place the selected tool, right-click to erase, drag "
                  "above the staff to select steps"));
    setAccessibleName(tr("Score"));
    setAccessibleDescription(tr("Arrow keys choose a cell, Return places the selected tool, "
                                "Delete erases (the selected steps, if any), Shift with Left or "
                                "Right selects steps, Escape clears the selection and the cell, "
                                "Page Up, Page Down, Home and End scroll"));

    slider.setOrientation(Qt::Horizontal);
    slider.setRange(0, kLastPosition * kSliderScale);
    slider.setSingleStep(kSliderScale);
    slider.setPageStep(8 * kSliderScale);
    slider.setToolTip(tr("Position in the score"));
    slider.setAccessibleName(tr("Score position"));
    connect(&slider, &QSlider::valueChanged, this, [this] {
        if (!_settingSlider && _slider) {
            scroll(*_slider);
        }
    });

    _dragScroll = new QTimer(this);
    _dragScroll->setInterval(kDragScrollMilliseconds);
    connect(_dragScroll, &QTimer::timeout, this, [this] {
        if (_selecting && !_document.isPlaying()) {
            dragSelectTo(_dragPos);
        } else {
            _dragScroll->stop();
        }
    });

    initCursors();
    changeCursor(0);
}

OrnView::~OrnView() = default;

// drawRect:
void OrnView::paintEvent(QPaintEvent* event) {
    const qreal ratio = _zoom * devicePixelRatioF();
    if (_mustRedraw || static_cast<float>(width() / _zoom) != _ornImageInfo.width ||
        _offscreen[0].devicePixelRatio() != ratio) {
        Debug("_mustRedraw=%s _ornImageInfo.width=%f bounds.size.width=%f",
              _mustRedraw ? "YES" : "NO", _ornImageInfo.width, static_cast<float>(width() / _zoom));
        createOffscreen();
        _mustRedraw = false;
    }

    QPainter painter(this);
    const QImage& shown = _offscreen[static_cast<std::size_t>(_currentOffscreen)];
    const QRect imageRect =
        toWidgetRect(QRectF(0.0, 0.0, _ornImageInfo.width, _ornImageInfo.height));
    const qreal deviceRatio = devicePixelRatioF();
    for (const QRect& dirty : event->region()) {
        const QRect part = dirty & imageRect;
        if (!part.isEmpty()) {
            const QRectF source(QRectF(part.translated(-imageRect.topLeft())).topLeft() *
                                    deviceRatio,
                                QSizeF(part.size()) * deviceRatio);
            painter.drawImage(QRectF(part), shown, source);
        }
    }
    // What the images do not cover (a taller view, a width that is not a
    // multiple of the zoom) looks as the unpainted part of an image does.
    for (const QRect& uncovered : event->region().subtracted(imageRect)) {
        painter.fillRect(uncovered, Qt::black);
    }

    if (_selectionCount > 0) {
        QColor band = palette().color(QPalette::Highlight);
        band.setAlpha(96);
        painter.fillRect(selectionRect(), band);
    }
    if (hasFocus()) {
        painter.fillRect(focusBarRect(), palette().color(QPalette::Highlight));
    }

    painter.translate(imageRect.topLeft());
    painter.scale(_zoom, _zoom);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (_document.isPlaying()) {
        _ornPainter.paintZuboRunning(painter, _ornImageInfo);
    } else {
        OrnPainter::paintCursor(painter, _ornImageInfo, static_cast<int>(_cursorPt.x()),
                                static_cast<int>(_cursorPt.y()));
    }
}

const QImage& OrnView::createOffscreen() {
    const qreal ratio = _zoom * devicePixelRatioF();
    const int unitsWide = width() / _zoom;
    const int unitsHigh = height() / _zoom;
    for (QImage& image : _offscreen) {
        image = QImage();
    }
    _currentOffscreen = 0;
    setOrnImageInfoSize(_ornImageInfo, static_cast<float>(unitsWide),
                        static_cast<float>(unitsHigh));
    if (unitsWide <= 0 || unitsHigh <= 0) {
        return _offscreen[0];
    }
    for (QImage& image : _offscreen) {
        image = QImage(static_cast<int>(std::lround(unitsWide * ratio)),
                       static_cast<int>(std::lround(unitsHigh * ratio)),
                       QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::black);
    }
    const OrnScore& score = _document.score();
    Debug("At createOffscreen, _ornScore=%p", static_cast<const void*>(&score));
    QPainter painter(&_offscreen[0]);
    _ornPainter.initialPaint(painter, _ornImageInfo, score);
    return _offscreen[0];
}

void OrnView::redraw() {
    Debug("redraw called.");
    _mustRedraw = true;
    update();
    // Every edit, undo and redo redraws: the cell may hold other notes now.
    announceCell();
}

QString OrnView::spokenCell() const {
    return zubo::staffCellSpeech(_document.score(), static_cast<int>(_cursorPt.x()),
                                 static_cast<int>(_cursorPt.y()), _selectionFirst,
                                 _selectionCount);
}

void OrnView::announceCell() {
    if (!QAccessible::isActive() || _announcePending) {
        return;
    }
    // One key may move the cell and the selection: they are said together,
    // once the key is done.
    _announcePending = true;
    QTimer::singleShot(0, this, [this] {
        _announcePending = false;
        const QString words = spokenCell();
        if (words == _announcedCell) {
            return;
        }
        _announcedCell = words;
        QAccessibleEvent event(this, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&event);
    });
}

void OrnView::scrollTo(float position, bool updateSlider) {
    // The painter paints every position below 0 as 0; a scroll that changes
    // nothing must not show the other image, which holds an older frame.
    if (std::max(0.0f, position) == std::max(0.0f, _ornImageInfo.playingPosition)) {
        return;
    }
    if (_offscreen[0].isNull()) {
        // Nothing is shown yet: the first paint builds the frame for this position.
        _ornImageInfo.playingPosition = std::max(0.0f, position);
    } else {
        const QImage& previous = _offscreen[static_cast<std::size_t>(_currentOffscreen)];
        _currentOffscreen = 1 - _currentOffscreen;
        QPainter painter(&_offscreen[static_cast<std::size_t>(_currentOffscreen)]);
        _ornPainter.paint(painter, _ornImageInfo, _document.score(), position, &previous);
    }
    update();
    if (updateSlider) {
        setSliderPosition(position);
    }
}

void OrnView::scroll(const QSlider& sender) {
    scrollTo(static_cast<float>(sender.value()) / kSliderScale, false);
}

void OrnView::setZoom(int zoom) {
    zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    if (zoom == _zoom) {
        return;
    }
    _zoom = zoom;
    setMinimumHeight(kMinimumHeightUnits * _zoom);
    initCursors();
    if (_currentCursor >= 0) {
        changeCursor(_currentCursor);
    }
    // The images are rebuilt at the next paint for the recorded position.
    redraw();
}

QRect OrnView::toWidgetRect(const QRectF& staffRect) const {
    const QRectF scaled(staffRect.x() * _zoom, staffRect.y() * _zoom, staffRect.width() * _zoom,
                        staffRect.height() * _zoom);
    return QRectF(scaled.x(), height() - scaled.y() - scaled.height(), scaled.width(),
                  scaled.height())
        .toAlignedRect();
}

QRect OrnView::focusBarRect() const {
    // The rows above the staff: the focus shows there without hiding any of it.
    const int above = std::max(0, height() - kStaffHeightUnits * _zoom);
    return {0, 0, width(), std::min(above, 2 * _zoom)};
}

void OrnView::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update(focusBarRect());
}

void OrnView::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update(focusBarRect());
}

void OrnView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The screen, and with it the pixel ratio of the cursors, may differ now.
    initCursors();
    if (_currentCursor >= 0) {
        changeCursor(_currentCursor);
    }
}

void OrnView::setSliderPosition(float position) {
    if (!_slider) {
        return;
    }
    _settingSlider = true;
    _slider->setValue(static_cast<int>(std::lround(static_cast<double>(position) * kSliderScale)));
    _settingSlider = false;
}

float OrnView::sliderPosition() const {
    return _slider ? static_cast<float>(_slider->value()) / kSliderScale : 0.0f;
}

bool OrnView::isDroppableFile(const QMimeData* mime) {
    if (!mime || !mime->hasUrls()) {
        return false;
    }
    const QList<QUrl> urls = mime->urls();
    return urls.size() == 1 && urls.front().isLocalFile();
}

// draggingEntered:
void OrnView::dragEnterEvent(QDragEnterEvent* event) {
    Debug("draggingEntered");
    const Qt::DropActions offered = event->possibleActions();
    Debug("sourceDragMask=%d", static_cast<int>(offered));
    Qt::DropAction answer = Qt::IgnoreAction;
    if (isDroppableFile(event->mimeData())) {
        answer = offered.testFlag(Qt::LinkAction)   ? Qt::LinkAction
                 : offered.testFlag(Qt::CopyAction) ? Qt::CopyAction
                                                    : Qt::IgnoreAction;
    }
    Debug("ret=%d", static_cast<int>(answer));
    if (answer == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    event->setDropAction(answer);
    event->accept();
}

// performDragOperation:
void OrnView::dropEvent(QDropEvent* event) {
    Debug("Drop File(s)");
    const Qt::DropActions offered = event->possibleActions();
    // A drop that the enter answer refused stays refused.
    if (!isDroppableFile(event->mimeData()) || !(offered & (Qt::LinkAction | Qt::CopyAction))) {
        event->ignore();
        return;
    }
    const bool link = offered.testFlag(Qt::LinkAction);
    event->setDropAction(link ? Qt::LinkAction : Qt::CopyAction);
    event->accept();
    // The drop may ask whether to save changes first: the question waits
    // until the drag is over, so that the drag source is not held up by it.
    const QString path = event->mimeData()->urls().front().toLocalFile();
    QMetaObject::invokeMethod(
        this, [this, path, link] { _document.dropFile(path, link); }, Qt::QueuedConnection);
    Debug("concludeDragOperation");
    Debug("draggingEnded");
}
