#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Every alert, question and file dialog the composer shows goes through this
// interface, so that documents and the document controller never open a
// window of their own: the application passes QtDialogs (message boxes and
// file dialogs), tests pass a scripted implementation that answers at once
// and records what was asked.
class Dialogs {
public:
    enum class SaveAnswer { Save, DontSave, Cancel };
    // Later: the question was closed without an answer.
    enum class RestoreAnswer { Restore, Discard, Later };

    virtual ~Dialogs() = default;

    // An alert with one button. `title` and `text` are the window title and
    // main text ("Unknown Format", "Sorry."); `detail`, if not empty, is the
    // informative text under it (the file and the system's reason); `button`
    // is the label of its one button ("Indeed").
    virtual void alert(const QString& title, const QString& text, const QString& detail,
                       const QString& button) = 0;

    // The desktop's save-changes question for the document shown as
    // `documentName`: Save, Don't Save or Cancel.
    virtual SaveAnswer askSaveChanges(const QString& documentName) = 0;

    // The question at start when a run that did not end cleanly left the
    // unsaved documents `names` behind: restore them, discard them, or
    // (closed) leave them for the next start.
    virtual RestoreAnswer askRestoreDocuments(const QStringList& names) = 0;

    // A path to save to, starting at `suggested`, restricted by `filter`
    // ("Zubo scores (*.orn)"); an empty string when the user cancels.
    virtual QString askSavePath(const QString& title, const QString& suggested,
                                const QString& filter) = 0;

    // How a picture of the staff is laid out: 0 for one strip, else the
    // greatest width in display units of its rows of whole measures;
    // `wrapWidth` is the proposed answer. Nothing when the user cancels.
    virtual std::optional<int> askPictureWrap(int wrapWidth) = 0;

    // Files to open; an empty list when the user cancels.
    virtual QStringList askOpenPaths(const QString& title, const QString& directory,
                                     const QString& filter) = 0;
};
