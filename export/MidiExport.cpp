#include "export/MidiExport.h"

#include "common/AtomicFile.h"
#include "export/ExportSignals.h"
#include "export/MidiFile.h"
#include "export/MidiTimeline.h"
#include "score/OrnScore.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <span>

namespace zubo {

int midiVelocity(float gain) {
    const double velocity = std::round(100.0 * static_cast<double>(gain));
    return static_cast<int>(std::clamp(velocity, 1.0, 127.0));
}

bool isMidiExportPath(const std::string& output) {
    // The name's last four characters, so that a name that is only ".mid"
    // counts too (extension() takes that for a name without one).
    std::string name = std::filesystem::path(output).filename().string();
    if (name.size() < 4) {
        return false;
    }
    name.erase(0, name.size() - 4);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name == ".mid";
}

MidiExportOptions midiExportOptions(const AudioExportOptions& resolved) {
    return {resolved.loops, resolved.from, resolved.settings.gain,
            resolved.settings.tempoEmurationCoefficient};
}

ExportResult exportMidi(const OrnScore& score, const std::string& output,
                        const MidiExportOptions& options) {
    const MidiTimeline timeline =
        midiTimeline(score, options.tempoEmurationCoefficient, options.loops, options.from);
    const ExportSignalGuard signalGuard;
    AtomicFile file(output);
    if (!file.open() ||
        !writeMidiFile(
            timeline, midiVelocity(options.gain),
            [&file](std::span<const std::uint8_t> bytes) { return file.write(bytes); }) ||
        !file.commit()) {
        return ExportResult::failed(output + ": " + file.error());
    }
    return ExportResult::written();
}

} // namespace zubo
