#include "sound/PortAudioOutput.h"

#include <portaudio.h>

#ifdef ZUBO_HAVE_ALSA
#include <alsa/asoundlib.h>
#endif
#ifdef ZUBO_HAVE_JACK
#include <jack/jack.h>
#endif

#include <vector>

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

} // namespace

PortAudioOutput::~PortAudioOutput() {
    close();
}

// The stream's callback, with PortAudio's own signature: non-interleaved
// output hands over one buffer per channel.
struct PortAudioStreamCallback {
    static int call(const void*, void* output, unsigned long frames,
                    const PaStreamCallbackTimeInfo*, PaStreamCallbackFlags, void* self) {
        auto** channels = static_cast<float**>(output);
        static_cast<PortAudioOutput*>(self)->render(static_cast<int>(frames), channels[0],
                                                    channels[1]);
        return paContinue;
    }
};

AudioOutput::OpenResult PortAudioOutput::open(RenderProc callback, void* context) {
    if (_initialized) {
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
    // Frames are handed over exactly as rendered: our voices sum without
    // clipping, and the device decides what full scale means.
    const PaError error =
        Pa_OpenStream(&stream, nullptr, &parameters, kSampleRate, kBlockFrames, paClipOff,
                      &PortAudioStreamCallback::call, this);
    if (error == paNoError) {
        _stream = stream;
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
    // once the callback has finished for good.
    return Pa_StopStream(asStream(_stream));
}

void PortAudioOutput::close() {
    stop();
    if (_stream != nullptr) {
        Pa_CloseStream(asStream(_stream));
        _stream = nullptr;
    }
    if (_initialized) {
        Pa_Terminate();
        _initialized = false;
    }
}

double PortAudioOutput::outputLatency() const {
    if (_stream == nullptr) {
        return 0.0;
    }
    const PaStreamInfo* info = Pa_GetStreamInfo(asStream(_stream));
    return info != nullptr ? info->outputLatency : 0.0;
}
