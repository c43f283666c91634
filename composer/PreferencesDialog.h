#pragma once

#include <QDialog>

class Preferences;
class QComboBox;
class QSpinBox;

// Edits the four preferences. Every change is written at once, and every
// open document follows it through the preferences' change signal.
class PreferencesDialog : public QDialog {
    Q_OBJECT

public:
    explicit PreferencesDialog(Preferences* preferences, QWidget* parent = nullptr);

    QSpinBox* fps() const { return _fps; }
    QSpinBox* volume() const { return _volume; }
    QComboBox* tempoEmulation() const { return _tempoEmulation; }
    QComboBox* wheel() const { return _wheel; }

private:
    // Shows the stored values (an absent key reads as its default).
    void load();

    Preferences* _preferences;
    QSpinBox* _fps;
    QSpinBox* _volume;
    QComboBox* _tempoEmulation;
    QComboBox* _wheel;
};
