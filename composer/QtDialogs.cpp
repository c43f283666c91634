#include "composer/QtDialogs.h"

#include "composer/PictureWrapDialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

void QtDialogs::alert(const QString& title, const QString& text, const QString& detail,
                      const QString& button) {
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::NoButton, QApplication::activeWindow());
    box.setInformativeText(detail);
    box.addButton(button, QMessageBox::AcceptRole);
    box.exec();
}

Dialogs::SaveAnswer QtDialogs::askSaveChanges(const QString& documentName, QWidget* window) {
    if (window != nullptr) {
        window->raise();
        window->activateWindow();
    }
    QMessageBox box(
        QMessageBox::Warning, QStringLiteral("Zubo Sequencer"),
        QStringLiteral("Do you want to save the changes to \u201C%1\u201D?").arg(documentName),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
        window != nullptr ? window : QApplication::activeWindow());
    box.setInformativeText(QStringLiteral("Your changes will be lost if you don't save them."));
    box.setDefaultButton(QMessageBox::Save);
    switch (box.exec()) {
    case QMessageBox::Save:
        return SaveAnswer::Save;
    case QMessageBox::Discard:
        return SaveAnswer::DontSave;
    default:
        return SaveAnswer::Cancel;
    }
}

bool QtDialogs::askToProceed(const QString& text, const QString& proceed) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Zubo Sequencer"), text,
                    QMessageBox::NoButton, QApplication::activeWindow());
    QPushButton* yes = box.addButton(proceed, QMessageBox::AcceptRole);
    box.setDefaultButton(box.addButton(QMessageBox::Cancel));
    box.exec();
    return box.clickedButton() == yes;
}

Dialogs::RestoreAnswer QtDialogs::askRestoreDocuments(const QStringList& names) {
    const QString question =
        names.size() == 1 ? QStringLiteral("Restore the unsaved document?")
                          : QStringLiteral("Restore the %1 unsaved documents?").arg(names.size());
    QMessageBox box(QMessageBox::Question, QStringLiteral("Zubo Sequencer"),
                    QStringLiteral("Zubo Sequencer did not close properly last time. ") + question,
                    QMessageBox::NoButton, QApplication::activeWindow());
    box.setInformativeText(names.join(QLatin1Char('\n')));
    QPushButton* restore = box.addButton(QStringLiteral("Restore"), QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton(QStringLiteral("Discard"), QMessageBox::DestructiveRole);
    restore->setToolTip(QStringLiteral("Open each document in a new window, unsaved"));
    discard->setToolTip(QStringLiteral("Delete the unsaved documents for good"));
    // Escape and the window's close button keep the documents for the next
    // start; the box has no visible button for that.
    QPushButton* later = box.addButton(QMessageBox::Cancel);
    later->hide();
    box.setEscapeButton(later);
    box.setDefaultButton(restore);
    box.exec();
    if (box.clickedButton() == restore) {
        return RestoreAnswer::Restore;
    }
    return box.clickedButton() == discard ? RestoreAnswer::Discard : RestoreAnswer::Later;
}

QString QtDialogs::askSavePath(const QString& title, const QString& suggested,
                               const QString& filter, const QString& defaultSuffix) {
    // The static getSaveFileName cannot add a suffix before its own
    // replace question.
    QFileDialog dialog(QApplication::activeWindow(), title, QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.selectFile(suggested);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return QString();
    }
    return dialog.selectedFiles().front();
}

std::optional<int> QtDialogs::askPictureWrap(int wrapWidth) {
    PictureWrapDialog dialog(wrapWidth, QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.wrapWidth();
}

QStringList QtDialogs::askOpenPaths(const QString& title, const QString& directory,
                                    const QString& filter) {
    return QFileDialog::getOpenFileNames(QApplication::activeWindow(), title, directory, filter);
}
