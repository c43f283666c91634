#pragma once

#include "export/AudioExport.h"

class Preferences;

namespace zubo {

// The settings an export renders with: what `passed` gives, and for what it
// leaves unset the preferences, read as a document reads them for playback
// (an absent "volume" is 100 %, an absent "tempoEmurationType" no emulation).
ExportSettings exportSettings(const AudioExportOptions& passed, const Preferences& preferences);

// `options` with its settings resolved that way.
AudioExportOptions withExportSettings(AudioExportOptions options, const Preferences& preferences);

// The gain the "volume" preference asks for; playback reads it the same way.
float preferredGain(const Preferences& preferences);

} // namespace zubo
