#pragma once

#include <sndfile.h>

#include <string>
#include <vector>

namespace exporttest {

// The interleaved frames of a sound file, empty when it cannot be read.
inline std::vector<float> readSoundFrames(const std::string& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        return {};
    }
    std::vector<float> frames(static_cast<std::size_t>(info.frames * info.channels));
    sf_readf_float(file, frames.data(), info.frames);
    sf_close(file);
    return frames;
}

} // namespace exporttest
