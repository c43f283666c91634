// The window's tempo controls and its teardown: a typed tempo reaches every
// command, the slider shows every tempo the box takes, and a window goes
// safely whatever its controls hold.
#include "ComposerTestUtil.h"
#include "display/OrnView.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPointer>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <functional>
#include <vector>

namespace {

using Button = MyDocumentOutlets::Button;
using composertest::ComposerTest;

class WindowSafety : public ComposerTest {
  protected:
    // Types `text` into the tempo box as the user would, without Return.
    static void typeTempo(OrnWindowController* w, const QString& text) {
        w->tempoText()->setFocus();
        w->tempoText()->selectAll();
        QTest::keyClicks(w->tempoText(), text);
    }
};

TEST_F(WindowSafety, ATypedTempoIsTakenBeforeEveryCommandThatReadsTheScore) {
    const QDir dir(folder.path());
    struct Case {
        const char* name;
        std::function<void(OrnWindowController*)> act;
        bool copies; // the clipboard then holds the score with its tempo
    };
    const std::vector<Case> cases = {
        {"Play button",
         [](OrnWindowController* w) { QTest::mouseClick(w->button(Button::Play), Qt::LeftButton); },
         false},
        {"Play/Stop", [this](OrnWindowController* w) { action(w, "actionPlay")->trigger(); },
         false},
        {"Copy", [this](OrnWindowController* w) { action(w, "actionCopy")->trigger(); }, true},
        {"Copy Steps",
         [this](OrnWindowController* w) {
             w->ornView()->setSelection(0, 8);
             action(w, "actionCopySteps")->trigger();
         },
         true},
        {"Export Audio",
         [&](OrnWindowController* w) {
             dialogs.savePaths = {dir.filePath(QStringLiteral("t.wav"))};
             action(w, "actionExportAudio")->trigger();
         },
         false},
        {"Export MIDI",
         [&](OrnWindowController* w) {
             dialogs.savePaths = {dir.filePath(QStringLiteral("t.mid"))};
             action(w, "actionExportMidi")->trigger();
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OrnWindowController* w = controller->newDocument();
        QGuiApplication::clipboard()->clear();
        typeTempo(w, QStringLiteral("150"));
        c.act(w);
        EXPECT_EQ(w->document()->score().tempo(), 150);
        EXPECT_TRUE(dialogs.savePaths.empty());
        const QString copied = QGuiApplication::clipboard()->text();
        EXPECT_EQ(copied.contains(QStringLiteral("TEMPO=150")), c.copies) << copied.toStdString();
        w->document()->stopPlaying();
    }
}

TEST_F(WindowSafety, TheSliderShowsEveryTempoOfTheBoxAndStepsFromIt) {
    struct Case {
        int tempo;
        Qt::Key key;
        int after;
    };
    const std::vector<Case> cases = {
        {10, Qt::Key_Right, 11},    {1, Qt::Key_Left, 1},      {20, Qt::Key_Left, 19},
        {400, Qt::Key_Right, 401},  {999, Qt::Key_Right, 999}, {10, Qt::Key_PageUp, 60},
        {960, Qt::Key_PageUp, 999}, {30, Qt::Key_PageDown, 1}, {700, Qt::Key_PageDown, 650},
    };
    OrnWindowController* w = controller->newDocument();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tempo);
        typeTempo(w, QString::number(c.tempo));
        QTest::keyClick(w->tempoText(), Qt::Key_Return);
        ASSERT_EQ(w->document()->score().tempo(), c.tempo);
        EXPECT_EQ(w->tempoSlider()->value(), c.tempo);
        QTest::keyClick(w->tempoSlider(), c.key);
        EXPECT_EQ(w->document()->score().tempo(), c.after);
        EXPECT_EQ(w->tempoSlider()->value(), c.after);
        EXPECT_EQ(w->tempoText()->value(), c.after);
    }
}

TEST_F(WindowSafety, DestroyingShownWindowsWithATypedTempoIsSafe) {
    OrnWindowController* first = controller->newDocument();
    OrnWindowController* second = controller->newDocument();
    first->activateWindow();
    typeTempo(first, QStringLiteral("77"));
    typeTempo(second, QStringLiteral("88"));
    QPointer<OrnWindowController> a(first);
    QPointer<OrnWindowController> b(second);
    ASSERT_TRUE(first->isVisible() && second->isVisible());
    controller.reset();
    EXPECT_TRUE(a.isNull());
    EXPECT_TRUE(b.isNull());
    controller = std::make_unique<DocumentController>(&dialogs, &prefs);
}

TEST_F(WindowSafety, ZoomKeepsAHeightSetByHandAndGrowsOnlyToFitTheStaff) {
    OrnWindowController* w = controller->newDocument();
    const int snug = w->height();
    const int chosen = snug + 300;
    w->resize(w->width(), chosen);
    action(w, "actionZoomOut")->trigger();
    EXPECT_EQ(w->height(), chosen);
    action(w, "actionZoomIn")->trigger();
    EXPECT_EQ(w->height(), chosen);
    // At the largest zoom the staff needs more than the chosen height.
    action(w, "actionZoomIn")->trigger();
    action(w, "actionZoomIn")->trigger();
    ASSERT_EQ(w->ornView()->zoom(), 4);
    const int fit = w->minimumSizeHint().height();
    EXPECT_EQ(w->height(), std::max(chosen, fit));
    action(w, "actionActualSize")->trigger();
    EXPECT_EQ(w->height(), std::max(chosen, fit));
}

} // namespace
