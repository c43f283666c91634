#pragma once

#include <QByteArray>
#include <QList>
#include <QLockFile>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// The unsaved documents of every running composer, kept on disk so that a
// crash loses at most the last few seconds of work. Each running instance
// has a folder of its own under the recovery folder, locked by a QLockFile
// "FOLDER.lock" beside it that is taken before the folder is made, so that
// no other instance ever sees the folder unlocked. A document is one file
// "ID.orn" there: a line naming the document (its file's path, or
// "Untitled 2" for one never saved), then the score's full text (the reader
// passes over the name line, so the file also opens as a score). A clean end
// removes the folder; the folders of instances that ended otherwise are left
// behind, and their locks turn stale. A left file whose name line cannot be
// read is moved to the folder "damaged" beside the instances' folders, so
// that it is neither lost nor looked at again.
class RecoveryStore {
public:
    // A document left behind by an instance that is no longer running.
    struct Leftover {
        QString name;
        QByteArray text;
        // Its file.
        QString file;
    };

    // The recovery folder in the user's application data folder.
    static QString defaultFolder();

    explicit RecoveryStore(const QString& folder);
    // Unlocks and removes this instance's folder; leftovers taken and not
    // discarded stay for the next start.
    ~RecoveryStore();
    RecoveryStore(const RecoveryStore&) = delete;
    RecoveryStore& operator=(const RecoveryStore&) = delete;

    // Creates and locks this instance's folder (once; later calls answer
    // the first one's result); false when the recovery folder cannot be
    // written, and then nothing is kept.
    bool open();
    const QString& folder() const { return _folder; }
    QString instanceFolder() const { return _instanceFolder; }
    QString damagedFolder() const;
    // Whether documents are kept: opened, and not left.
    bool isOpen() const { return _lock != nullptr; }

    // A number for a document's file, unique in this instance.
    int newId() { return ++_lastId; }
    // Replaces document `id`'s file atomically; false (logged, the reason in
    // writeError()) when it cannot be written.
    bool write(int id, const QString& name, const QByteArray& scoreText);
    const QString& writeError() const { return _writeError; }
    void remove(int id);
    // Lets go of this instance's folder as it is, unlocked, so that the
    // next start offers its documents as after a crash; from then on
    // nothing is written or removed.
    void leave();

    // Locks the folders of instances no longer running and answers their
    // documents in the order they were made. A folder with no documents is
    // removed at once; a running instance's folder is never touched. Files
    // without a readable name are moved to damagedFolder() (see damaged()).
    QList<Leftover> takeLeftovers();
    // Where the damaged files takeLeftovers moved now are.
    const QStringList& damaged() const { return _damaged; }
    // Removes the file of a leftover taken, once it is kept elsewhere.
    void forget(const Leftover& leftover);
    // Removes the folders takeLeftovers took.
    void discardLeftovers();
    // Unlocks them, so that the next start offers what is left in them; a
    // folder with no documents left goes.
    void releaseLeftovers();

private:
    struct Taken {
        QString folder;
        std::unique_ptr<QLockFile> lock;
    };

    QString filePath(int id) const;
    // Moves the damaged `file` of the instance folder `instance` aside;
    // false when it stays where it is.
    bool moveDamaged(const QString& instance, const QString& file);

    QString _folder;
    QString _instanceFolder;
    std::unique_ptr<QLockFile> _lock;
    std::vector<Taken> _taken;
    QStringList _damaged;
    QString _writeError;
    int _lastId = 0;
    bool _openFailed = false;
};
