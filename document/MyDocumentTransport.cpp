#include "document/MyDocument.h"

#include "common/Log.h"
#include "document/AudioOutputWatch.h"
#include "document/Preferences.h"
#include "sound/NullAudioOutput.h"
#include "sound/PortAudioOutput.h"

#include <QTimer>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>

namespace {

// The end checks of the output are told apart from the document's other
// timers by this name, so that closing can cancel every one still pending.
const char* const kStopCheckName = "checkAudioEnd";

std::chrono::milliseconds millisecondsOf(double seconds) {
    const double ms = std::round(seconds * 1000.0);
    return std::chrono::milliseconds(ms < static_cast<double>(INT_MAX)
                                         ? static_cast<long long>(ms)
                                         : static_cast<long long>(INT_MAX));
}

} // namespace

bool MyDocument::initAudio() {
    return initAudio(std::make_unique<PortAudioOutput>());
}

bool MyDocument::initAudio(std::unique_ptr<AudioOutput> output) {
    if (_outputWatch != nullptr) {
        _outputWatch->stop();
    }
    if (_audioUnit) {
        _audioUnit->close();
    }
    _audioUnitRunning = false;
    _timerForStopAudioUnit = nullptr;
    const AudioOutput::OpenResult result = output->open(&RenderCallback, &_player);
    if (result.ok()) {
        _audioUnit = std::move(output);
        _hasAudioOutput = true;
        _audioFailure.clear();
        return true;
    }
    const std::string words = output->errorText(result.status);
    _audioFailure =
        QStringLiteral("The default audio output could not be opened (%1), so this "
                       "score plays silently.")
            .arg(words.empty() ? QString::number(result.status) : QString::fromStdString(words));
    if (result.failedAt == AudioOutput::OpenStep::SetCallback) {
        zuboLog("AudioUnitSetProperty = %d", result.status);
    } else {
        zuboLog("AudioUnitInitialize = %d", result.status);
    }
    output->close();
    // Without a device, playback still advances at real-time pace, silently.
    auto silent = std::make_unique<NullAudioOutput>();
    silent->open(&RenderCallback, &_player);
    _audioUnit = std::move(silent);
    _hasAudioOutput = false;
    return false;
}

void MyDocument::startAudioUnit() {
    if (_audioUnitRunning) {
        return;
    }
    Debug("START AudioUnit");
    updateTempoEmurationCoefficient();
    updateVolume();
    updatePlaybackQuality();
    if (_audioUnit) {
        _audioUnit->start();
    }
    _audioUnitRunning = true;
    watchAudioOutput();
}

void MyDocument::stopAudioUnit() {
    if (!_audioUnitRunning) {
        return;
    }
    Debug("STOP AudioUnit");
    if (_outputWatch != nullptr) {
        _outputWatch->stop();
    }
    _audioUnitRunning = false;
    if (_audioUnit) {
        _audioUnit->stop();
        if (_audioUnit->lost()) {
            switchToSilentOutput();
        }
    }
    reclaimRetiredScores();
}

void MyDocument::watchAudioOutput() {
    if (_outputWatch == nullptr) {
        _outputWatch = new AudioOutputWatch(this);
        connect(_outputWatch, &AudioOutputWatch::stalled, this, [this] {
            _audioUnit->abandon();
            switchToSilentOutput();
        });
    }
    _outputWatch->watch(_audioUnit.get());
}

void MyDocument::switchToSilentOutput() {
    const std::string device = _audioUnit->deviceName();
    const QString reason =
        QStringLiteral("the audio device \"%1\" stopped taking sound")
            .arg(QString::fromStdString(device));
    // The lost output is closed for good; closing it again does not wait.
    _audioUnit->close();
    auto silent = std::make_unique<NullAudioOutput>();
    silent->open(&RenderCallback, &_player);
    _audioUnit = std::move(silent);
    _hasAudioOutput = false;
    if (_audioUnitRunning) {
        _audioUnit->start();
    }
    emit audioOutputLost(reason);
}

bool MyDocument::stopAudioUnitIfPossible() {
    if (isPlaying()) {
        return false;
    }
    const float t = syncData()->whenToneEnds();
    if (t > 0.0f) {
        // An earlier check keeps running: when it fires it makes the same
        // decision again.
        auto* timer = new QTimer(this);
        timer->setObjectName(QLatin1String(kStopCheckName));
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
        connect(timer, &QTimer::timeout, this, [this, timer] {
            timer->deleteLater();
            checkAudioEnd();
        });
        timer->start(millisecondsOf(static_cast<double>(t) + 0.1));
        _timerForStopAudioUnit = timer;
        return false;
    }
    stopAudioUnit();
    return true;
}

void MyDocument::checkAudioEnd() {
    _timerForStopAudioUnit = nullptr;
    syncData()->releaseEndedTone();
    stopAudioUnitIfPossible();
}

void MyDocument::playSingleSound(std::shared_ptr<ToneGenerator> tone) {
    if (tone) {
        tone->setRate(44100);
    }
    syncData()->setTone(std::move(tone));
    startAudioUnit();
    stopAudioUnitIfPossible();
}

void MyDocument::startPlaying(int passes, int from) {
    // Called while playing, it restarts the score without touching the
    // output or the display timer.
    if (!isPlaying()) {
        startAudioUnit();
        startDisplayTimer();
    }
    restartPlayback(passes, from);
    changeIconForPlayer();
    emit playStateChanged(true);
}

void MyDocument::startPlayingSteps(int first, int count) {
    if (!isPlaying()) {
        startAudioUnit();
        startDisplayTimer();
    }
    _player.restartRange(first, first + count);
    changeIconForPlayer();
    emit playStateChanged(true);
}

void MyDocument::stopPlaying() {
    haltPlayback();
    cancelDisplayTimer();
    stopAudioUnitIfPossible();
    changeIconForPlayer();
    emit playStateChanged(false);
}

void MyDocument::togglePlaying(QObject* sender) {
    if (sender != nullptr && sender == _playButton) {
        startPlaying();
    } else {
        stopPlaying();
    }
}

void MyDocument::play(QObject*) {
    if (isPlaying()) {
        stopPlaying();
    } else {
        startPlaying();
    }
}

int MyDocument::displayFps() const {
    return std::clamp(_fps, 1, 240);
}

void MyDocument::startDisplayTimer() {
    cancelDisplayTimer();
    _timerFps = displayFps();
    _timer = new QTimer(this);
    _timer->setTimerType(Qt::PreciseTimer);
    connect(_timer, &QTimer::timeout, this, &MyDocument::onPlaying);
    _timer->start(std::chrono::milliseconds(std::lround(1000.0 / _timerFps)));
}

void MyDocument::cancelDisplayTimer() {
    // The tick itself may stop playback from within the timer's timeout,
    // so the timer is stopped now and deleted once that has returned.
    if (_timer != nullptr) {
        _timer->stop();
        _timer->deleteLater();
    }
    _timer = nullptr;
    _timerFps = 0;
}

void MyDocument::cancelStopChecks() {
    const auto checks =
        findChildren<QTimer*>(QLatin1String(kStopCheckName), Qt::FindDirectChildrenOnly);
    for (QTimer* check : checks) {
        delete check;
    }
    _timerForStopAudioUnit = nullptr;
}

void MyDocument::onPlaying() {
    reclaimRetiredScores();
    if (!isPlaying()) {
        return;
    }
    // The request is read before the position: once it reads as served, the
    // position and the mixer's length belong to the new playback. While it is
    // pending they belong to the previous one, and the step asked for is shown.
    const bool pending = restartPending();
    float p =
        pending ? static_cast<float>(_player.requestedFrom()) : syncData()->floatPlayingIndex();
    const int end = _player.passEnd(*_score);
    if (!pending && p > static_cast<float>(end) && !_player.loopsAgain(*_score)) {
        if (mixerDuration() <= 0) {
            stopPlaying();
        }
        p = std::min(p, static_cast<float>(end) + 0.25f);
    }
    emit scrollRequested(p, true);
    // The timer follows a changed "fps" at the next tick. The rate it was
    // made for is compared, not the reciprocal of its interval, which for
    // some rates comes out one below.
    if (_timer != nullptr && _timerFps != displayFps()) {
        startDisplayTimer();
    }
}
