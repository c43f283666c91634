#include "document/MyDocument.h"

#include "common/Log.h"
#include "document/ExportSettings.h"
#include "document/Preferences.h"
#include "sound/OrnWaves.h"

MyDocument::MyDocument(Preferences* preferences, QObject* parent)
    : QObject(parent), _score(std::make_unique<OrnScore>()), _player(_score.get()),
      _preferences(preferences) {
    storeOrigStatus();
    const int fps = _preferences->intValue(Preferences::kFps);
    _fps = fps == 0 ? 30 : fps;
    _observation = connect(_preferences, &Preferences::valueChanged, this,
                           &MyDocument::observeValueForKeyPath);
    connect(&_undoStack, &QUndoStack::cleanChanged, this, &MyDocument::updateEditedState);
    connect(&_undoStack, &QUndoStack::indexChanged, this, &MyDocument::documentChanged);
    connect(&_undoStack, &QUndoStack::indexChanged, this, [this] { _heldContent = true; });
    liveDocuments().push_back(this);
}

// dealloc
MyDocument::~MyDocument() {
    // The palette and the view may be gone before their document.
    _outlets = nullptr;
    blockSignals(true);
    std::erase(liveDocuments(), this);
    disconnect(&_undoStack, nullptr, this, nullptr);
    stopObserving();
    stopPlaying();
    stopAudioUnit();
    cancelDisplayTimer();
    cancelStopChecks();
    // The audio thread reads the score and the player: the output is closed
    // before either is freed.
    if (_audioUnit) {
        _audioUnit->close();
        _audioUnit.reset();
    }
}

void MyDocument::stopObserving() {
    disconnect(_observation);
}

void MyDocument::replaceScore(std::unique_ptr<OrnScore> score) {
    _heldContent = true;
    stopPlaying();
    std::unique_ptr<OrnScore> old = std::move(_score);
    _score = std::move(score);
    _player.replaceScore(_score.get(), std::move(old), !_audioUnitRunning);
    storeOrigStatus();
    // The stack's own signals go out, so that undo and redo actions follow
    // it; the edited state is told once below, after the clean state is set.
    disconnect(&_undoStack, &QUndoStack::cleanChanged, this, &MyDocument::updateEditedState);
    const bool edited = !_undoStack.isClean();
    _undoStack.clear();
    if (edited) {
        // The changes are no longer in the history but not saved either.
        _undoStack.resetClean();
    }
    connect(&_undoStack, &QUndoStack::cleanChanged, this, &MyDocument::updateEditedState);
    emit scoreReplaced();
    updateEditedState();
}

void MyDocument::reclaimRetiredScores() {
    // With the output stopped no block is under way.
    _player.reclaimRetiredScores(!_audioUnitRunning);
    if (OrnWaves* bank = OrnWaves::ornWaves(); bank != nullptr) {
        bank->reclaimUserSamples();
    }
}

void MyDocument::storeOrigStatus() {
    _origTempo = _score->tempo();
    _origMeasure = _score->measure();
    _origLoop = _score->loop();
}

void MyDocument::observeValueForKeyPath(const QString& keyPath, const QVariant& value) {
    Debug("UserDefaults changed. keyPath=[%s] value=[%s]", keyPath, value);
    if (keyPath == QLatin1String(Preferences::kFps)) {
        _fps = _preferences->intValue(Preferences::kFps);
    } else if (keyPath == QLatin1String(Preferences::kVolume)) {
        updateVolume();
    } else if (keyPath == QLatin1String(Preferences::kTempoEmurationType)) {
        updateTempoEmurationCoefficient();
    } else if (keyPath == QLatin1String(Preferences::kPlaybackQuality)) {
        updatePlaybackQuality();
    }
}

void MyDocument::updateVolume() {
    syncData()->setVolume(zubo::preferredGain(*_preferences));
}

void MyDocument::updateTempoEmurationCoefficient() {
    const int t = _preferences->intValue(Preferences::kTempoEmurationType);
    Debug("tempoEmurationType=%d", t);
    setTempoEmurationCoefficient(coefficientForType(t));
}

void MyDocument::updatePlaybackQuality() {
    setSmoothPlayback(_preferences->intValue(Preferences::kPlaybackQuality) == 1);
}

int MyDocument::coefficientForType(int type) {
    return type == 0 ? 0 : type == 1 ? 32 : type == 2 ? 48 : 64;
}
