#pragma once

// An audio output that the test itself pulls: blocks are rendered only when
// the test asks, on the test's thread, and only while the output runs.

#include "sound/AudioOutput.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace doctest {

// What happened to a manual output; it outlives the output, which the
// document owns.
struct OutputLog {
    std::vector<std::string> events; // "open", "start", "stop", "close"
    bool running = false;
    int starts = 0;
    int stops = 0;
};

class ManualAudioOutput : public AudioOutput {
public:
    static constexpr int kBlockFrames = 256;

    explicit ManualAudioOutput(std::shared_ptr<OutputLog> log, OpenResult result = {})
        : _log(std::move(log)), _result(result) {}

    std::string errorText(int status) const override {
        return "status " + std::to_string(status);
    }
    OpenResult open(RenderProc callback, void* context) override {
        _log->events.push_back("open");
        if (_result.ok()) {
            attach(callback, context);
            _context = context;
        }
        return _result;
    }
    int start() override {
        _log->events.push_back("start");
        _log->running = true;
        ++_log->starts;
        return 0;
    }
    int stop() override {
        _log->events.push_back("stop");
        _log->running = false;
        ++_log->stops;
        return 0;
    }
    void close() override {
        _log->events.push_back("close");
        _log->running = false;
        if (_onClose) {
            _onClose(_context);
        }
    }

    // Called at close with the render context (the document).
    void setOnClose(std::function<void(void*)> onClose) { _onClose = std::move(onClose); }

    // Renders `frames` frames in blocks if the output runs; returns how many
    // were rendered. The last block's channels stay in left() and right().
    int pull(int frames) {
        if (!_log->running) {
            return 0;
        }
        int done = 0;
        while (done < frames) {
            const int n = std::min(kBlockFrames, frames - done);
            _left.assign(static_cast<std::size_t>(n), 0.0f);
            _right.assign(static_cast<std::size_t>(n), 0.0f);
            render(n, _left.data(), _right.data());
            done += n;
        }
        return done;
    }
    int pullSeconds(double seconds) { return pull(static_cast<int>(seconds * kSampleRate)); }

    const std::vector<float>& left() const { return _left; }
    const std::vector<float>& right() const { return _right; }

private:
    std::shared_ptr<OutputLog> _log;
    OpenResult _result;
    void* _context = nullptr;
    std::function<void(void*)> _onClose;
    std::vector<float> _left;
    std::vector<float> _right;
};

} // namespace doctest
