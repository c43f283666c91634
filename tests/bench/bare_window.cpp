// The yardstick for the composer's start-up: a bare Qt main window of the
// composer's size with one painted widget, which quits after its first
// paint as the composer does with ZUBO_QUIT_AFTER_PAINT.
#include <QApplication>
#include <QMainWindow>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <cstdlib>

namespace {

class PaintedOnce : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(rect(), Qt::white);
        if (!_painted) {
            _painted = true;
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
    }

private:
    bool _painted = false;
};

} // namespace

// bare_window [WIDTH HEIGHT]
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int width = argc > 2 ? std::atoi(argv[1]) : 960;
    const int height = argc > 2 ? std::atoi(argv[2]) : 360;
    QMainWindow window;
    window.setCentralWidget(new PaintedOnce);
    window.resize(width, height);
    window.show();
    return QApplication::exec();
}
