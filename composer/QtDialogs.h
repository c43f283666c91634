#pragma once

#include "document/Dialogs.h"

// The dialogs a person sees: message boxes and the desktop's file dialogs,
// each modal to the active window unless a question names its own.
class QtDialogs : public Dialogs {
public:
    void alert(const QString& title, const QString& text, const QString& detail,
               const QString& button) override;
    SaveAnswer askSaveChanges(const QString& documentName, QWidget* window) override;
    bool askToProceed(const QString& text, const QString& proceed) override;
    RestoreAnswer askRestoreDocuments(const QStringList& names) override;
    QString askSavePath(const QString& title, const QString& suggested,
                        const QString& filter, const QString& defaultSuffix) override;
    std::optional<int> askPictureWrap(int wrapWidth) override;
    QStringList askOpenPaths(const QString& title, const QString& directory,
                             const QString& filter) override;
};
