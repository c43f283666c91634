#include "composer/RecoveryStore.h"

#include "common/AtomicFile.h"
#include "common/Log.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

#include <algorithm>
#include <span>

namespace {

// A folder's lock lies beside it, so that the lock is held before the folder
// can be seen.
QString lockPathOf(const QString& folder) {
    return folder + QStringLiteral(".lock");
}

std::unique_ptr<QLockFile> lockFor(const QString& folder) {
    auto lock = std::make_unique<QLockFile>(lockPathOf(folder));
    // A live instance's lock never turns stale by age; one whose process has
    // gone is stale, and tryLock takes it over.
    lock->setStaleLockTime(0);
    return lock;
}

const QByteArray kNameKey = QByteArrayLiteral("NAME=");
// A document's file is far smaller; anything larger is not ours.
constexpr qint64 kMaxFileBytes = 2 << 20;
// Not an instance's folder: those are named "PID-TIME".
const QString kDamagedName = QStringLiteral("damaged");

// The number of a document's file name "ID.orn", or 0.
int idOf(const QString& fileName) {
    bool ok = false;
    const int id = fileName.chopped(4).toInt(&ok);
    return ok ? id : 0;
}

// Splits a file into the name line and the score text after it.
bool parse(const QByteArray& data, RecoveryStore::Leftover* leftover) {
    const qsizetype end = data.indexOf('\n');
    if (!data.startsWith(kNameKey) || end < 0) {
        return false;
    }
    leftover->name =
        QUrl::fromPercentEncoding(data.mid(kNameKey.size(), end - kNameKey.size()).trimmed());
    leftover->text = data.mid(end + 1);
    return !leftover->name.isEmpty();
}

// Removes a folder whose lock is held, then lets the lock go: no other
// instance can find the folder unlocked meanwhile.
void removeLocked(const QString& folder, QLockFile& lock) {
    QDir(folder).removeRecursively();
    lock.unlock();
}

} // namespace

QString RecoveryStore::defaultFolder() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation))
        .filePath(QStringLiteral("recovery"));
}

RecoveryStore::RecoveryStore(const QString& folder) : _folder(folder) {}

RecoveryStore::~RecoveryStore() {
    releaseLeftovers();
    if (_lock) {
        removeLocked(_instanceFolder, *_lock);
    }
}

bool RecoveryStore::open() {
    if (_lock || _openFailed) {
        return !_openFailed;
    }
    const QString name = QStringLiteral("%1-%2")
                             .arg(QCoreApplication::applicationPid())
                             .arg(QDateTime::currentMSecsSinceEpoch());
    const QString folder = QDir(_folder).filePath(name);
    auto lock = lockFor(folder);
    if (!QDir().mkpath(_folder) || !lock->tryLock(0) || !QDir().mkpath(folder)) {
        zuboLog("cannot keep unsaved documents in %s", qUtf8Printable(folder));
        _openFailed = true;
        return false;
    }
    _instanceFolder = folder;
    _lock = std::move(lock);
    return true;
}

QString RecoveryStore::damagedFolder() const {
    return QDir(_folder).filePath(kDamagedName);
}

QString RecoveryStore::filePath(int id) const {
    return QDir(_instanceFolder).filePath(QStringLiteral("%1.orn").arg(id));
}

bool RecoveryStore::write(int id, const QString& name, const QByteArray& scoreText) {
    if (!_lock) {
        return false;
    }
    const QByteArray data = kNameKey + name.toUtf8().toPercentEncoding() + "\r\n" + scoreText;
    const std::string error = zubo::writeFileAtomically(
        QFile::encodeName(filePath(id)).toStdString(),
        std::span<const char>(data.constData(), static_cast<std::size_t>(data.size())));
    _writeError = QString::fromLocal8Bit(error);
    if (!error.empty()) {
        zuboLog("cannot keep the unsaved %s: %s", qUtf8Printable(name), error.c_str());
        return false;
    }
    return true;
}

void RecoveryStore::remove(int id) {
    if (_lock) {
        QFile::remove(filePath(id));
    }
}

void RecoveryStore::leave() {
    releaseLeftovers();
    if (_lock) {
        _lock->unlock();
        _lock.reset();
    }
}

bool RecoveryStore::moveDamaged(const QString& instance, const QString& file) {
    const QDir damaged(damagedFolder());
    // Named after its instance too: each instance numbers its files from 1.
    const QString to = damaged.filePath(QStringLiteral("%1-%2").arg(instance, file));
    if (!QDir().mkpath(damaged.path()) ||
        !QFile::rename(QDir(QDir(_folder).filePath(instance)).filePath(file), to)) {
        zuboLog("cannot move the damaged %s aside", qUtf8Printable(file));
        return false;
    }
    _damaged << to;
    return true;
}

QList<RecoveryStore::Leftover> RecoveryStore::takeLeftovers() {
    QList<Leftover> found;
    _damaged.clear();
    const QDir root(_folder);
    for (const QString& entry : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QString folder = root.filePath(entry);
        const bool taken = std::any_of(_taken.begin(), _taken.end(),
                                       [&](const Taken& t) { return t.folder == folder; });
        if (folder == _instanceFolder || taken || entry == kDamagedName) {
            continue;
        }
        auto lock = lockFor(folder);
        if (!lock->tryLock(0)) {
            continue;
        }
        QStringList files = QDir(folder).entryList({QStringLiteral("*.orn")}, QDir::Files);
        std::sort(files.begin(), files.end(),
                  [](const QString& a, const QString& b) { return idOf(a) < idOf(b); });
        qsizetype kept = 0;
        qsizetype stuck = 0;
        for (const QString& file : files) {
            QFile in(QDir(folder).filePath(file));
            Leftover leftover;
            leftover.file = in.fileName();
            const bool readable = in.size() <= kMaxFileBytes && in.open(QIODevice::ReadOnly) &&
                                  parse(in.readAll(), &leftover);
            in.close();
            if (readable) {
                found << leftover;
                ++kept;
            } else if (!moveDamaged(entry, file)) {
                ++stuck;
            }
        }
        if (kept == 0) {
            // A damaged file that could not be moved waits for the next start.
            if (stuck == 0) {
                removeLocked(folder, *lock);
            } else {
                lock->unlock();
            }
            continue;
        }
        _taken.push_back({folder, std::move(lock)});
    }
    return found;
}

void RecoveryStore::forget(const Leftover& leftover) {
    const QString folder = QFileInfo(leftover.file).path();
    const bool taken = std::any_of(_taken.begin(), _taken.end(),
                                   [&](const Taken& t) { return t.folder == folder; });
    if (taken) {
        QFile::remove(leftover.file);
    }
}

void RecoveryStore::discardLeftovers() {
    for (Taken& taken : _taken) {
        removeLocked(taken.folder, *taken.lock);
    }
    _taken.clear();
}

void RecoveryStore::releaseLeftovers() {
    for (Taken& taken : _taken) {
        if (QDir(taken.folder).entryList({QStringLiteral("*.orn")}, QDir::Files).isEmpty()) {
            removeLocked(taken.folder, *taken.lock);
        }
    }
    _taken.clear();
}
