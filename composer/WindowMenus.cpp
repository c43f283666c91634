#include "composer/WindowMenus.h"

#include "composer/DocumentController.h"
#include "composer/OrnWindowController.h"
#include "composer/PixelIcon.h"
#include "composer/PlayActions.h"
#include "composer/StepActions.h"
#include "display/MyIcons.h"
#include "display/OrnView.h"
#include "document/MyDocument.h"

#include <QAction>
#include <QDockWidget>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QUndoStack>

namespace {

using Button = MyDocumentOutlets::Button;

// Connected first, the window's commit of a typed tempo runs before the
// action's own work reads the score.
QAction* addAction(OrnWindowController* w, QMenu* menu, const char* name, const QString& text,
                   const QList<QKeySequence>& keys = {}) {
    QAction* action = menu->addAction(text);
    action->setObjectName(QLatin1String(name));
    action->setShortcuts(keys);
    QObject::connect(action, &QAction::triggered, w, &OrnWindowController::commitTempo);
    return action;
}

void buildFileMenu(OrnWindowController* w, DocumentController* c) {
    QMenu* file = w->menuBar()->addMenu(QStringLiteral("&File"));
    QObject::connect(addAction(w, file, "actionNew", QStringLiteral("&New"), {QKeySequence::New}),
                     &QAction::triggered, c, [c] { c->newDocument(); });
    QObject::connect(
        addAction(w, file, "actionOpen", QStringLiteral("&Open..."), {QKeySequence::Open}),
        &QAction::triggered, c, [c] { c->openDocument(); });

    QMenu* recent = file->addMenu(QStringLiteral("Open &Recent"));
    recent->setObjectName(QStringLiteral("menuRecent"));
    // Rebuilt each time it opens, so that files gone since are left out.
    QObject::connect(recent, &QMenu::aboutToShow, recent, [c, recent] {
        recent->clear();
        for (const QString& path : c->recentFiles()) {
            QAction* a = recent->addAction(QFileInfo(path).fileName());
            a->setToolTip(path);
            QObject::connect(a, &QAction::triggered, c, [c, path] { c->openFiles({path}); });
        }
        recent->addSeparator();
        QAction* clear = recent->addAction(QStringLiteral("Clear Menu"));
        clear->setObjectName(QStringLiteral("actionClearRecent"));
        clear->setEnabled(!c->recentFiles().isEmpty());
        QObject::connect(clear, &QAction::triggered, c, [c] { c->clearRecentFiles(); });
    });

    QMenu* examples = file->addMenu(QStringLiteral("Open &Example"));
    examples->setObjectName(QStringLiteral("menuExamples"));
    for (const QString& path : DocumentController::examples()) {
        QString title = QFileInfo(path).completeBaseName().replace(QLatin1Char('-'), QLatin1Char(' '));
        title[0] = title[0].toUpper();
        QObject::connect(examples->addAction(title), &QAction::triggered, c,
                         [c, path] { c->openExample(path); });
    }
    QAction* import = addAction(w, file, "actionImportMidi", QStringLiteral("&Import MIDI..."));
    import->setToolTip(QStringLiteral("Open a Standard MIDI File as a new song on the staff"));
    QObject::connect(import, &QAction::triggered, c, [c] { c->importMidi(); });
    file->addSeparator();
    QObject::connect(
        addAction(w, file, "actionSave", QStringLiteral("&Save"), {QKeySequence::Save}),
        &QAction::triggered, w, [c, w] { c->saveDocument(w); });
    QObject::connect(addAction(w, file, "actionSaveAs", QStringLiteral("Save &As..."),
                               {QKeySequence(QStringLiteral("Ctrl+Shift+S"))}),
                     &QAction::triggered, w, [c, w] { c->saveDocumentAs(w); });
    file->addSeparator();
    QObject::connect(
        addAction(w, file, "actionExportAudio", QStringLiteral("Export A&udio...")),
        &QAction::triggered, w, [c, w] { c->exportAudio(w); });
    QObject::connect(
        addAction(w, file, "actionExportPicture", QStringLiteral("Export &Picture...")),
        &QAction::triggered, w, [c, w] { c->exportPicture(w); });
    QAction* midi = addAction(w, file, "actionExportMidi", QStringLiteral("Export &MIDI..."));
    midi->setToolTip(QStringLiteral("Write the score's notes as a Standard MIDI File"));
    QObject::connect(midi, &QAction::triggered, w, [c, w] { c->exportMidi(w); });
    QAction* musicXml =
        addAction(w, file, "actionExportMusicXml", QStringLiteral("Export Music&XML..."));
    musicXml->setToolTip(QStringLiteral("Write the score as MusicXML for notation programs"));
    QObject::connect(musicXml, &QAction::triggered, w, [c, w] { c->exportMusicXml(w); });
    file->addSeparator();
    QObject::connect(
        addAction(w, file, "actionClose", QStringLiteral("&Close"), {QKeySequence::Close}),
        &QAction::triggered, w, [w] { w->close(); });
    QAction* quit = addAction(w, file, "actionQuit", QStringLiteral("&Quit"),
                              {QKeySequence(QStringLiteral("Ctrl+Q"))});
    quit->setMenuRole(QAction::QuitRole);
    QObject::connect(quit, &QAction::triggered, c, [c] { c->quit(); }, Qt::QueuedConnection);
}

void buildEditMenu(OrnWindowController* w, DocumentController* c) {
    MyDocument* doc = w->document();
    QMenu* edit = w->menuBar()->addMenu(QStringLiteral("&Edit"));
    // The stack's own actions are enabled only when there is something to
    // undo or redo.
    QAction* undo = doc->undoStack()->createUndoAction(edit, QStringLiteral("&Undo"));
    undo->setObjectName(QStringLiteral("actionUndo"));
    undo->setShortcut(QKeySequence(QStringLiteral("Ctrl+Z")));
    QAction* redo = doc->undoStack()->createRedoAction(edit, QStringLiteral("&Redo"));
    redo->setObjectName(QStringLiteral("actionRedo"));
    redo->setShortcuts({QKeySequence(QStringLiteral("Ctrl+Shift+Z")),
                        QKeySequence(QStringLiteral("Ctrl+Y"))});
    edit->addAction(undo);
    edit->addAction(redo);
    edit->addSeparator();
    QObject::connect(
        addAction(w, edit, "actionCopy", QStringLiteral("&Copy"), {QKeySequence::Copy}),
        &QAction::triggered, doc, [doc] { doc->copy(); });
    QObject::connect(
        addAction(w, edit, "actionPaste", QStringLiteral("&Paste"), {QKeySequence::Paste}),
        &QAction::triggered, doc, [doc] { doc->paste(); });
    edit->addSeparator();
    buildStepActions(edit, w);
    edit->addSeparator();
    QAction* prefs = addAction(w, edit, "actionPreferences", QStringLiteral("Pre&ferences..."));
    prefs->setMenuRole(QAction::PreferencesRole);
    QObject::connect(prefs, &QAction::triggered, c, [c] { c->showPreferences(); });
}

void buildViewMenu(OrnWindowController* w) {
    QMenu* view = w->menuBar()->addMenu(QStringLiteral("&View"));
    QAction* palette = w->drawer()->toggleViewAction();
    palette->setText(QStringLiteral("Show &Palette"));
    palette->setObjectName(QStringLiteral("actionShowPalette"));
    view->addAction(palette);
    view->addSeparator();
    const OrnView* staff = w->ornView();
    QObject::connect(addAction(w, view, "actionZoomIn", QStringLiteral("Zoom &In"),
                               {QKeySequence(QStringLiteral("Ctrl++")),
                                QKeySequence(QStringLiteral("Ctrl+="))}),
                     &QAction::triggered, w, [w, staff] { w->setZoom(staff->zoom() + 1); });
    QObject::connect(addAction(w, view, "actionZoomOut", QStringLiteral("Zoom &Out"),
                               {QKeySequence(QStringLiteral("Ctrl+-"))}),
                     &QAction::triggered, w, [w, staff] { w->setZoom(staff->zoom() - 1); });
    QObject::connect(addAction(w, view, "actionActualSize", QStringLiteral("&Actual Size"),
                               {QKeySequence(QStringLiteral("Ctrl+0"))}),
                     &QAction::triggered, w, [w] { w->setZoom(1); });
}

void buildPlayMenu(OrnWindowController* w) {
    MyDocument* doc = w->document();
    QMenu* play = w->menuBar()->addMenu(QStringLiteral("&Play"));
    QObject::connect(addAction(w, play, "actionPlay", QStringLiteral("&Play/Stop"),
                               {QKeySequence(Qt::Key_Space)}),
                     &QAction::triggered, doc, [doc] { doc->play(nullptr); });
    buildPlayActions(play, w);
    QObject::connect(
        addAction(w, play, "actionLoop", QStringLiteral("&Loop"), {QKeySequence(Qt::Key_L)}),
        &QAction::triggered, doc, [doc] { doc->toggleLoop(); });
    play->addSeparator();
    QObject::connect(addAction(w, play, "actionMeasure3", QStringLiteral("&3/4 Time")),
                     &QAction::triggered, doc, [doc] { doc->toggleMeasure(Button::Measure3); });
    QObject::connect(addAction(w, play, "actionMeasure4", QStringLiteral("&4/4 Time")),
                     &QAction::triggered, doc, [doc] { doc->toggleMeasure(Button::Measure4); });
    play->addSeparator();
    QObject::connect(
        addAction(w, play, "actionEraser", QStringLiteral("&Eraser"), {QKeySequence(Qt::Key_E)}),
        &QAction::triggered, doc, [doc] { doc->toggleEraser(); });
    // Like the wheel: silent.
    QObject::connect(addAction(w, play, "actionPreviousTool", QStringLiteral("P&revious Tool"),
                               {QKeySequence(Qt::Key_BracketLeft)}),
                     &QAction::triggered, doc, [doc] { doc->changeInstRelatively(-1); });
    QObject::connect(addAction(w, play, "actionNextTool", QStringLiteral("&Next Tool"),
                               {QKeySequence(Qt::Key_BracketRight)}),
                     &QAction::triggered, doc, [doc] { doc->changeInstRelatively(1); });
    QMenu* tools = play->addMenu(QStringLiteral("&Tools"));
    tools->setObjectName(QStringLiteral("menuTools"));
    const MyIcons* icons = MyIcons::myIcons();
    for (int i = 0; i < MyDocumentOutlets::kToolButtons; ++i) {
        QAction* a = tools->addAction(toolNames().at(i));
        if (icons != nullptr && icons->getZuboIcon(i) != nullptr) {
            a->setIcon(pixelIcon(*icons->getZuboIcon(i), 1));
        }
        QObject::connect(a, &QAction::triggered, doc,
                         [doc, i] { doc->changeInst(MyDocumentOutlets::toolButton(i)); });
    }
}

void buildHelpMenu(OrnWindowController* w, DocumentController* c) {
    QMenu* help = w->menuBar()->addMenu(QStringLiteral("&Help"));
    QObject::connect(addAction(w, help, "actionShortcuts", QStringLiteral("&Keyboard Shortcuts")),
                     &QAction::triggered, w, [c, w] { c->showShortcuts(w); });
    QAction* about = addAction(w, help, "actionAbout", QStringLiteral("&About Zubo Sequencer"));
    about->setMenuRole(QAction::AboutRole);
    QObject::connect(about, &QAction::triggered, w, [c, w] { c->showAbout(w); });
}

} // namespace

void buildWindowMenus(OrnWindowController* window, DocumentController* controller) {
    buildFileMenu(window, controller);
    buildEditMenu(window, controller);
    buildViewMenu(window);
    buildPlayMenu(window);
    buildHelpMenu(window, controller);
}
