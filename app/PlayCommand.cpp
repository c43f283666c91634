#include "app/PlayCommand.h"

#include "app/ScoreInput.h"
#include "document/MyDocument.h"
#include "document/Preferences.h"
#include "sound/NullAudioOutput.h"
#include "sound/OrnWaves.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>
#include <ostream>

namespace zubo {
namespace {

std::atomic<bool> g_interrupted{false};

extern "C" void onInterrupt(int) {
    g_interrupted.store(true);
}

static_assert(std::atomic<bool>::is_always_lock_free);

// Ctrl-C (and a polite kill) only raise a flag, which the player polls: the
// sound is then stopped on the main thread like any other stop.
class InterruptGuard {
public:
    InterruptGuard() {
        g_interrupted.store(false);
        _oldInterrupt = std::signal(SIGINT, onInterrupt);
        _oldTerminate = std::signal(SIGTERM, onInterrupt);
    }
    ~InterruptGuard() {
        std::signal(SIGINT, _oldInterrupt);
        std::signal(SIGTERM, _oldTerminate);
    }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

private:
    void (*_oldInterrupt)(int) = nullptr;
    void (*_oldTerminate)(int) = nullptr;
};

std::unique_ptr<QCoreApplication> applicationIfNone() {
    if (QCoreApplication::instance()) {
        return nullptr;
    }
    static int argc = 1;
    static char name[] = "zubo-sequencer";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QCoreApplication>(argc, argv);
}

std::string minutesAndSeconds(double seconds) {
    const long long whole = static_cast<long long>(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
    return text;
}

std::string milliseconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f ms", seconds * 1000.0);
    return text;
}

} // namespace

int playScore(const std::string& input, const PlayOptions& options, std::ostream& out,
              std::ostream& err, std::istream& in) {
    auto score = readValidScore(input, in, err);
    if (!score) {
        return 1;
    }
    const auto application = applicationIfNone();
    const OrnWaves bank;
    Preferences preferences;
    MyDocument document(&preferences);
    // The settings in force are those at the start (and the options').
    document.stopObserving();
    document.replaceScore(std::move(score));
    OrnScore& playing = document.editableScore();
    const bool looping = playing.loop();

    if (options.nullOutput) {
        document.initAudio(std::make_unique<NullAudioOutput>());
    } else if (!document.initAudio()) {
        err << "zubo-sequencer: no audio output could be opened (--null-output plays "
               "silently)\n";
        return 1;
    }
    // The output reads the preferences when it starts; the options apply
    // after that, before the first step.
    document.startAudioUnit();
    if (options.audio.volumePercent) {
        document.syncData()->setVolume(static_cast<float>(*options.audio.volumePercent / 100.0));
    }
    if (options.audio.tempoEmulation) {
        document.setTempoEmurationCoefficient(
            MyDocument::coefficientForType(*options.audio.tempoEmulation));
    }
    // The last pass rings out instead of starting again.
    int passes = 1;
    if (looping && passes >= options.audio.loops) {
        playing.setLoop(false);
    }

    const AudioOutput& output = *document.audioOutput();
    out << "Playing " << input << ": end " << playing.end() << ", tempo " << playing.tempo()
        << (looping ? ", looping" : "") << "; output: " << output.deviceName() << ", latency "
        << milliseconds(output.outputLatency()) << std::endl;

    const InterruptGuard interruptGuard;
    using Clock = std::chrono::steady_clock;
    const auto started = Clock::now();
    auto shown = started;
    bool interrupted = false;
    int lastStep = -1;
    document.startPlaying();

    QEventLoop loop;
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    // Polled often enough to see every pass of a looping score begin: a pass
    // lasts at least one step, which is longer than this at any tempo the
    // palette offers.
    poll.setInterval(std::chrono::milliseconds(5));
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (g_interrupted.load()) {
            interrupted = true;
            document.stopPlaying();
        }
        if (!document.isPlaying()) {
            loop.quit();
            return;
        }
        const int step = document.syncData()->playingIndex();
        if (!document.restartPending() && step >= 0) {
            if (step < lastStep && playing.loop() && ++passes >= options.audio.loops) {
                playing.setLoop(false);
            }
            lastStep = step;
        }
        const auto now = Clock::now();
        if (options.progress && now - shown >= std::chrono::seconds(1)) {
            shown = now;
            char line[64];
            std::snprintf(line, sizeof line, "\rstep %7.2f / %d  %s ",
                          static_cast<double>(document.syncData()->floatPlayingIndex()),
                          playing.end(),
                          minutesAndSeconds(std::chrono::duration<double>(now - started).count())
                              .c_str());
            out << line << std::flush;
        }
    });
    poll.start();
    loop.exec();
    const double played = std::chrono::duration<double>(Clock::now() - started).count();
    document.stopAudioUnit();

    if (options.progress) {
        out << '\n';
    }
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f s", played);
    out << (interrupted ? "Stopped" : "Played") << " after " << seconds << "; longest block "
        << milliseconds(output.worstBlockSeconds()) << std::endl;
    playing.setLoop(looping);
    return interrupted ? 130 : 0;
}

} // namespace zubo
