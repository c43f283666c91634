#include "document/Preferences.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>

namespace {

const char* const kKeys[] = {Preferences::kFps, Preferences::kVolume,
                             Preferences::kTempoEmurationType, Preferences::kVerticalWheelFor,
                             Preferences::kPlaybackQuality, Preferences::kInstrumentsFolder};

} // namespace

Preferences::Preferences(QObject* parent)
    : QObject(parent),
      _settings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            QStringLiteral("Zubo"),
                                            QStringLiteral("Zubo Sequencer"))) {
    for (const char* key : kKeys) {
        _known[QString::fromLatin1(key)] = _settings->value(QString::fromLatin1(key));
    }
    // Outside edits can only be noticed with an event loop to deliver them;
    // a headless command reads the preferences once and needs no watcher.
    if (QCoreApplication::instance() != nullptr) {
        watchSettingsFolder();
    }
}

Preferences::~Preferences() = default;

Preferences* Preferences::shared() {
    // Lives as long as the process, not as long as whichever application
    // object exists at the first call: headless commands make short-lived
    // ones.
    static Preferences* instance = new Preferences(nullptr);
    return instance;
}

bool Preferences::contains(const QString& key) const {
    return _settings->contains(key);
}

QVariant Preferences::value(const QString& key) const {
    return _settings->value(key);
}

int Preferences::intValue(const QString& key) const {
    const QVariant v = _settings->value(key);
    bool ok = false;
    const double d = v.toDouble(&ok);
    // Stored as text in the settings file: "29.97" is read as 29, as an
    // integer preference would be.
    return ok ? static_cast<int>(d) : 0;
}

double Preferences::floatValue(const QString& key) const {
    bool ok = false;
    const double d = _settings->value(key).toDouble(&ok);
    return ok ? d : 0.0;
}

void Preferences::setValue(const QString& key, const QVariant& value) {
    _settings->setValue(key, value);
    noteValue(key);
}

void Preferences::remove(const QString& key) {
    _settings->remove(key);
    noteValue(key);
}

void Preferences::synchronize() {
    _settings->sync();
}

void Preferences::noteValue(const QString& key) {
    const QVariant now = _settings->value(key);
    auto& known = _known[key];
    if (known == now && known.isValid() == now.isValid()) {
        return;
    }
    known = now;
    emit valueChanged(key, now);
}

void Preferences::watchSettingsFolder() {
    // QSettings replaces its file on every write, so the folder is watched,
    // not the file; it is created so that there is something to watch.
    const QString folder = QFileInfo(_settings->fileName()).absolutePath();
    QDir().mkpath(folder);
    _watcher = new QFileSystemWatcher(this);
    _watcher->addPath(folder);
    if (QFileInfo::exists(_settings->fileName())) {
        _watcher->addPath(_settings->fileName());
    }
    connect(_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { reloadFromDisk(); });
    connect(_watcher, &QFileSystemWatcher::fileChanged, this, [this] { reloadFromDisk(); });
}

void Preferences::reloadFromDisk() {
    _settings->sync();
    if (QFileInfo::exists(_settings->fileName()) &&
        !_watcher->files().contains(_settings->fileName())) {
        _watcher->addPath(_settings->fileName());
    }
    for (const char* key : kKeys) {
        noteValue(QString::fromLatin1(key));
    }
}
