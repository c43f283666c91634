#include "document/ExportSettings.h"

#include "document/MyDocument.h"
#include "document/Preferences.h"

namespace zubo {

ExportSettings exportSettings(const AudioExportOptions& passed, const Preferences& preferences) {
    ExportSettings settings;
    // The same conversions as MyDocument::updateVolume,
    // updateTempoEmurationCoefficient and updatePlaybackQuality.
    settings.gain = passed.volumePercent ? static_cast<float>(*passed.volumePercent / 100.0)
                                         : preferredGain(preferences);
    const int type = passed.tempoEmulation ? *passed.tempoEmulation
                                           : preferences.intValue(Preferences::kTempoEmurationType);
    settings.tempoEmurationCoefficient = MyDocument::coefficientForType(type);
    settings.smooth = passed.smooth || preferences.intValue(Preferences::kPlaybackQuality) == 1;
    return settings;
}

AudioExportOptions withExportSettings(AudioExportOptions options, const Preferences& preferences) {
    options.settings = exportSettings(options, preferences);
    return options;
}

float preferredGain(const Preferences& preferences) {
    const double v = preferences.floatValue(Preferences::kVolume);
    return (v == 0.0 && !preferences.contains(Preferences::kVolume))
               ? 1.0f
               : static_cast<float>(v / 100.0);
}

} // namespace zubo
