#include "cli/SettingsCheck.h"

#include "document/Preferences.h"

#include <QString>
#include <ostream>

namespace zubo {
namespace {

void warn(const char* key, const QString& stored, const char* expected, const QString& used,
          std::ostream& err) {
    err << "zubo-sequencer: warning: the setting \"" << key << "\" is \"" << stored.toStdString()
        << "\", not " << expected << "; using " << used.toStdString() << '\n';
}

} // namespace

void warnAboutSettings(const Preferences& preferences, bool volumeUsed, bool tempoEmulationUsed,
                       std::ostream& err) {
    const QString volumeKey = QLatin1String(Preferences::kVolume);
    if (volumeUsed && preferences.contains(volumeKey)) {
        const QString stored = preferences.value(volumeKey).toString();
        bool number = false;
        const double percent = stored.toDouble(&number);
        if (!number || !(percent >= 0.0 && percent <= 1000.0)) {
            warn(Preferences::kVolume, stored, "a percentage from 0 to 1000",
                 QString::number(preferences.floatValue(volumeKey)), err);
        }
    }
    const QString tempoKey = QLatin1String(Preferences::kTempoEmurationType);
    if (tempoEmulationUsed && preferences.contains(tempoKey)) {
        const QString stored = preferences.value(tempoKey).toString();
        const int type = preferences.intValue(tempoKey);
        bool number = false;
        stored.toDouble(&number);
        if (!number || type < 0 || type > 3) {
            // Any type but 0, 1 and 2 rounds steps as 3 does.
            const int used = type >= 0 && type <= 2 ? type : 3;
            warn(Preferences::kTempoEmurationType, stored, "0, 1, 2 or 3", QString::number(used),
                 err);
        }
    }
}

} // namespace zubo
