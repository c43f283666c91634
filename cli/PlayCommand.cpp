#include "cli/PlayCommand.h"

#include "cli/PlaybackStart.h"
#include "document/ExportSettings.h"
#include "document/MyDocument.h"
#include "document/Preferences.h"
#include "export/ScoreInput.h"
#include "sound/NullAudioOutput.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <ostream>
#include <signal.h>
#include <unistd.h>

namespace zubo {
namespace {

// The signal that asked the player to stop (SIGINT or SIGTERM), or 0.
std::atomic<int> g_stopSignal{0};

static_assert(std::atomic<int>::is_always_lock_free);

// The first Ctrl-C or SIGTERM only raises a flag, which the player polls:
// the sound is then stopped on the main thread like any other stop. A
// second one ends the process at once, whatever the first is waiting on.
extern "C" void onStopSignal(int signal) {
    if (g_stopSignal.exchange(signal) != 0) {
        ::_exit(128 + signal);
    }
}

class StopSignalGuard {
public:
    StopSignalGuard() {
        g_stopSignal.store(0);
        struct sigaction action {};
        action.sa_handler = onStopSignal;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGINT, nullptr, &_oldInterrupt);
        // A shell starts background jobs with Ctrl-C ignored: it is meant
        // for the job in the foreground.
        if (_oldInterrupt.sa_handler != SIG_IGN) {
            ::sigaction(SIGINT, &action, nullptr);
        }
        ::sigaction(SIGTERM, &action, &_oldTerminate);
    }
    ~StopSignalGuard() {
        ::sigaction(SIGINT, &_oldInterrupt, nullptr);
        ::sigaction(SIGTERM, &_oldTerminate, nullptr);
    }
    StopSignalGuard(const StopSignalGuard&) = delete;
    StopSignalGuard& operator=(const StopSignalGuard&) = delete;

private:
    struct sigaction _oldInterrupt {};
    struct sigaction _oldTerminate {};
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
    if (!checkStartStep(*score, options.audio.from, err)) {
        return 2;
    }
    // Installed before the device opens: a sound server that hangs there
    // too must not keep a second Ctrl-C from ending the process.
    const StopSignalGuard stopSignalGuard;
    const auto application = applicationIfNone();
    Preferences preferences;
    MyDocument document(&preferences);
    // The settings in force are those at the start (and the options').
    document.stopObserving();
    document.replaceScore(std::move(score));
    const OrnScore& playing = document.score();
    const bool looping = playing.loop();

    if (options.nullOutput) {
        document.initAudio(std::make_unique<NullAudioOutput>());
    } else if (!document.initAudio()) {
        err << "zubo-sequencer: no audio output could be opened (--null-output plays "
               "silently)\n";
        return 1;
    }
    // The output reads the preferences when it starts; the options apply
    // after that, before the first step, resolved as for an export.
    document.startAudioUnit();
    const ExportSettings settings = exportSettings(options.audio, preferences);
    document.syncData()->setVolume(settings.gain);
    document.setSmoothPlayback(settings.smooth);
    document.setTempoEmurationCoefficient(settings.tempoEmurationCoefficient);
    const AudioOutput* output = document.audioOutput();
    out << "Playing " << input << ": end " << playing.end() << ", tempo " << playing.tempo()
        << (looping ? ", looping" : "") << "; output: " << output->deviceName() << ", latency "
        << milliseconds(output->outputLatency()) << std::endl;

    // A lost device ends the command: the document would go on silently.
    QString lostReason;
    QObject::connect(&document, &MyDocument::audioOutputLost,
                     [&](const QString& reason) { lostReason = reason; });
    using Clock = std::chrono::steady_clock;
    const auto started = Clock::now();
    auto shown = started;
    int stopSignal = 0;
    // The last pass rings out instead of starting again.
    document.startPlaying(std::max(options.audio.loops, 1), options.audio.from);

    QEventLoop loop;
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    poll.setInterval(std::chrono::milliseconds(5));
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (stopSignal == 0 && g_stopSignal.load() != 0) {
            stopSignal = g_stopSignal.load();
            document.stopPlaying();
        }
        if (!document.isPlaying() || !lostReason.isEmpty()) {
            loop.quit();
            return;
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
    const double worstBlock = document.audioOutput()->worstBlockSeconds();
    document.stopAudioUnit();

    if (options.progress) {
        out << '\n';
    }
    if (!lostReason.isEmpty()) {
        err << "zubo-sequencer: " << lostReason.toStdString() << '\n';
    }
    if (stopSignal == 0 && !lostReason.isEmpty()) {
        return 1;
    }
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f s", played);
    out << (stopSignal != 0 ? "Stopped" : "Played") << " after " << seconds << "; longest block "
        << milliseconds(worstBlock) << std::endl;
    return stopSignal != 0 ? 128 + stopSignal : 0;
}

} // namespace zubo
