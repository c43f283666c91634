// Any bytes as a WAV image: loading never reads outside the image, and a
// loaded wave is read at its first, last and past-the-end frames, panned by
// the image's last byte, directly and through voices that interpolate, play
// as recorded and skip frames.
#include "sound/ToneGenerator.h"
#include "sound/Wave.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto wave = std::make_shared<Wave>();
    if (!wave->loadMem(std::span<const std::uint8_t>(data, size))) {
        return 0;
    }
    wave->setPan(data[size - 1] % 128);
    const int last = wave->frames() - 1;
    for (int channel = 0; channel <= 3; ++channel) {
        for (int frame : {0, last, last + 1}) {
            static_cast<void>(wave->pcmAt(frame, channel));
        }
    }
    for (float ratio : {0.7f, 1.0f, 3.1f}) {
        ToneGenerator voice(wave);
        voice.setTone(ratio);
        const int length = voice.duration();
        for (int i : {0, length / 2, length - 1, length}) {
            static_cast<void>(voice.pcmLeftAt(i) + voice.pcmRightAt(i) + voice.pcmMonoAt(i));
        }
    }
    return 0;
}
