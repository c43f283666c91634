#pragma once

#include <QString>
#include <QStringList>

class Preferences;

namespace zubo {

// What switching to a folder of the user's sounds came to.
struct InstrumentsChange {
    // "DIR: no such folder" when the folder could not be used: our sounds stay.
    QString error;
    // One line per file that names an instrument but could not be used.
    QStringList warnings;
    // The files whose names are no instrument's.
    QStringList ignored;
};

// Makes the sounds of `folder` (empty: none, our own sounds) the shared sound
// bank's from the next note on, for every document. Main thread.
InstrumentsChange useInstrumentsFolder(const QString& folder);

// The "instrumentsFolder" setting: empty when unset.
QString instrumentsFolderSetting(const Preferences& preferences);

} // namespace zubo
