#include "sound/PortAudioOutput.h"

#include <portaudio.h>

#ifdef ZUBO_HAVE_ALSA
#include <alsa/asoundlib.h>
#endif
#ifdef ZUBO_HAVE_JACK
#include <jack/jack.h>
#endif

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// What the stream's callback reaches the output through. Giving a stream up
// clears `owner` and waits until no callback is inside render(); the link
// itself outlives the output, since the stream may still call back.
struct PortAudioOutput::CallbackLink {
    std::atomic<PortAudioOutput*> owner;
    std::atomic<bool> busy{false};
};

namespace {

#ifdef ZUBO_HAVE_ALSA
// ALSA reports every device it probes and cannot find on stderr; a machine
// without a sound card would print dozens of lines at each start.
void quietAlsa(const char*, int, const char*, int, const char*, ...) {}
#endif
#ifdef ZUBO_HAVE_JACK
void quietJack(const char*) {}
#endif

void silenceDeviceChatter() {
#ifdef ZUBO_HAVE_ALSA
    snd_lib_error_set_handler(quietAlsa);
#endif
#ifdef ZUBO_HAVE_JACK
    jack_set_error_function(quietJack);
    jack_set_info_function(quietJack);
#endif
}

PaStream* asStream(void* stream) {
    return static_cast<PaStream*>(stream);
}

// The links of given-up streams stay reachable from here for the rest of
// the process.
std::vector<PortAudioOutput::CallbackLink*>& abandonedLinks() {
    static auto* links = new std::vector<PortAudioOutput::CallbackLink*>;
    return *links;
}

// The outcome of a stop that runs on a thread of its own, shared with the
// caller that waits for it (or stops waiting).
struct PendingStop {
    std::mutex lock;
    std::condition_variable done;
    bool finished = false;
    PaError status = paNoError;
};

} // namespace

PortAudioOutput::~PortAudioOutput() {
    close();
}

// The stream's callback, with PortAudio's own signature: non-interleaved
// output hands over one buffer per channel.
struct PortAudioStreamCallback {
    static int call(const void*, void* output, unsigned long frames,
                    const PaStreamCallbackTimeInfo*, PaStreamCallbackFlags, void* data) {
        auto** channels = static_cast<float**>(output);
        auto* link = static_cast<PortAudioOutput::CallbackLink*>(data);
        // Sequentially consistent with abandon(): either it sees this call
        // busy, or this call sees the owner gone.
        link->busy.store(true);
        PortAudioOutput* self = link->owner.load();
        if (self != nullptr) {
            self->render(static_cast<int>(frames), channels[0], channels[1]);
        } else {
            std::memset(channels[0], 0, frames * sizeof(float));
            std::memset(channels[1], 0, frames * sizeof(float));
        }
        link->busy.store(false);
        return self != nullptr ? paContinue : paAbort;
    }
};

AudioOutput::OpenResult PortAudioOutput::open(RenderProc callback, void* context) {
    if (_initialized || _lost) {
        return {OpenStep::SetCallback, paInternalError};
    }
    attach(callback, context);
    silenceDeviceChatter();
    const PaError initialized = Pa_Initialize();
    if (initialized != paNoError) {
        return {OpenStep::SetCallback, initialized};
    }
    _initialized = true;

    std::vector<PaDeviceIndex> devices;
    if (Pa_GetDefaultOutputDevice() != paNoDevice) {
        devices.push_back(Pa_GetDefaultOutputDevice());
    }
    const PaHostApiIndex jack = Pa_HostApiTypeIdToHostApiIndex(paJACK);
    if (jack >= 0) {
        const PaDeviceIndex jackDevice = Pa_GetHostApiInfo(jack)->defaultOutputDevice;
        if (jackDevice != paNoDevice && (devices.empty() || devices.front() != jackDevice)) {
            devices.push_back(jackDevice);
        }
    }
    if (devices.empty()) {
        close();
        return {OpenStep::SetCallback, paNoDevice};
    }
    PaError error = paNoError;
    for (const PaDeviceIndex device : devices) {
        error = openStream(device);
        if (error == paNoError) {
            _deviceName = Pa_GetDeviceInfo(device)->name;
            return {};
        }
    }
    close();
    return {OpenStep::Initialize, error};
}

int PortAudioOutput::openStream(int device) {
    const PaDeviceInfo* info = Pa_GetDeviceInfo(device);
    if (info == nullptr) {
        return paInvalidDevice;
    }
    PaStreamParameters parameters{};
    parameters.device = device;
    parameters.channelCount = 2;
    parameters.sampleFormat = paFloat32 | paNonInterleaved;
    parameters.suggestedLatency = info->defaultLowOutputLatency;
    PaStream* stream = nullptr;
    auto link = std::make_unique<CallbackLink>();
    link->owner.store(this);
    // Frames are handed over exactly as rendered: our voices sum without
    // clipping, and the device decides what full scale means.
    const PaError error =
        Pa_OpenStream(&stream, nullptr, &parameters, kSampleRate, kBlockFrames, paClipOff,
                      &PortAudioStreamCallback::call, link.get());
    if (error == paNoError) {
        _stream = stream;
        _link = link.release();
    }
    return error;
}

int PortAudioOutput::start() {
    if (_stream == nullptr) {
        return paBadStreamPtr;
    }
    if (_running) {
        return paNoError;
    }
    const PaError error = Pa_StartStream(asStream(_stream));
    _running = error == paNoError;
    return error;
}

int PortAudioOutput::stop() {
    if (_stream == nullptr || !_running) {
        return paNoError;
    }
    _running = false;
    // Pa_StopStream lets the blocks already rendered play out, and returns
    // once the callback has finished for good: never, when the device has
    // gone. It runs on a thread of its own that is left behind then.
    auto pending = std::make_shared<PendingStop>();
    std::thread([stream = asStream(_stream), pending] {
        const PaError status = Pa_StopStream(stream);
        const std::lock_guard<std::mutex> guard(pending->lock);
        pending->finished = true;
        pending->status = status;
        pending->done.notify_one();
    }).detach();
    std::unique_lock<std::mutex> hold(pending->lock);
    if (!pending->done.wait_for(hold, kStopTimeout, [&] { return pending->finished; })) {
        hold.unlock();
        abandon();
        return paTimedOut;
    }
    return pending->status;
}

void PortAudioOutput::abandon() {
    _running = false;
    if (_link != nullptr) {
        _link->owner.store(nullptr);
        while (_link->busy.load()) {
            std::this_thread::yield();
        }
        abandonedLinks().push_back(_link);
        _link = nullptr;
    }
    // The stream, and PortAudio with it, stay as they are: closing either
    // would wait on the callback again.
    _stream = nullptr;
    _initialized = false;
    _lost = true;
}

void PortAudioOutput::close() {
    stop();
    if (_stream != nullptr) {
        Pa_CloseStream(asStream(_stream));
        _stream = nullptr;
    }
    delete _link;
    _link = nullptr;
    if (_initialized) {
        Pa_Terminate();
        _initialized = false;
    }
}

std::string PortAudioOutput::errorText(int status) const {
    return Pa_GetErrorText(static_cast<PaError>(status));
}

double PortAudioOutput::outputLatency() const {
    if (_stream == nullptr) {
        return 0.0;
    }
    const PaStreamInfo* info = Pa_GetStreamInfo(asStream(_stream));
    return info != nullptr ? info->outputLatency : 0.0;
}
