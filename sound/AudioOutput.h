#pragma once

#include <atomic>
#include <cstdint>
#include <string>

// Fills one block of the output stream: `frames` frames of the left channel
// at `left` and of the right channel at `right`. Runs on the output's own
// thread; returns 0.
using RenderProc = int (*)(void* context, int frames, float* left, float* right);

// A pull-model audio output: once started, it calls the render callback on
// its own thread for blocks of stereo float frames at 44100 frames a second,
// until stopped. Every member is called from one thread (the main thread);
// only the callback runs elsewhere.
class AudioOutput {
public:
    // Where opening failed: attaching the callback to an output (there is
    // no output to attach it to, for instance), or preparing the device.
    enum class OpenStep { None, SetCallback, Initialize };
    struct OpenResult {
        OpenStep failedAt = OpenStep::None;
        int status = 0;
        bool ok() const { return failedAt == OpenStep::None; }
    };

    static constexpr int kSampleRate = 44100;

    AudioOutput() = default;
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;
    virtual ~AudioOutput() = default;

    // Attaches `callback` with `context` and prepares the device, silent.
    virtual OpenResult open(RenderProc callback, void* context) = 0;
    // Starts calling the callback; returns a status (0 success).
    virtual int start() = 0;
    // Stops calling the callback. When it returns, no call is under way and
    // none follows until the next start. Returns a status (0 success).
    virtual int stop() = 0;
    // Stops if needed and releases the device; the output cannot be
    // started again.
    virtual void close() = 0;

    // Whether the output depends on a device that can go away (a sound
    // server that stops, a card that is unplugged); such an output is
    // watched while it runs.
    virtual bool canBeLost() const { return false; }
    // True once the output has given its device up (see abandon()); it
    // then neither calls back nor starts again.
    virtual bool lost() const { return false; }
    // Lets go of a device that stopped calling back, without waiting on it.
    // Afterwards the output is closed for good.
    virtual void abandon() { close(); }

    // What the device reports: seconds from a rendered frame to the
    // speaker, and its name. 0 and empty for an output without a device.
    virtual double outputLatency() const { return 0.0; }
    virtual std::string deviceName() const { return {}; }
    // Words for a status of open(), start() or stop(); empty when the
    // output has none of its own.
    virtual std::string errorText(int /*status*/) const { return {}; }

    // The longest time one call of the callback took, in seconds, and the
    // number of blocks rendered, since the output was opened.
    double worstBlockSeconds() const;
    std::int64_t blocksRendered() const { return _blocks.load(std::memory_order_relaxed); }

protected:
    // Attaches the callback; implementations call it from open().
    void attach(RenderProc callback, void* context) {
        _callback = callback;
        _context = context;
    }
    // Renders one block through the callback and times it. Output thread
    // only; real-time safe.
    void render(int frames, float* left, float* right);

private:
    RenderProc _callback = nullptr;
    void* _context = nullptr;
    std::atomic<std::int64_t> _worstNanoseconds{0};
    std::atomic<std::int64_t> _blocks{0};
};
