#include "composer/DocumentController.h"

#include "common/ResourceDir.h"
#include "composer/OrnWindowController.h"
#include "composer/PreferencesDialog.h"
#include "composer/RecoveryKeeper.h"
#include "composer/RecoveryNotice.h"
#include "composer/RecoveryStore.h"
#include "composer/StoredPaths.h"
#include "composer/WindowMenus.h"
#include "document/Dialogs.h"
#include "document/PathBytes.h"
#include "document/Preferences.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSettings>
#include <QShortcut>
#include <QStandardPaths>
#include <QUndoStack>

namespace {

const char* const kRecentFilesKey = "recentFiles";
const QString kScoreFilter = QStringLiteral("Zubo scores (*.orn)");
const QString kSorry = QStringLiteral("Sorry.");
const QString kIndeed = QStringLiteral("Indeed");

// The recent files live with the preferences.
const QString kOrganisation = QStringLiteral("Zubo");
const QString kApplication = QStringLiteral("Zubo Sequencer");

QString canonical(const QString& path) {
    const QString c = zubo::canonicalPath(path);
    return c.isEmpty() ? QFileInfo(path).absoluteFilePath() : c;
}

} // namespace

DocumentController::DocumentController(Dialogs* dialogs, Preferences* preferences,
                                       QObject* parent)
    : QObject(parent), _dialogs(dialogs), _preferences(preferences) {}

DocumentController::~DocumentController() {
    // Each deletion takes its window out of the list.
    while (!_windows.isEmpty()) {
        delete _windows.front();
    }
    delete _preferencesDialog.data();
}

QList<OrnWindowController*> DocumentController::windows() const {
    // A closed window waits for its deletion hidden; it is no longer open.
    QList<OrnWindowController*> open;
    for (OrnWindowController* w : _windows) {
        if (w->isVisible()) {
            open << w;
        }
    }
    return open;
}

std::unique_ptr<MyDocument> DocumentController::makeDocument() {
    auto doc = std::make_unique<MyDocument>(_preferences);
    doc->setDialogs(_dialogs);
    return doc;
}

OrnWindowController* DocumentController::addWindow(std::unique_ptr<MyDocument> document) {
    MyDocument* doc = document.get();
    if (_outputMaker) {
        doc->setOutputMaker(_outputMaker);
    }
    OrnWindowController* window = nullptr;
    doc->makeWindowControllers([&](MyDocument*) {
        window = new OrnWindowController(
            std::move(document),
            {[this](OrnWindowController* w) { buildWindowMenus(w, this); },
             [this](OrnWindowController* w) { return canClose(w); }});
        return window;
    });
    window->showAudioStatus(doc->hasAudioOutput(), doc->audioFailure());
    // A document saved under a new name, from a menu or from the question
    // on closing, joins the recent files.
    connect(doc, &MyDocument::filePathChanged, this, [this](const QString& path) {
        if (!path.isEmpty()) {
            noteRecentFile(path);
        }
    });
    if (_recoveryStore != nullptr) {
        auto* keeper = new RecoveryKeeper(doc, _recoveryStore, _recoveryInterval);
        _recoveryNotice->watch(keeper, window);
    }
    _windows << window;
    // Only the address is compared: the window is no longer one by then.
    connect(window, &QObject::destroyed, this, [this, window] { _windows.removeAll(window); });
    window->show();
    return window;
}

void DocumentController::setRecoveryStore(RecoveryStore* store,
                                          std::chrono::milliseconds interval) {
    if (!store->open()) {
        _dialogs->alert(QStringLiteral("Cannot Keep Unsaved Work"), kSorry,
                        QStringLiteral("Unsaved changes cannot be kept in \u201C%1\u201D, so a "
                                       "crash would lose them.")
                            .arg(QDir::toNativeSeparators(store->folder())),
                        kIndeed);
        return;
    }
    _recoveryStore = store;
    _recoveryInterval = interval;
    _recoveryNotice = new RecoveryNotice(_dialogs, store->folder(), this);
}

void DocumentController::leaveUnsavedWork() {
    if (_recoveryStore == nullptr) {
        return;
    }
    // Nothing may wait on a person now.
    delete _recoveryNotice;
    _recoveryNotice = nullptr;
    for (OrnWindowController* w : windows()) {
        auto* keeper =
            w->document()->findChild<RecoveryKeeper*>(QString(), Qt::FindDirectChildrenOnly);
        if (keeper != nullptr) {
            keeper->keepNow();
        }
    }
    _recoveryStore->leave();
    _recoveryStore = nullptr;
}

QList<OrnWindowController*> DocumentController::offerRecovery() {
    QList<OrnWindowController*> restored;
    if (_recoveryStore == nullptr) {
        return restored;
    }
    const QList<RecoveryStore::Leftover> leftovers = _recoveryStore->takeLeftovers();
    if (!_recoveryStore->damaged().isEmpty()) {
        _dialogs->alert(QStringLiteral("Cannot Restore"), kSorry,
                        QStringLiteral("Some unsaved work is too damaged to be offered. It is "
                                       "kept in \u201C%1\u201D.")
                            .arg(QDir::toNativeSeparators(_recoveryStore->damagedFolder())),
                        kIndeed);
    }
    if (leftovers.isEmpty()) {
        return restored;
    }
    QStringList names;
    for (const RecoveryStore::Leftover& leftover : leftovers) {
        names << QFileInfo(leftover.name).fileName();
    }
    switch (_dialogs->askRestoreDocuments(names)) {
    case Dialogs::RestoreAnswer::Later:
        _recoveryStore->releaseLeftovers();
        return restored;
    case Dialogs::RestoreAnswer::Discard:
        _recoveryStore->discardLeftovers();
        return restored;
    case Dialogs::RestoreAnswer::Restore:
        break;
    }
    for (const RecoveryStore::Leftover& leftover : leftovers) {
        auto doc = makeDocument();
        const QString type = QLatin1String(MyDocument::kOrnFormatType);
        if (!doc->loadDataRepresentation(leftover.text, type)) {
            const QString detail =
                QStringLiteral("The unsaved \u201C%1\u201D is damaged. It is kept, and offered "
                               "again at the next start.")
                    .arg(QFileInfo(leftover.name).fileName());
            _dialogs->alert(QStringLiteral("Cannot Restore"), kSorry, detail, kIndeed);
            continue;
        }
        doc->setRecoveredFrom(leftover.name);
        // Unsaved work: edited, with nothing to undo.
        doc->undoStack()->resetClean();
        doc->updateEditedState();
        // Its window's keeper writes it at once; the old file goes only
        // once it is kept again, and what is left is offered at the next start.
        OrnWindowController* window = addWindow(std::move(doc));
        const auto* keeper =
            window->document()->findChild<RecoveryKeeper*>(QString(), Qt::FindDirectChildrenOnly);
        if (keeper != nullptr && keeper->kept()) {
            _recoveryStore->forget(leftover);
        }
        restored << window;
    }
    _recoveryStore->releaseLeftovers();
    return restored;
}

OrnWindowController* DocumentController::newDocument() {
    return addWindow(makeDocument());
}

OrnWindowController* DocumentController::windowShowing(const QString& path) const {
    const MyDocument* doc = MyDocument::documentForPath(path);
    for (OrnWindowController* w : windows()) {
        if (doc != nullptr && w->document() == doc) {
            return w;
        }
    }
    return nullptr;
}

OrnWindowController* DocumentController::untouchedUntitled() const {
    const auto list = windows();
    if (list.size() != 1) {
        return nullptr;
    }
    MyDocument* doc = list.front()->document();
    const bool untouched = doc->filePath().isEmpty() && !doc->hasHeldContent() &&
                           !doc->isDocumentEdited() && doc->undoStack()->count() == 0;
    return untouched ? list.front() : nullptr;
}

QList<OrnWindowController*> DocumentController::openFiles(const QStringList& paths) {
    QList<OrnWindowController*> shown;
    OrnWindowController* blank = untouchedUntitled();
    for (const QString& path : paths) {
        if (OrnWindowController* open = windowShowing(path)) {
            open->raise();
            open->activateWindow();
            shown << open;
            continue;
        }
        // A file that cannot be opened gives its alert; the others still open.
        auto doc = MyDocument::openPath(path, _preferences, _dialogs);
        if (!doc) {
            continue;
        }
        noteRecentFile(path);
        shown << addWindow(std::move(doc));
        if (blank != nullptr) {
            blank->close();
            blank = nullptr;
        }
    }
    return shown;
}

void DocumentController::openDocument() {
    const QStringList paths = _dialogs->askOpenPaths(
        QStringLiteral("Open"),
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation), kScoreFilter);
    openFiles(paths);
}

OrnWindowController* DocumentController::openExample(const QString& path) {
    QFile file(path);
    auto doc = makeDocument();
    if (!file.open(QIODevice::ReadOnly) ||
        !doc->loadDataRepresentation(file.readAll(), QStringLiteral("ORN Format"))) {
        _dialogs->alert(QStringLiteral("Cannot Read"), kSorry, path, kIndeed);
        return nullptr;
    }
    OrnWindowController* blank = untouchedUntitled();
    OrnWindowController* shown = addWindow(std::move(doc));
    if (blank != nullptr) {
        blank->close();
    }
    return shown;
}

bool DocumentController::saveDocument(OrnWindowController* window) {
    window->commitTempo();
    return window->document()->save();
}

bool DocumentController::saveDocumentAs(OrnWindowController* window) {
    window->commitTempo();
    return window->document()->saveAs();
}

bool DocumentController::canClose(OrnWindowController* window) {
    return window->document()->canCloseDocument(window);
}

bool DocumentController::quit() {
    for (OrnWindowController* w : windows()) {
        if (!w->close()) {
            return false;
        }
    }
    QCoreApplication::quit();
    return true;
}

QStringList DocumentController::recentFiles() const {
    QStringList kept;
    const QSettings settings(kOrganisation, kApplication);
    for (const QString& path :
         zubo::pathsFromSetting(settings.value(QLatin1String(kRecentFilesKey)))) {
        if (zubo::isRegularFile(path)) {
            kept << path;
        }
    }
    return kept;
}

void DocumentController::noteRecentFile(const QString& path) {
    QStringList list = recentFiles();
    const QString full = canonical(path);
    list.removeAll(full);
    list.prepend(full);
    while (list.size() > kMaxRecentFiles) {
        list.removeLast();
    }
    QSettings(kOrganisation, kApplication)
        .setValue(QLatin1String(kRecentFilesKey), zubo::storedPaths(list));
    emit recentFilesChanged();
}

void DocumentController::clearRecentFiles() {
    QSettings(kOrganisation, kApplication).remove(QLatin1String(kRecentFilesKey));
    emit recentFilesChanged();
}

QStringList DocumentController::examples() {
    const QDir dir(QString::fromStdString((zubo::resourceDir() / "examples").string()));
    QStringList paths;
    for (const QString& name :
         dir.entryList({QStringLiteral("*.orn")}, QDir::Files, QDir::Name)) {
        paths << dir.filePath(name);
    }
    return paths;
}

void DocumentController::showPreferences() {
    if (!_preferencesDialog) {
        _preferencesDialog = new PreferencesDialog(_preferences);
        // Closing the last document window still quits while it is open.
        _preferencesDialog->setAttribute(Qt::WA_QuitOnClose, false);
    }
    _preferencesDialog->show();
    _preferencesDialog->raise();
    _preferencesDialog->activateWindow();
}

void DocumentController::showAbout(QWidget* parent) {
    auto* box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("About Zubo Sequencer"),
                                QStringLiteral("<h3>Zubo Sequencer %1</h3>"
                                               "<p>Write songs with little creatures on a staff, "
                                               "hear them and save them.</p>"
                                               "<p>Released under the MIT licence.</p>")
                                    .arg(QCoreApplication::applicationVersion()),
                                QMessageBox::Close, parent);
    box->setIconPixmap(QGuiApplication::windowIcon().pixmap(64, 64));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

void DocumentController::showShortcuts(QWidget* parent) {
    auto* window = qobject_cast<QMainWindow*>(parent);
    QString rows;
    if (window != nullptr) {
        for (QMenu* menu : window->menuBar()->findChildren<QMenu*>()) {
            for (QAction* action : menu->actions()) {
                QStringList keys;
                for (const QKeySequence& key : action->shortcuts()) {
                    keys << key.toString(QKeySequence::NativeText).toHtmlEscaped();
                }
                if (!keys.isEmpty()) {
                    rows += QStringLiteral("<tr><td>%1</td><td>&nbsp;&nbsp;%2</td></tr>")
                                .arg(QString(action->text()).remove(QLatin1Char('&')),
                                     keys.join(QStringLiteral(", ")));
                }
            }
        }
        // The window's own keys without a menu item, described by their help text.
        for (const QShortcut* shortcut : window->findChildren<QShortcut*>()) {
            if (!shortcut->whatsThis().isEmpty()) {
                const QString key = shortcut->key().toString(QKeySequence::NativeText);
                rows += QStringLiteral("<tr><td>%1</td><td>&nbsp;&nbsp;%2</td></tr>")
                            .arg(shortcut->whatsThis(), key);
            }
        }
    }
    auto* box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("Keyboard Shortcuts"),
                                QStringLiteral("<table>%1</table>").arg(rows), QMessageBox::Close,
                                parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}
