#pragma once

#include "display/MyIcons.h"
#include "display/OrnView.h"
#include "display/OrnViewDocument.h"
#include "score/OrnScore.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSlider>
#include <QWheelEvent>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace display_test {

// A document that records what the view asks of it.
class FakeViewDocument : public OrnViewDocument {
  public:
    bool isPlaying() const override { return playing; }
    const OrnScore& score() const override { return _score; }
    void requestAddNoteAt(int step, int note) override { record("add", step, note); }
    void requestRemoveNoteAt(int step, int note) override { record("remove", step, note); }
    void changeInstRelatively(int delta) override { record("inst", delta, 0); }
    void dropFile(const QString& path, bool link) override {
        calls.push_back("drop " + path.toStdString() + (link ? " link" : " copy"));
    }
    int verticalWheelFor() const override { return wheelFor; }

    OrnScore& mutableScore() { return _score; }

    bool playing = false;
    int wheelFor = 0;
    std::vector<std::string> calls;

  private:
    void record(const char* what, int a, int b) {
        calls.push_back(std::string(what) + " " + std::to_string(a) + " " + std::to_string(b));
    }
    OrnScore _score;
};

// A view with its slider and document, sized in the staff's units.
class ViewTest : public testing::Test {
  protected:
    void SetUp() override {
        _icons = std::make_unique<MyIcons>();
        _slider = std::make_unique<QSlider>();
        _view = std::make_unique<OrnView>(_document, *_slider);
    }
    void TearDown() override {
        _view.reset();
        _slider.reset();
        _icons.reset();
    }

    void makeView(int widthUnits, int heightUnits, int zoom) {
        _view->setZoom(zoom);
        _view->resize(widthUnits * zoom, heightUnits * zoom);
        _view->grab(); // the first display builds the images
    }
    float sliderPosition() const {
        return static_cast<float>(_slider->value()) / OrnView::kSliderScale;
    }
    // The widget position of the centre of a cell's icon.
    QPoint cellCentre(int step, int note) const {
        const QRect rect =
            _view->toWidgetRect(OrnPainter::cursorRect(_view->imageInfo(), step, note));
        return rect.center();
    }
    void mouse(QEvent::Type type, Qt::MouseButton button, QPoint pos) {
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::NoButton;
        QMouseEvent event(type, QPointF(pos), _view->mapToGlobal(QPointF(pos)), button, held,
                          Qt::NoModifier);
        QApplication::sendEvent(_view.get(), &event);
    }
    void click(Qt::MouseButton button, QPoint press, QPoint release) {
        mouse(QEvent::MouseButtonPress, button, press);
        mouse(QEvent::MouseButtonRelease, button, release);
    }
    void wheel(int angleX, int angleY) {
        QWheelEvent event(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(angleX, angleY),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(_view.get(), &event);
    }

    std::unique_ptr<MyIcons> _icons;
    FakeViewDocument _document;
    std::unique_ptr<QSlider> _slider;
    std::unique_ptr<OrnView> _view;
};

} // namespace display_test
