#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

class Dialogs;
class QMainWindow;
class RecoveryKeeper;

// Tells the user when unsaved work stops being kept for recovery (a disk
// that filled up after the start): the alert "Cannot Keep Unsaved Work" once
// for each cause, and a note in the status bar of every window until a copy
// is written again. A write that succeeds ends the spell: a later failure is
// told again.
class RecoveryNotice : public QObject {
    Q_OBJECT

public:
    // `folder` is where the copies are kept, for the alert.
    RecoveryNotice(Dialogs* dialogs, const QString& folder, QObject* parent = nullptr);

    // Follows the writes of `keeper`, whose document `window` shows.
    void watch(RecoveryKeeper* keeper, QMainWindow* window);

    // The name of the status bar note, for finding it.
    static constexpr const char* kNoteName = "recoveryFailureNote";

private:
    void written(const QString& failure);
    void showNote(QMainWindow* window) const;

    Dialogs* _dialogs;
    QString _folder;
    // The causes told in this spell of failures.
    QStringList _told;
    // The last write's failure; empty while copies are kept.
    QString _failure;
    QList<QPointer<QMainWindow>> _windows;
};
