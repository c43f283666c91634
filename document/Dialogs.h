#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

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
    // `documentName`: Save, Don't Save or Cancel. `window`, when known, is the
    // document's window: it comes forward and the question is modal to it,
    // so that the user sees which song is meant.
    virtual SaveAnswer askSaveChanges(const QString& documentName, QWidget* window) = 0;

    // A question before something is lost, such as "“song.orn” already
    // exists. Replace it?": true for the button `proceed` ("Replace"),
    // false for Cancel, the default.
    virtual bool askToProceed(const QString& text, const QString& proceed) = 0;

    // The question at start when a run that did not end cleanly left the
    // unsaved documents `names` behind: restore them, discard them, or
    // (closed) leave them for the next start.
    virtual RestoreAnswer askRestoreDocuments(const QStringList& names) = 0;

    // A path to save to, starting at `suggested`, restricted by `filter`
    // ("Zubo scores (*.orn)"); an empty string when the user cancels. The
    // dialog adds `defaultSuffix` ("orn") to a name typed without one before
    // it asks whether to replace an existing file, so that its question
    // covers the name answered.
    virtual QString askSavePath(const QString& title, const QString& suggested,
                                const QString& filter, const QString& defaultSuffix) = 0;

    // How a picture of the staff is laid out: 0 for one strip, else the
    // greatest width in display units of its rows of whole measures;
    // `wrapWidth` is the proposed answer. Nothing when the user cancels.
    virtual std::optional<int> askPictureWrap(int wrapWidth) = 0;

    // Files to open; an empty list when the user cancels.
    virtual QStringList askOpenPaths(const QString& title, const QString& directory,
                                     const QString& filter) = 0;
};
