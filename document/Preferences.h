#pragma once

#include <QObject>
#include <QSettings>
#include <QString>
#include <QVariant>

#include <map>
#include <memory>

class QFileSystemWatcher;

// The user's preferences: "fps", "volume", "tempoEmurationType",
// "verticalWheelFor", "playbackQuality" and "instrumentsFolder", kept with QSettings (organisation "Zubo", application
// "Zubo Sequencer"). No defaults are registered: an absent key reads as 0.
//
// valueChanged is emitted for every change made through this object and, when
// an event loop runs, for edits made outside the program (another instance,
// a text editor), which are noticed by watching the settings folder.
class Preferences : public QObject {
    Q_OBJECT

public:
    static constexpr const char* kFps = "fps";
    static constexpr const char* kVolume = "volume";
    static constexpr const char* kTempoEmurationType = "tempoEmurationType";
    static constexpr const char* kVerticalWheelFor = "verticalWheelFor";
    // 0 (or absent): classic playback; 1: smooth playback.
    static constexpr const char* kPlaybackQuality = "playbackQuality";
    // The folder of the user's own instrument sounds; absent or empty: none.
    static constexpr const char* kInstrumentsFolder = "instrumentsFolder";

    explicit Preferences(QObject* parent = nullptr);
    ~Preferences() override;

    // The instance shared by every document of the program.
    static Preferences* shared();

    bool contains(const QString& key) const;
    QVariant value(const QString& key) const;
    int intValue(const QString& key) const;
    double floatValue(const QString& key) const;

    void setValue(const QString& key, const QVariant& value);
    void remove(const QString& key);
    // Writes pending changes to disk.
    void synchronize();

signals:
    void valueChanged(const QString& key, const QVariant& value);

private:
    void watchSettingsFolder();
    void reloadFromDisk();
    void noteValue(const QString& key);

    std::unique_ptr<QSettings> _settings;
    QFileSystemWatcher* _watcher = nullptr;
    // The last value seen per key, to tell which keys an outside edit changed.
    std::map<QString, QVariant> _known;
};
