#pragma once

#include <QObject>

class Dialogs;
class Preferences;

// Keeps the shared sound bank on the "instrumentsFolder" setting, at start
// and at every change of it: every open document plays the new sounds from
// its next note. A folder that cannot be used is an alert, and the sounds in
// use stay; files that cannot be used are one alert listing them.
class InstrumentsFollower : public QObject {
    Q_OBJECT

  public:
    InstrumentsFollower(Dialogs* dialogs, Preferences* preferences, QObject* parent = nullptr);

    void apply();

  private:
    Dialogs* _dialogs;
    Preferences* _preferences;
};
