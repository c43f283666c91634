#include "document/InstrumentsFolder.h"

#include "document/Preferences.h"
#include "sound/OrnWaves.h"
#include "sound/UserInstruments.h"

#include <QFile>

namespace zubo {

InstrumentsChange useInstrumentsFolder(const QString& folder) {
    InstrumentsChange change;
    OrnWaves* bank = OrnWaves::ornWaves();
    if (bank == nullptr) {
        return change;
    }
    if (folder.isEmpty()) {
        bank->setUserSamples(nullptr);
        return change;
    }
    UserInstrumentsLoad load = loadUserInstruments(QFile::encodeName(folder).toStdString());
    if (!load.folderError.empty()) {
        change.error = folder + QStringLiteral(": ") + QString::fromStdString(load.folderError);
        return change;
    }
    for (const std::string& warning : load.warnings) {
        change.warnings << QString::fromStdString(warning);
    }
    for (const std::string& name : load.ignored) {
        change.ignored << QString::fromStdString(name);
    }
    bank->setUserSamples(std::move(load.samples));
    return change;
}

QString instrumentsFolderSetting(const Preferences& preferences) {
    return preferences.value(QLatin1String(Preferences::kInstrumentsFolder)).toString();
}

} // namespace zubo
