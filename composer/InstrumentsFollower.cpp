#include "composer/InstrumentsFollower.h"

#include "document/Dialogs.h"
#include "document/InstrumentsFolder.h"
#include "document/Preferences.h"

InstrumentsFollower::InstrumentsFollower(Dialogs* dialogs, Preferences* preferences,
                                         QObject* parent)
    : QObject(parent), _dialogs(dialogs), _preferences(preferences) {
    connect(_preferences, &Preferences::valueChanged, this, [this](const QString& key) {
        if (key == QLatin1String(Preferences::kInstrumentsFolder)) {
            apply();
        }
    });
    apply();
}

void InstrumentsFollower::apply() {
    const zubo::InstrumentsChange change =
        zubo::useInstrumentsFolder(zubo::instrumentsFolderSetting(*_preferences));
    const QString title = QStringLiteral("Your Instruments");
    if (!change.error.isEmpty()) {
        _dialogs->alert(title, QStringLiteral("The folder of your instruments cannot be used."),
                        change.error + QStringLiteral("; the sounds in use stay."),
                        QStringLiteral("OK"));
    } else if (!change.warnings.isEmpty()) {
        _dialogs->alert(title, QStringLiteral("Some of your sounds cannot be used."),
                        change.warnings.join(QLatin1Char('\n')), QStringLiteral("OK"));
    }
}
