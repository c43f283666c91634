#include "composer/PictureWrapDialog.h"
#include "composer/PixelIcon.h"
#include "composer/PreferencesDialog.h"
#include "display/OrnView.h"
#include "display/PictureExport.h"

#include <QComboBox>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <optional>
#include <vector>

#include "ComposerTestUtil.h"

namespace {

using Answer = Dialogs::SaveAnswer;
using Button = MyDocumentOutlets::Button;
using composertest::ComposerTest;

void settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class Windows : public ComposerTest {};

TEST_F(Windows, CloseAsksAboutAnEditedDocument) {
    struct Case {
        const char* name;
        std::optional<Answer> answer;  // nullopt: not edited, nothing asked
        std::optional<QString> path;   // the Save As answer (a name in the folder), if asked
        bool closes;
        bool saved;
    };
    const std::vector<Case> cases = {
        {"save", Answer::Save, QStringLiteral("song.orn"), true, true},
        {"save, no extension typed", Answer::Save, QStringLiteral("song"), true, true},
        {"save, path cancelled", Answer::Save, QString(), false, false},
        {"don't save", Answer::DontSave, std::nullopt, true, false},
        {"cancel", Answer::Cancel, std::nullopt, false, false},
        {"not edited", std::nullopt, std::nullopt, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OrnWindowController* w = controller->newDocument();
        const QString target = QDir(folder.path()).filePath(QStringLiteral("song.orn"));
        QFile::remove(target);
        if (c.answer) {
            edit(w);
            dialogs.saveAnswers = {*c.answer};
        }
        if (c.path) {
            dialogs.savePaths = {c.path->isEmpty() ? QString()
                                                   : QDir(folder.path()).filePath(*c.path)};
        }
        const QString name = w->document()->displayName();
        EXPECT_EQ(w->close(), c.closes);
        EXPECT_EQ(QFile::exists(target), c.saved);
        EXPECT_EQ(controller->recentFiles(),
                  c.saved ? QStringList{QFileInfo(target).canonicalFilePath()} : QStringList());
        if (c.path) {
            // The same proposal as Save As: the documents folder, with the extension.
            ASSERT_EQ(dialogs.suggestedPaths.size(), 1);
            EXPECT_TRUE(QFileInfo(dialogs.suggestedPaths.front()).isAbsolute());
            EXPECT_TRUE(dialogs.suggestedPaths.front().endsWith(name + QStringLiteral(".orn")));
        }
        EXPECT_TRUE(dialogs.saveAnswers.empty());
        EXPECT_TRUE(dialogs.savePaths.empty());
        EXPECT_EQ(dialogs.saveQuestions.size(), c.answer ? 1 : 0);
        dialogs.saveQuestions.clear();
        dialogs.suggestedPaths.clear();
        settle();
        EXPECT_EQ(controller->windows().size(), c.closes ? 0 : 1);
        TearDown();
        SetUp();
    }
}

TEST_F(Windows, QuitAsksEachEditedDocumentInTurnAndStopsAtCancel) {
    struct Case {
        const char* name;
        std::deque<Answer> answers;
        bool quits;
        int asked;
        int left;
    };
    const std::vector<Case> cases = {
        {"both discarded", {Answer::DontSave, Answer::DontSave}, true, 2, 0},
        {"second cancelled", {Answer::DontSave, Answer::Cancel}, false, 2, 1},
        {"first cancelled", {Answer::Cancel}, false, 1, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        edit(controller->newDocument());
        edit(controller->newDocument());
        dialogs.saveAnswers = c.answers;
        EXPECT_EQ(controller->quit(), c.quits);
        EXPECT_EQ(dialogs.saveQuestions.size(), c.asked);
        settle();
        EXPECT_EQ(controller->windows().size(), c.left);
        TearDown();
        dialogs.saveQuestions.clear();
        SetUp();
    }
}

TEST_F(Windows, TitleNamesTheDocumentAndMarksEdits) {
    OrnWindowController* w = controller->newDocument();
    EXPECT_TRUE(w->windowTitle().endsWith(QStringLiteral("[*] \u2014 Zubo Sequencer")));
    EXPECT_TRUE(w->windowTitle().startsWith(w->document()->displayName()));
    EXPECT_FALSE(w->isWindowModified());
    edit(w);
    EXPECT_TRUE(w->isWindowModified());
    w->document()->undoStack()->undo();
    EXPECT_FALSE(w->isWindowModified());
}

TEST_F(Windows, UndoAndRedoAreEnabledOnlyWhenPossible) {
    OrnWindowController* w = controller->newDocument();
    QAction* undo = action(w, "actionUndo");
    QAction* redo = action(w, "actionRedo");
    ASSERT_NE(undo, nullptr);
    ASSERT_NE(redo, nullptr);
    struct Step {
        std::function<void()> act;
        bool undoOn;
        bool redoOn;
    };
    const std::vector<Step> steps = {
        {[] {}, false, false},
        {[w] { edit(w); }, true, false},
        {[undo] { undo->trigger(); }, false, true},
        {[redo] { redo->trigger(); }, true, false},
    };
    for (size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(i);
        steps[i].act();
        EXPECT_EQ(undo->isEnabled(), steps[i].undoOn);
        EXPECT_EQ(redo->isEnabled(), steps[i].redoOn);
    }
    EXPECT_EQ(redo->shortcuts().size(), 2);
}

TEST_F(Windows, EveryControlHasANameAndATip) {
    OrnWindowController* w = controller->newDocument();
    for (int i = 0; i < MyDocumentOutlets::kButtonCount; ++i) {
        QToolButton* b = w->button(static_cast<Button>(i));
        ASSERT_NE(b, nullptr) << i;
        EXPECT_FALSE(b->accessibleName().isEmpty()) << i;
        EXPECT_FALSE(b->toolTip().isEmpty()) << i;
        EXPECT_FALSE(b->icon().isNull()) << i;
    }
    EXPECT_EQ(w->button(Button::Zubo)->accessibleName(), QStringLiteral("Zubo"));
    EXPECT_EQ(w->button(Button::End)->accessibleName(), QStringLiteral("End mark"));
    EXPECT_EQ(w->button(Button::Erase)->accessibleName(), QStringLiteral("Eraser"));
    EXPECT_FALSE(w->tempoSlider()->accessibleName().isEmpty());
    EXPECT_FALSE(w->tempoText()->toolTip().isEmpty());
}

TEST_F(Windows, ATypedTempoIsTakenBeforeSavingExportingOrClosing) {
    struct Case {
        const char* name;
        std::function<void(OrnWindowController*)> act;
        bool editedAfter;
    };
    const QDir dir(folder.path());
    const std::vector<Case> cases = {
        {"save", [&](OrnWindowController* w) {
             dialogs.savePaths = {dir.filePath(QStringLiteral("t.orn"))};
             action(w, "actionSave")->trigger();
         }, false},
        {"export picture", [&](OrnWindowController* w) {
             dialogs.savePaths = {dir.filePath(QStringLiteral("t.png"))};
             dialogs.pictureWraps = {0};
             action(w, "actionExportPicture")->trigger();
         }, true},
        {"close, cancelled", [&](OrnWindowController* w) {
             dialogs.saveAnswers = {Answer::Cancel};
             EXPECT_FALSE(w->close());
         }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OrnWindowController* w = controller->newDocument();
        w->tempoText()->selectAll();
        QTest::keyClicks(w->tempoText(), QStringLiteral("321"));
        c.act(w);
        EXPECT_EQ(w->document()->score().tempo(), 321);
        EXPECT_EQ(w->document()->isDocumentEdited(), c.editedAfter);
        EXPECT_TRUE(dialogs.savePaths.empty());
        EXPECT_TRUE(dialogs.saveAnswers.empty());
    }
}

TEST_F(Windows, PaletteControlsDriveTheDocument) {
    OrnWindowController* w = controller->newDocument();
    MyDocument* doc = w->document();
    // The staff's keys work from the start.
    EXPECT_EQ(w->focusWidget(), w->ornView());
    QTest::mouseClick(w->button(Button::Cat), Qt::LeftButton);
    EXPECT_EQ(doc->selectedInst(), 7);
    QTest::mouseClick(w->button(Button::Erase), Qt::LeftButton);
    EXPECT_TRUE(doc->eraseMode());
    QTest::mouseClick(w->button(Button::Measure3), Qt::LeftButton);
    EXPECT_EQ(doc->score().measure(), 3);

    struct Case {
        const char* name;
        std::function<void()> act;
        int tempo;
    };
    const std::vector<Case> cases = {
        {"slider page up", [w] { QTest::keyClick(w->tempoSlider(), Qt::Key_PageUp); }, 150},
        {"slider page down", [w] { QTest::keyClick(w->tempoSlider(), Qt::Key_PageDown); }, 100},
        {"text", [w] {
             w->tempoText()->setFocus();
             w->tempoText()->selectAll();
             QTest::keyClicks(w->tempoText(), QStringLiteral("640"));
             QTest::keyClick(w->tempoText(), Qt::Key_Return);
         }, 640},
        {"text arrow step", [w] {
             w->tempoText()->setFocus();
             QTest::keyClick(w->tempoText(), Qt::Key_Up);
         }, 641},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.act();
        EXPECT_EQ(doc->score().tempo(), c.tempo);
        EXPECT_EQ(w->tempoText()->value(), c.tempo);
        EXPECT_EQ(w->tempoSlider()->value(), c.tempo);
        // An entered tempo hands the keys back to the staff.
        EXPECT_NE(w->focusWidget(), w->tempoText());
    }
}

TEST_F(Windows, WindowHeightFollowsTheZoom) {
    OrnWindowController* w = controller->newDocument();
    const int atTwo = w->height();
    const int viewAtTwo = w->ornView()->height();
    action(w, "actionZoomIn")->trigger();
    EXPECT_EQ(w->ornView()->zoom(), 3);
    EXPECT_EQ(w->height() - atTwo, w->ornView()->height() - viewAtTwo);
    EXPECT_GT(w->ornView()->height(), viewAtTwo);
    action(w, "actionZoomOut")->trigger();
    EXPECT_EQ(w->height(), atTwo);
    action(w, "actionActualSize")->trigger();
    EXPECT_EQ(w->ornView()->zoom(), 1);
    EXPECT_LT(w->height(), atTwo);
}

TEST_F(Windows, DrawerClosedByTheUserOpensAgainWithTheDocument) {
    OrnWindowController* w = controller->newDocument();
    EXPECT_TRUE(w->drawer()->isVisible());
    w->drawer()->close();
    EXPECT_FALSE(action(w, "actionShowPalette")->isChecked());
    w->document()->openDrawer();
    EXPECT_TRUE(w->drawer()->isVisible());
    w->document()->toggleDrawer();
    EXPECT_FALSE(w->drawer()->isVisible());
}

TEST_F(Windows, StatusBarTellsOfAFailedAudioOutput) {
    struct Case {
        AudioOutput::OpenResult result;
        QString text;
    };
    const std::vector<Case> cases = {
        {{}, QString()},
        {{AudioOutput::OpenStep::Initialize, -9996}, QStringLiteral("No audio output")},
    };
    for (const Case& c : cases) {
        openResult = c.result;
        OrnWindowController* w = controller->newDocument();
        EXPECT_EQ(w->audioStatus()->text(), c.text);
        // The tooltip says why, in the output's own words.
        EXPECT_EQ(w->audioStatus()->toolTip().contains(QStringLiteral("(status -9996)")),
                  !c.text.isEmpty());
        EXPECT_TRUE(w->isVisible());
    }
    // A device lost while open says so too, and why.
    openResult = {};
    OrnWindowController* w = controller->newDocument();
    emit w->document()->audioOutputLost(QStringLiteral("the audio device \"x\" stopped"));
    EXPECT_EQ(w->audioStatus()->text(), QStringLiteral("No audio output"));
    EXPECT_TRUE(w->audioStatus()->toolTip().startsWith(QStringLiteral("The audio device \"x\"")));
    emit w->document()->audioOutputLost(QString());
    EXPECT_EQ(w->audioStatus()->text(), QStringLiteral("No audio output"));
}

TEST_F(Windows, ClosingWhilePlayingStopsTheSoundFirst) {
    OrnWindowController* w = controller->newDocument();
    action(w, "actionPlay")->trigger();
    ASSERT_TRUE(w->document()->isPlaying());
    ASSERT_TRUE(log->running);
    QPointer<OrnWindowController> watched(w);
    log->events.clear();
    EXPECT_TRUE(w->close());
    settle();
    EXPECT_TRUE(watched.isNull());
    ASSERT_GE(log->events.size(), 2U);
    EXPECT_EQ(log->events.front(), "stop");
    EXPECT_EQ(log->events.back(), "close");
}

TEST(PixelIcons, EveryRatioIsWholePixelsOfTheArt) {
    const QImage art = *MyIcons::myIcons()->getZuboIcon(3);
    const QIcon icon = pixelIcon(art, 2);
    for (const qreal ratio : {1.0, 2.0, 3.0}) {
        SCOPED_TRACE(ratio);
        const QImage shown = icon.pixmap(QSize(32, 32), ratio).toImage();
        const int factor = static_cast<int>(2 * ratio);
        ASSERT_EQ(shown.width(), 16 * factor);
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                ASSERT_EQ(shown.pixel(x, y), art.pixel(x / factor, y / factor)) << x << "," << y;
            }
        }
    }
}

class Opening : public ComposerTest {};

TEST_F(Opening, FilesOpenOnceEachAndFailuresOnlyAlert) {
    const QString a = writeScore(QStringLiteral("a.orn"));
    const QString b = writeScore(QStringLiteral("b.orn"));
    const QString missing = QDir(folder.path()).filePath(QStringLiteral("missing.orn"));
    OrnWindowController* blank = controller->newDocument();
    QPointer<OrnWindowController> watched(blank);

    const auto shown = controller->openFiles({a, missing, b, a});
    settle();
    EXPECT_EQ(shown.size(), 3);
    EXPECT_EQ(shown[0], shown[2]);
    EXPECT_EQ(dialogs.alerts.size(), 1U);
    // The untouched untitled window gave way to the first file.
    EXPECT_TRUE(watched.isNull());
    EXPECT_EQ(controller->windows().size(), 2);
    EXPECT_EQ(controller->windows().front()->document()->score().cellAt(3, 0).prog, 2);
}

TEST_F(Opening, RecentFilesKeepTheLastTenThatStillExist) {
    QStringList paths;
    for (int i = 0; i < 12; ++i) {
        paths << writeScore(QStringLiteral("s%1.orn").arg(i));
    }
    controller->openFiles(paths);
    QStringList recent = controller->recentFiles();
    ASSERT_EQ(recent.size(), DocumentController::kMaxRecentFiles);
    EXPECT_TRUE(recent.front().endsWith(QStringLiteral("s11.orn")));
    EXPECT_TRUE(recent.back().endsWith(QStringLiteral("s2.orn")));
    QFile::remove(paths[11]);
    recent = controller->recentFiles();
    EXPECT_EQ(recent.size(), DocumentController::kMaxRecentFiles - 1);
    EXPECT_TRUE(recent.front().endsWith(QStringLiteral("s10.orn")));
    controller->clearRecentFiles();
    EXPECT_TRUE(controller->recentFiles().isEmpty());
}

TEST_F(Opening, ExamplesOpenAsUntitledCopies) {
    const QStringList examples = DocumentController::examples();
    ASSERT_FALSE(examples.isEmpty());
    QPointer<OrnWindowController> blank(controller->newDocument());
    OrnWindowController* w = controller->openExample(examples.front());
    ASSERT_NE(w, nullptr);
    settle();
    // The untouched untitled window gave way to the example.
    EXPECT_TRUE(blank.isNull());
    EXPECT_EQ(controller->windows().size(), 1);
    EXPECT_TRUE(w->document()->filePath().isEmpty());
    EXPECT_FALSE(w->document()->isDocumentEdited());
    EXPECT_GT(w->document()->score().end(), 0);
}

TEST_F(Opening, ExportsWriteTheChosenFormat) {
    OrnWindowController* w = controller->openExample(DocumentController::examples().front());
    ASSERT_NE(w, nullptr);
    struct Case {
        const char* name;
        QString answer;
        QString written;
        QByteArray magic;
        bool picture;
    };
    const std::vector<Case> cases = {
        {"wav", QStringLiteral("a.wav"), QStringLiteral("a.wav"), "RIFF", false},
        {"flac", QStringLiteral("b.flac"), QStringLiteral("b.flac"), "fLaC", false},
        {"no extension", QStringLiteral("c"), QStringLiteral("c.wav"), "RIFF", false},
        {"png", QStringLiteral("d.png"), QStringLiteral("d.png"), "\x89PNG", true},
        {"picture without extension", QStringLiteral("e"), QStringLiteral("e.png"), "\x89PNG",
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialogs.savePaths = {QDir(folder.path()).filePath(c.answer)};
        dialogs.pictureWraps = {c.picture ? std::optional<int>(0) : std::nullopt};
        EXPECT_TRUE(c.picture ? controller->exportPicture(w) : controller->exportAudio(w));
        QFile file(QDir(folder.path()).filePath(c.written));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.read(4), c.magic);
    }
    dialogs.savePaths = {QString()};
    EXPECT_FALSE(controller->exportAudio(w));
    EXPECT_TRUE(dialogs.alerts.empty());
}

// The picture's layout is asked after its name; the answer is proposed the
// next time, and cancelling it writes nothing.
TEST_F(Opening, PictureExportAsksForItsLayout) {
    OrnWindowController* w = controller->openExample(DocumentController::examples().front());
    ASSERT_NE(w, nullptr);
    const OrnScore& score = w->document()->score();
    const struct {
        std::optional<int> wrap; // in pixels
        QSize size;              // in display units; empty when nothing is written
    } cases[] = {
        {1200, zubo::wrappedPictureSize(layoutStaffRows(score, 600))},
        {0, QSize(zubo::pictureWidth(score), zubo::kPictureHeight)},
        {std::nullopt, QSize(0, 0)},
    };
    std::optional<int> proposed; // the first proposal is whatever an earlier export left
    for (const auto& c : cases) {
        SCOPED_TRACE(c.wrap.value_or(-1));
        const QString path = QDir(folder.path()).filePath(QStringLiteral("staff.png"));
        QFile::remove(path);
        dialogs.savePaths = {path};
        dialogs.pictureWraps = {c.wrap};
        EXPECT_EQ(controller->exportPicture(w), c.wrap.has_value());
        if (proposed) {
            EXPECT_EQ(dialogs.proposedWraps.back(), *proposed);
        }
        EXPECT_EQ(QImage(path).size(), c.size * 2);
        if (c.wrap) {
            proposed = c.wrap;
        }
    }
    EXPECT_TRUE(dialogs.alerts.empty());
}

TEST(PictureWrapDialogTest, OffersOneStripOrRowsOfAWidth) {
    const struct {
        int proposed;
        bool strip;
        int width;  // the row width shown
    } cases[] = {
        {0, true, PictureWrapDialog::kDefaultRowWidth},
        {1400, false, 1400},
        {50, false, 368},      // a stored width below the least a row needs
        {99999, false, 61636}, // above the whole strip's
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.proposed);
        PictureWrapDialog dialog(c.proposed);
        EXPECT_EQ(dialog.strip()->isChecked(), c.strip);
        EXPECT_EQ(dialog.rowWidth()->isEnabled(), !c.strip);
        EXPECT_EQ(dialog.wrapWidth(), c.strip ? 0 : c.width);
        dialog.rows()->setChecked(true);
        EXPECT_TRUE(dialog.rowWidth()->isEnabled());
        EXPECT_EQ(dialog.wrapWidth(), c.width);
        dialog.strip()->setChecked(true);
        EXPECT_FALSE(dialog.rowWidth()->isEnabled());
        EXPECT_EQ(dialog.wrapWidth(), 0);
        for (QWidget* control : std::initializer_list<QWidget*>{dialog.strip(), dialog.rows(),
                                                                 dialog.rowWidth()}) {
            EXPECT_FALSE(control->toolTip().isEmpty());
            EXPECT_FALSE(control->accessibleName().isEmpty());
        }
    }
}

TEST_F(Opening, EveryExportSaysWhetherItWrote) {
    OrnWindowController* w = controller->newDocument();
    w->document()->undoableAddNoteAt(2, 9, 4);
    const QDir dir(folder.path());
    const QString missing = dir.filePath(QStringLiteral("missing/x"));
    const struct {
        const char* name;
        bool (DocumentController::*run)(OrnWindowController*);
        QString path;
        const char* message; // in the status bar, or empty on failure
    } cases[] = {
        {"audio", &DocumentController::exportAudio, dir.filePath(QStringLiteral("a.wav")),
         "Exported a.wav"},
        {"picture", &DocumentController::exportPicture, dir.filePath(QStringLiteral("p.png")),
         "Exported p.png"},
        {"midi", &DocumentController::exportMidi, dir.filePath(QStringLiteral("m.mid")),
         "Exported m.mid"},
        {"audio fails", &DocumentController::exportAudio, missing + ".wav", ""},
        {"picture fails", &DocumentController::exportPicture, missing + ".png", ""},
        {"midi fails", &DocumentController::exportMidi, missing + ".mid", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const bool writes = *c.message != 0;
        dialogs.alerts.clear();
        w->statusBar()->clearMessage();
        dialogs.savePaths = {c.path};
        dialogs.pictureWraps = {0};
        EXPECT_EQ((controller.get()->*c.run)(w), writes);
        EXPECT_EQ(w->statusBar()->currentMessage(), QString::fromLatin1(c.message));
        ASSERT_EQ(dialogs.alerts.size(), writes ? 0U : 1U);
        if (!writes) {
            EXPECT_EQ(dialogs.alerts[0].title, QStringLiteral("Cannot Export"));
        }
        EXPECT_EQ(QFile::exists(c.path), writes);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    }
}

TEST_F(Opening, ExportMidiWritesTheNotesAndSaysSo) {
    OrnWindowController* w = controller->newDocument();
    w->document()->undoableAddNoteAt(2, 9, 4);
    const QDir dir(folder.path());
    dialogs.savePaths = {dir.filePath(QStringLiteral("song"))};
    action(w, "actionExportMidi")->trigger();
    QFile file(dir.filePath(QStringLiteral("song.mid")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("MThd"));
    EXPECT_TRUE(bytes.contains("Star"));
    EXPECT_TRUE(w->statusBar()->currentMessage().contains(QStringLiteral("song.mid")));
    EXPECT_TRUE(dialogs.alerts.empty());
}

class PreferencesEditing : public ComposerTest {};

TEST_F(PreferencesEditing, ChangesAreWrittenAndOpenDocumentsFollow) {
    OrnWindowController* w = controller->newDocument();
    PreferencesDialog dialog(&prefs);
    EXPECT_EQ(dialog.fps()->value(), 30);
    EXPECT_EQ(dialog.volume()->value(), 100);
    dialog.fps()->setValue(45);
    dialog.volume()->setValue(150);
    dialog.tempoEmulation()->setCurrentIndex(2);
    dialog.wheel()->setCurrentIndex(1);
    EXPECT_EQ(w->document()->fps(), 45);
    EXPECT_EQ(prefs.intValue(QLatin1String(Preferences::kVolume)), 150);
    EXPECT_EQ(w->document()->tempoEmurationCoefficient(), 48);
    EXPECT_EQ(prefs.intValue(QLatin1String(Preferences::kVerticalWheelFor)), 1);
}

TEST_F(PreferencesEditing, AnOpenDialogLetsTheLastWindowQuit) {
    controller->showPreferences();
    OrnWindowController* w = controller->newDocument();
    QTimer::singleShot(0, w, [w] { w->close(); });
    // Should the program stay alive, the fallback ends the wait with 1.
    QTimer fallback;
    fallback.setSingleShot(true);
    QObject::connect(&fallback, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    fallback.start(5000);
    EXPECT_EQ(QApplication::exec(), 0);
}

} // namespace
