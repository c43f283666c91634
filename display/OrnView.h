#pragma once

#include "display/OrnImageInfo.h"
#include "display/OrnPainter.h"

#include <QCursor>
#include <QImage>
#include <QPointF>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <array>

class OrnViewDocument;
class QMimeData;
class QSlider;

// The staff view of a document window. It shows the score through two
// off-screen images that alternate with every scroll (the painter builds each
// new frame in the hidden one from the one on screen), follows a position
// slider, the wheel, the keys and the playback display tick, and turns button
// releases on the staff into edit requests to its document.
//
// Geometry is in the staff's units (OrnImageInfo); the view draws them times
// an integer zoom, and divides pointer positions by it before hit-testing.
// The staff is aligned with the view's bottom edge.
class OrnView : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kCursorCount = 17;
    static constexpr int kMinZoom = 1;
    static constexpr int kMaxZoom = 4;
    // The slider counts positions in 1/64 of a step, over steps 0 to 960.
    static constexpr int kSliderScale = 64;
    static constexpr int kLastPosition = 960;

    // The view configures the slider (range, steps, tooltip) and follows it.
    // The document must outlive the view; the slider may go first.
    OrnView(OrnViewDocument& document, QSlider& slider, QWidget* parent = nullptr);
    ~OrnView() override;

    const OrnImageInfo& imageInfo() const { return _ornImageInfo; }
    int currentOffscreen() const { return _currentOffscreen; }
    const QImage& offscreen(int index) const {
        return _offscreen.at(static_cast<std::size_t>(index));
    }
    int zoom() const { return _zoom; }
    int currentCursor() const { return _currentCursor; }
    // The highlighted cell: x = step, y = note number (0 = none). It stays
    // when the pointer leaves the cells; a click off them or Escape clears it.
    QPointF cursorPt() const { return _cursorPt; }
    // The selected steps, [selectionFirst, selectionFirst + selectionCount),
    // within 0..959; a count of 0 is no selection. Dragging in the running
    // strip or Shift with Left or Right selects; Escape or a click on the
    // staff clears.
    int selectionFirst() const { return _selectionFirst; }
    int selectionCount() const { return _selectionCount; }
    // The highlighted cell and the selection in words, as a screen reader
    // says them (empty when there is neither).
    QString spokenCell() const;
    // The step at the view's left edge, within 0..959.
    int leftEdgeStep() const { return stepAtX(0.0f); }

    // Rebuilds both images for the view's current size and paints image 0
    // for the recorded position; called only by the paint routine.
    const QImage& createOffscreen();
    // The widget rectangle (y downward, pixels) of a rectangle of the staff's
    // units (y upward).
    QRect toWidgetRect(const QRectF& staffRect) const;

    using QWidget::scroll;
    // The slider's action: scroll to the position it shows.
    void scroll(const QSlider& sender);

  public slots:
    void redraw();
    void scrollTo(float position, bool updateSlider);
    void changeCursor(int index);
    void setZoom(int zoom);
    void setSelection(int first, int count);
    void clearSelection() { setSelection(0, 0); }

  signals:
    void selectionChanged();
    // Delete or Backspace with steps selected: the window deletes them.
    void deleteStepsRequested();
    // Something the user should read, such as why a click did nothing.
    void notice(const QString& message);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // Pointer, wheel and keys (OrnViewInput.cpp).
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // The row the keyboard starts on when no cell is highlighted: the middle line.
    static constexpr int kMiddleNote = 6;

    void initCursors();
    void changeCursorPtTo(QPointF cell);
    // The point of a widget position in the staff's units, and whether it
    // lies inside the view.
    QPointF toStaffPoint(QPointF widgetPos) const;
    bool isInside(QPointF widgetPos) const;
    QPointF cellAt(QPointF widgetPos) const;
    void setSliderPosition(float position);
    float sliderPosition() const;
    void moveCellBy(int steps, int notes);
    void scrollCellIntoSight();
    void scrollStepIntoSight(int step);
    QRect focusBarRect() const;
    // The step under a view x of the staff's units, within 0..959.
    int stepAtX(float x) const;
    bool isInRunningStrip(QPointF widgetPos) const;
    // Selects the steps from the anchor to `step`, both included.
    void selectFromAnchorTo(int step);
    void extendSelectionBy(int steps);
    // A selecting drag at a widget position: past the view's left or right
    // edge it scrolls one step that way and selects up to the edge.
    void dragSelectTo(QPointF widgetPos);
    // The band shown over the selected steps, in widget coordinates.
    QRect selectionRect() const;
    static bool isDroppableFile(const QMimeData* mime);
    // Tells a screen reader when the words of spokenCell() have changed.
    void announceCell();

    OrnViewDocument& _document;
    QPointer<QSlider> _slider;
    OrnPainter _ornPainter;
    OrnImageInfo _ornImageInfo;
    std::array<QImage, 2> _offscreen;
    int _currentOffscreen = 0;
    bool _mustRedraw = true;
    std::array<QCursor, kCursorCount> _cursors;
    int _currentCursor = -1;
    QPointF _cursorPt{0.0, 0.0};
    float _vWheelValue = 0.0f;
    int _zoom = 1;
    // Buttons pressed inside this view: only their releases count as clicks.
    Qt::MouseButtons _pressedInside;
    int _selectionFirst = 0;
    int _selectionCount = 0;
    // The step a selection grows from, and whether the left button is
    // dragging one.
    int _selectionAnchor = 0;
    bool _selecting = false;
    // While a selecting drag is past an edge, the view goes on scrolling
    // with this timer, as text selection does; the pointer's last position.
    QTimer* _dragScroll = nullptr;
    QPointF _dragPos;
    // Set while the view itself moves the slider, so that move is not taken
    // for the user's.
    bool _settingSlider = false;
    // The words a screen reader was last told, and whether newer ones wait
    // for the key or edit in hand to finish.
    QString _announcedCell;
    bool _announcePending = false;
};
