#pragma once

#include <iosfwd>
#include <optional>
#include <string>

namespace zubo {

struct AudioExportOptions {
    bool floatSamples = false;             // 32-bit float WAV, frames exactly as rendered
    std::optional<double> volumePercent;   // else the "volume" preference
    std::optional<int> tempoEmulation;     // 0..3, else the "tempoEmurationType" preference
    int loops = 1;                          // passes of a looping score
    bool smooth = false;                    // else the "playbackQuality" preference
};

// Renders the score `input` to `output` (.wav, .flac or .ogg: 44100 Hz
// stereo). The file appears only when the whole render was written.
// Returns the exit code: 0, 1 (bad input, failed write) or 2 (bad request).
int exportAudio(const std::string& input, const std::string& output,
                const AudioExportOptions& options, std::ostream& err, std::istream& in);

// Whether -o OUT picks an audio format.
bool isAudioExportPath(const std::string& output);

} // namespace zubo
