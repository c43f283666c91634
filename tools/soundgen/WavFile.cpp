#include "tools/soundgen/WavFile.h"

#include <sndfile.h>

namespace soundgen {

std::string writeWav(const std::string& path, const Pcm& pcm) {
    // libsndfile writes exactly RIFF, "fmt " (16 bytes) and "data" for 16-bit
    // PCM as long as no metadata strings are set.
    SF_INFO info{};
    info.samplerate = pcm.rate;
    info.channels = pcm.channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        return path + ": " + sf_strerror(nullptr);
    }
    const auto count = static_cast<sf_count_t>(pcm.samples.size());
    const sf_count_t written = sf_write_short(file, pcm.samples.data(), count);
    std::string error;
    if (written != count) {
        error = path + ": " + sf_strerror(file);
    }
    if (sf_close(file) != 0 && error.empty()) {
        error = path + ": could not be closed";
    }
    return error;
}

} // namespace soundgen
