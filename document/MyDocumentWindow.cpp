#include "document/MyDocument.h"

#include "common/Log.h"
#include "display/MyIcons.h"
#include "document/Preferences.h"

#include <cmath>

void MyDocument::makeWindowControllers(const WindowMaker& makeWindow) {
    windowControllerDidLoadNib(makeWindow(this));
}

void MyDocument::windowControllerDidLoadNib(MyDocumentOutlets* outlets) {
    _outlets = outlets;
    // A score loaded, pasted or dropped later refreshes the palette too.
    connect(this, &MyDocument::scoreReplaced, this, &MyDocument::openDrawer,
            Qt::UniqueConnection);
    forwardToOutlets();
    if (const MyIcons* icons = MyIcons::myIcons(); icons != nullptr && _outlets != nullptr) {
        for (int i = 0; i < MyDocumentOutlets::kToolButtons; ++i) {
            _outlets->setImage(MyDocumentOutlets::toolButton(i), icons->getZuboIcon(i));
        }
    }
    // A document whose output cannot be opened still opens, silent.
    if (_outputMaker) {
        initAudio(_outputMaker());
    } else {
        initAudio();
    }
    openDrawer();
}

// What the document's signals tell everyone, its window hears through the
// outlets, until windowWillClose lets go of them.
void MyDocument::forwardToOutlets() {
    const auto toOutlets = [this](auto call) {
        return [this, call](auto... values) {
            if (_outlets != nullptr) {
                call(*_outlets, values...);
            }
        };
    };
    connect(this, &MyDocument::tempoDisplayChanged, this,
            toOutlets([](MyDocumentOutlets& o, int tempo) { o.showTempo(tempo); }));
    connect(this, &MyDocument::scrollRequested, this,
            toOutlets([](MyDocumentOutlets& o, float position, bool updateSlider) {
                o.scrollTo(position, updateSlider);
            }));
    connect(this, &MyDocument::redrawRequested, this,
            toOutlets([](MyDocumentOutlets& o) { o.redraw(); }));
    connect(this, &MyDocument::editedChanged, this,
            toOutlets([](MyDocumentOutlets& o, bool) { o.updateTitle(); }));
    connect(this, &MyDocument::filePathChanged, this,
            toOutlets([](MyDocumentOutlets& o, const QString&) { o.updateTitle(); }));
    connect(this, &MyDocument::audioOutputLost, this,
            toOutlets([](MyDocumentOutlets& o, const QString& reason) { o.showAudioLost(reason); }));
    connect(this, &MyDocument::statusMessage, this,
            toOutlets([](MyDocumentOutlets& o, const QString& message) { o.showStatus(message); }));
}

void MyDocument::openDrawer() {
    changeIconForInst();
    changeIconForEraser();
    changeIconForMeasure();
    changeIconForPlayer();
    changeIconForLoop();
    if (_outlets != nullptr) {
        _outlets->showTempo(_score->tempo());
        _outlets->openDrawer();
    }
}

void MyDocument::windowWillClose() {
    Debug("MyDocument::windowWillClose");
    stopPlaying();
    stopAudioUnit();
    cancelDisplayTimer();
    cancelStopChecks();
    const float f = static_cast<float>(_preferences->floatValue(QLatin1String(Preferences::kFps)));
    Debug("fps=%f", f);
    const float g = f > 0.0f ? f : 30.0f;
    // A float of 2^23 or more is whole, so the integer part always fits.
    if (g != std::floor(g)) {
        _preferences->setValue(QLatin1String(Preferences::kFps), static_cast<int>(g));
        _preferences->synchronize();
    }
    stopObserving();
    // The window goes next; nothing may reach its controls after this.
    _outlets = nullptr;
}
