#pragma once

#include "export/ExportResult.h"

#include <optional>
#include <string>

class OrnScore;

namespace zubo {

// The playback settings a render uses, resolved by the caller (the
// document library's exportSettings() reads the preferences): the export
// library knows nothing of them.
struct ExportSettings {
    float gain = 1.0f;                 // the volume: 1.0 is 100 %
    int tempoEmurationCoefficient = 0; // 0, 32, 48 or 64: see OrnPlayer::stepLength
    bool smooth = false;               // smooth playback
};

struct AudioExportOptions {
    bool floatSamples = false; // 32-bit float WAV, frames exactly as rendered
    int loops = 1;             // passes of a looping score
    int from = 0;              // the step the render starts at, before the end mark
    // As the user gave them; exportSettings() fills `settings` from these,
    // with the preferences standing in for those not given.
    std::optional<double> volumePercent; // else the "volume" preference
    std::optional<int> tempoEmulation;   // 0..3, else the "tempoEmurationType" preference
    bool smooth = false;                 // else the "playbackQuality" preference
    // What the exporters render with; the fields above do not change it.
    ExportSettings settings;
};

// Whether `options` can make a file at `output`: a bad request (an unknown
// format, --float for other than WAV), or else a written result.
ExportResult checkAudioRequest(const std::string& output, const AudioExportOptions& options);

// Renders `score` to `output` (.wav, .flac or .ogg: 44100 Hz stereo) with
// `options.settings` and the shared sound bank, both of which the caller
// makes. The file appears only when the whole render was written.
ExportResult exportAudio(const OrnScore& score, const std::string& output,
                         const AudioExportOptions& options);

// Whether -o OUT picks an audio format.
bool isAudioExportPath(const std::string& output);

} // namespace zubo
