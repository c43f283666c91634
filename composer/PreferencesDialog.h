#pragma once

#include <QDialog>

#include <functional>

class Preferences;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

// Edits the preferences. Every change is written at once, and every
// open document follows it through the preferences' change signal.
class PreferencesDialog : public QDialog {
    Q_OBJECT

public:
    explicit PreferencesDialog(Preferences* preferences, QWidget* parent = nullptr);

    QSpinBox* fps() const { return _fps; }
    QSpinBox* volume() const { return _volume; }
    QComboBox* tempoEmulation() const { return _tempoEmulation; }
    QComboBox* wheel() const { return _wheel; }
    QPushButton* instrumentsFolder() const { return _instrumentsFolder; }
    QPushButton* clearInstruments() const { return _clearInstruments; }
    QLabel* instrumentsShown() const { return _instrumentsShown; }
    // Asks for the folder of the user's sounds, starting at `start`; an empty
    // answer is a cancel. The desktop's folder dialog unless set.
    using FolderQuestion = std::function<QString(QWidget* parent, const QString& start)>;
    void setFolderQuestion(FolderQuestion question) { _askFolder = std::move(question); }

private:
    // Shows the stored values (an absent key reads as its default).
    void load();

    Preferences* _preferences;
    QSpinBox* _fps;
    QSpinBox* _volume;
    QComboBox* _tempoEmulation;
    QComboBox* _wheel;
    QPushButton* _instrumentsFolder;
    QPushButton* _clearInstruments;
    QLabel* _instrumentsShown;
    FolderQuestion _askFolder;
};
