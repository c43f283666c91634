#pragma once

#include "document/MyDocument.h"
#include "export/ExportResult.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

class Dialogs;
class OrnWindowController;
class PreferencesDialog;
class Preferences;
class RecoveryNotice;
class RecoveryStore;
class QWidget;

// The application's documents, one window each: New, Open (a file already
// open brings its window forward; an untouched untitled window gives way to
// the first file opened), Open Recent, the examples, Save, Save As, the
// exports, and closing with the save-changes question. Quit closes every
// window in turn and stops at the first Cancel.
class DocumentController : public QObject {
    Q_OBJECT

public:
    static constexpr int kMaxRecentFiles = 10;

    DocumentController(Dialogs* dialogs, Preferences* preferences, QObject* parent = nullptr);
    ~DocumentController() override;

    // Where new documents send their sound (tests: a silent output); the
    // default device when unset.
    void setOutputMaker(MyDocument::OutputMaker maker) { _outputMaker = std::move(maker); }

    // Opens `store` and keeps every document's unsaved state in it (written
    // at most once an `interval`); a store that cannot be opened is told
    // about and not used. Without a store nothing is kept.
    void setRecoveryStore(RecoveryStore* store, std::chrono::milliseconds interval);
    // Offers the documents that instances no longer running left in the
    // store: each restored one opens edited and untitled, named after its
    // original; Discard deletes them; a closed question keeps them for the
    // next start. A left document goes once it is kept again in this
    // instance; a damaged one, or one that cannot be kept, stays.
    // Answers the restored windows.
    QList<OrnWindowController*> offerRecovery();
    // Writes every edited document's recovery copy at once and leaves the
    // store as a crash would, for the next start to offer them (the end on
    // a signal). Nothing is kept afterwards.
    void leaveUnsavedWork();

    QList<OrnWindowController*> windows() const;
    OrnWindowController* newDocument();
    // Opens each file in its own window; a file that fails gives its alert
    // and the others still open. Answers the windows showing the files.
    QList<OrnWindowController*> openFiles(const QStringList& paths);
    void openDocument();
    // A copy of a shipped example in a new untitled window.
    OrnWindowController* openExample(const QString& path);
    // Asks for a Standard MIDI File and opens its import as a new edited,
    // untitled document ("tune.mid (imported)"), then shows the import's
    // report; a file it cannot read gives an alert and opens nothing.
    OrnWindowController* importMidi();
    OrnWindowController* importMidiFile(const QString& path);
    bool saveDocument(OrnWindowController* window);
    bool saveDocumentAs(OrnWindowController* window);
    bool exportAudio(OrnWindowController* window);
    bool exportPicture(OrnWindowController* window);
    bool exportMidi(OrnWindowController* window);
    bool exportMusicXml(OrnWindowController* window);
    // The save-changes question for an edited document: true when the window
    // may close (saved or not wanted), false on Cancel or a failed save.
    bool canClose(OrnWindowController* window);
    bool quit();

    QStringList recentFiles() const;
    void clearRecentFiles();
    static QStringList examples();

    void showPreferences();
    void showAbout(QWidget* parent);
    void showShortcuts(QWidget* parent);

signals:
    void recentFilesChanged();

private:
    OrnWindowController* addWindow(std::unique_ptr<MyDocument> document);
    std::unique_ptr<MyDocument> makeDocument();
    OrnWindowController* windowShowing(const QString& path) const;
    OrnWindowController* untouchedUntitled() const;
    void noteRecentFile(const QString& path);
    // A path to export to, ending in `extension` unless `known` takes the
    // name the user typed as it is; empty when the user cancels.
    QString askExportPath(OrnWindowController* window, const QString& title,
                          const QString& extension, const QString& filter,
                          bool (*known)(const std::string& path));
    // Writes the score of `window` to `path` (as bytes).
    using ExportWriter =
        std::function<zubo::ExportResult(const OrnScore& score, const std::string& path)>;
    // Runs `write` under the wait cursor; alerts on failure and says so in the
    // status bar on success.
    bool writeExport(OrnWindowController* window, const QString& path, const ExportWriter& write);

    Dialogs* _dialogs;
    Preferences* _preferences;
    MyDocument::OutputMaker _outputMaker;
    // Each window leaves the list when it is destroyed.
    QList<OrnWindowController*> _windows;
    QPointer<PreferencesDialog> _preferencesDialog;
    RecoveryStore* _recoveryStore = nullptr;
    RecoveryNotice* _recoveryNotice = nullptr;
    std::chrono::milliseconds _recoveryInterval{0};
};
