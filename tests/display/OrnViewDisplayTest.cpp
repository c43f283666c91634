// The view's images, scrolling and painting, checked through the view's own
// state and on the pixels that grab() shows.
#include "ViewTestUtil.h"

#include <QPaintEvent>
#include <QSignalSpy>
#include <QTest>

namespace {

using namespace display_test;

// Whether every opaque pixel of icon, scaled by zoom, is what the view shows
// at the widget rectangle `at`.
bool showsIcon(const QImage& shown, const QImage& icon, QRect at, int zoom) {
    const QImage scaled =
        icon.scaled(icon.size() * zoom, Qt::IgnoreAspectRatio, Qt::FastTransformation)
            .convertToFormat(QImage::Format_ARGB32);
    if (at.size() != scaled.size()) {
        return false;
    }
    int opaque = 0;
    for (int y = 0; y < scaled.height(); ++y) {
        for (int x = 0; x < scaled.width(); ++x) {
            const QRgb pixel = scaled.pixel(x, y);
            if (qAlpha(pixel) == 255) {
                ++opaque;
                if (shown.pixel(at.x() + x, at.y() + y) != pixel) {
                    return false;
                }
            }
        }
    }
    return opaque > 0;
}

using OrnViewDisplayTest = ViewTest;

TEST_F(OrnViewDisplayTest, FirstDisplayBuildsFromPositionZeroAndLeavesTheSlider) {
    QSignalSpy moved(_slider.get(), &QSlider::valueChanged);
    makeView(500, 140, 1);
    const OrnImageInfo& info = _view->imageInfo();
    EXPECT_EQ(info.width, 500.0f);
    EXPECT_EQ(info.height, 140.0f);
    EXPECT_EQ(info.zuboDefaultX, 201.0f);
    EXPECT_EQ(info.playingPosition, 0.0f);
    EXPECT_FALSE(_view->offscreen(0).isNull());
    EXPECT_FALSE(_view->offscreen(1).isNull());
    EXPECT_EQ(_view->currentOffscreen(), 0);
    EXPECT_EQ(moved.count(), 0);
}

TEST_F(OrnViewDisplayTest, EachEffectiveScrollShowsTheOtherImage) {
    makeView(768, 140, 1);
    struct Case {
        float position;
        bool updateSlider;
        int shown;
        float slider;
    };
    const Case cases[] = {
        {10.01f, true, 1, 10.015625f}, {10.01f, true, 1, 10.015625f}, // shown: nothing
        {20.5f, false, 0, 10.015625f}, {-0.5f, true, 1, 0.0f},        // painted as 0
        {-1.0f, true, 1, 0.0f},        {960.0f, true, 0, 960.0f},
    };
    for (const Case& c : cases) {
        _view->scrollTo(c.position, c.updateSlider);
        EXPECT_EQ(_view->currentOffscreen(), c.shown) << c.position;
        EXPECT_EQ(sliderPosition(), c.slider) << c.position;
        EXPECT_EQ(_view->imageInfo().playingPosition, std::max(0.0f, c.position));
    }
    // The slider moved by the user scrolls without being set back.
    _slider->setValue(100 * OrnView::kSliderScale);
    EXPECT_EQ(_view->imageInfo().playingPosition, 100.0f);
    EXPECT_EQ(_view->currentOffscreen(), 1);
}

TEST_F(OrnViewDisplayTest, WidthChangeRebuildsAndHeightChangeDoesNot) {
    struct Case {
        int width, height, zoom;
        bool rebuilt;
    };
    const Case cases[] = {{900, 140, 1, true},
                          {900, 200, 1, false},
                          {900, 200, 2, true},
                          {1000, 200, 2, true},
                          {1000, 300, 2, false}};
    makeView(768, 140, 1);
    for (const Case& c : cases) {
        _view->scrollTo(50.0f, true);
        _view->scrollTo(40.0f, true);
        _view->scrollTo(60.0f, true); // image 1 shown
        _view->setZoom(c.zoom);
        _view->resize(c.width * c.zoom, c.height * c.zoom);
        const QImage shown = _view->grab().toImage();
        EXPECT_EQ(_view->currentOffscreen(), c.rebuilt ? 0 : 1) << c.width << "x" << c.height;
        EXPECT_EQ(_view->imageInfo().width, static_cast<float>(c.width));
        EXPECT_EQ(_view->imageInfo().playingPosition, 60.0f);
        EXPECT_EQ(shown.size(), QSize(c.width, c.height) * c.zoom);
    }
}

TEST_F(OrnViewDisplayTest, NotesHighlightAndRunnerAreWhereTheGeometryPutsThem) {
    _document.mutableScore().addNoteAt(3, 7, 5);
    for (int zoom : {1, 2}) {
        makeView(600, 134, zoom);
        const OrnImageInfo& info = _view->imageInfo();
        const QRect note = _view->toWidgetRect(OrnPainter::cursorRect(info, 3, 7));
        EXPECT_TRUE(showsIcon(_view->grab().toImage(), *_icons->zuboIcon(4), note, zoom)) << zoom;

        mouse(QEvent::MouseMove, Qt::NoButton, cellCentre(6, 2));
        const QRect lit = _view->toWidgetRect(OrnPainter::cursorRect(info, 6, 2));
        EXPECT_TRUE(showsIcon(_view->grab().toImage(), *_icons->zuboIcon(17), lit, zoom)) << zoom;

        _document.playing = true;
        _view->scrollTo(12.75f, true);
        const float x = OrnPainter::playingPositionToPhisicalX(12.75f) -
                        OrnPainter::calcLeftX(info, 12.75f) - 8.0f;
        const QRect runner = _view->toWidgetRect(QRectF(x, info.runningBottom, 16, 22));
        const QImage playing = _view->grab().toImage();
        EXPECT_TRUE(showsIcon(playing, *_icons->runningIcon(true), runner, zoom)) << zoom;
        EXPECT_FALSE(showsIcon(playing, *_icons->zuboIcon(17), lit, zoom)) << zoom;
        _document.playing = false;
        _view->scrollTo(0.0f, true);
    }
}

TEST_F(OrnViewDisplayTest, FocusShowsInTheRowsAboveTheStaffOnly) {
    _view->show();
    _view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(_view.get()));
    for (int zoom : {1, 2}) {
        makeView(300, 134, zoom);
        EXPECT_EQ(_view->minimumHeight(), 134 * zoom);
        _view->clearFocus();
        const QImage unfocused = _view->grab().toImage();
        _view->setFocus();
        ASSERT_TRUE(_view->hasFocus()) << zoom;
        const QImage focused = _view->grab().toImage();
        const int above = 2 * zoom;
        const QRect staff(0, above, focused.width(), focused.height() - above);
        EXPECT_EQ(focused.copy(staff), unfocused.copy(staff)) << zoom;
        EXPECT_NE(focused.copy(0, 0, focused.width(), above),
                  unfocused.copy(0, 0, focused.width(), above))
            << zoom;
    }
}

// Counts the area that paint events asked for.
class CountingView : public OrnView {
  public:
    using OrnView::OrnView;
    qint64 paintedArea = 0;

  protected:
    void paintEvent(QPaintEvent* event) override {
        for (const QRect& rect : event->region()) {
            paintedArea += qint64{rect.width()} * rect.height();
        }
        OrnView::paintEvent(event);
    }
};

TEST_F(OrnViewDisplayTest, PointerMovesRepaintOnlyTheTwoHighlightCells) {
    QSlider slider;
    CountingView view(_document, slider);
    for (int zoom : {1, 2}) {
        view.setZoom(zoom);
        view.resize(600 * zoom, 134 * zoom);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        auto moveTo = [&](QPoint pos) {
            QMouseEvent event(QEvent::MouseMove, QPointF(pos), view.mapToGlobal(QPointF(pos)),
                              Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(&view, &event);
            QApplication::processEvents();
        };
        auto centre = [&](int step, int note) {
            return view.toWidgetRect(OrnPainter::cursorRect(view.imageInfo(), step, note)).center();
        };
        moveTo(centre(4, 4));
        QApplication::processEvents();
        view.paintedArea = 0;
        moveTo(centre(4, 4) + QPoint(zoom, zoom));
        EXPECT_EQ(view.paintedArea, 0) << "same cell, zoom " << zoom;
        moveTo(centre(8, 9));
        EXPECT_EQ(view.paintedArea, 2 * 16 * 16 * zoom * zoom) << "zoom " << zoom;
        view.hide();
    }
}

} // namespace
