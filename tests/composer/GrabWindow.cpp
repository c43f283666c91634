// grabwindow OUT.png WINDOW-ID: saves what the X server shows of a window.
// The end-to-end test runs it on its private X server.
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: grabwindow OUT.png WINDOW-ID\n");
        return 2;
    }
    const QGuiApplication app(argc, argv);
    const WId window = QByteArray(argv[2]).toULongLong();
    const QPixmap picture = QGuiApplication::primaryScreen()->grabWindow(window);
    return !picture.isNull() && picture.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
