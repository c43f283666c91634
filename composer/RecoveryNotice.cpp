#include "composer/RecoveryNotice.h"

#include "composer/RecoveryKeeper.h"
#include "document/Dialogs.h"

#include <QDir>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>

RecoveryNotice::RecoveryNotice(Dialogs* dialogs, const QString& folder, QObject* parent)
    : QObject(parent), _dialogs(dialogs), _folder(folder) {}

void RecoveryNotice::watch(RecoveryKeeper* keeper, QMainWindow* window) {
    _windows.removeAll(nullptr);
    _windows << window;
    connect(keeper, &RecoveryKeeper::written, this, &RecoveryNotice::written);
    if (!_failure.isEmpty()) {
        showNote(window);
    }
}

void RecoveryNotice::written(const QString& failure) {
    _failure = failure;
    if (failure.isEmpty()) {
        _told.clear();
        for (QMainWindow* window : _windows) {
            if (window != nullptr) {
                delete window->statusBar()->findChild<QLabel*>(QLatin1String(kNoteName));
            }
        }
        return;
    }
    for (QMainWindow* window : _windows) {
        if (window != nullptr) {
            showNote(window);
        }
    }
    if (_told.contains(failure)) {
        return;
    }
    _told << failure;
    _dialogs->alert(QStringLiteral("Cannot Keep Unsaved Work"), QStringLiteral("Sorry."),
                    QStringLiteral("Unsaved changes cannot be kept in \u201C%1\u201D (%2), so a "
                                   "crash would lose them.")
                        .arg(QDir::toNativeSeparators(_folder), failure),
                    QStringLiteral("Indeed"));
}

void RecoveryNotice::showNote(QMainWindow* window) const {
    auto* note = window->statusBar()->findChild<QLabel*>(QLatin1String(kNoteName));
    if (note == nullptr) {
        note = new QLabel(window->statusBar());
        note->setObjectName(QLatin1String(kNoteName));
        window->statusBar()->addWidget(note);
    }
    note->setText(QStringLiteral("Unsaved changes are not kept: %1").arg(_failure));
}
