#include "app/QtDialogs.h"

#include "app/PictureWrapDialog.h"

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

Dialogs::SaveAnswer QtDialogs::askSaveChanges(const QString& documentName) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Zubo Sequencer"),
                    QStringLiteral("Do you want to save the changes to \u201C%1\u201D?")
                        .arg(documentName),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QApplication::activeWindow());
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

QString QtDialogs::askSavePath(const QString& title, const QString& suggested,
                               const QString& filter) {
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), title, suggested, filter);
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
