#include "composer/Composer.h"

#include "composer/DocumentController.h"
#include "composer/InstrumentsFollower.h"
#include "composer/OrnWindowController.h"
#include "composer/PixelIcon.h"
#include "composer/QtDialogs.h"
#include "composer/RecoveryStore.h"
#include "composer/ShutdownSignals.h"
#include "display/MyIcons.h"
#include "display/OrnView.h"
#include "document/Preferences.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QSet>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace zubo {
namespace {

// Quits the application once every widget it watches has painted.
class QuitAfterPaint : public QObject {
public:
    void watch(QWidget* widget) {
        widget->installEventFilter(this);
        _waiting.insert(widget);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && _waiting.remove(watched) && _waiting.isEmpty()) {
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QSet<QObject*> _waiting;
};

// How often an edited document is kept for recovery: 30 s, or
// ZUBO_RECOVERY_INTERVAL_MS milliseconds (tests).
std::chrono::milliseconds recoveryInterval() {
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("ZUBO_RECOVERY_INTERVAL_MS", &ok);
    return ok && ms > 0 ? std::chrono::milliseconds(ms) : std::chrono::seconds(30);
}

} // namespace

int runComposer(int& argc, char** argv, const QStringList& files) {
    // Without any display Qt would abort; say what can be done instead.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        std::fprintf(stderr, "zubo-sequencer: no display to open the composer on "
                             "(--help lists what works without one)\n");
        return 1;
    }
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Zubo"));
    QCoreApplication::setApplicationName(QStringLiteral("Zubo Sequencer"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZUBO_VERSION));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Zubo Sequencer"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.zubosequencer.ZuboSequencer"));

    // The icon atlas is made once, before the first document.
    const MyIcons icons;
    if (const QImage* zubo = icons.getZuboIcon(0); zubo != nullptr) {
        QApplication::setWindowIcon(pixelIcon(*zubo, 1));
    }

    QtDialogs dialogs;
    const InstrumentsFollower instruments(&dialogs, Preferences::shared());
    // Declared before the controller: the documents remove their files from
    // it as they close.
    RecoveryStore recovery(RecoveryStore::defaultFolder());
    DocumentController controller(&dialogs, Preferences::shared());
    controller.setRecoveryStore(&recovery, recoveryInterval());
    const bool restored = !controller.offerRecovery().isEmpty();
    if ((files.isEmpty() || controller.openFiles(files).isEmpty()) && !restored) {
        controller.newDocument();
    }
    QuitAfterPaint quitAfterPaint;
    if (std::getenv("ZUBO_QUIT_AFTER_PAINT") != nullptr) {
        for (OrnWindowController* window : controller.windows()) {
            quitAfterPaint.watch(window->ornView());
        }
    }
    // A shutdown, a kill or a closed terminal keeps the last edits for the
    // next start, as a crash would but without losing the last seconds.
    // Caught only now: a signal during the restore question still ends the
    // program at once, and what it restored is already kept.
    const ShutdownSignals shutdownSignals;
    QObject::connect(&shutdownSignals, &ShutdownSignals::received, &app, [&](int signal) {
        controller.leaveUnsavedWork();
        QCoreApplication::exit(128 + signal);
    });
    return QApplication::exec();
}

} // namespace zubo
