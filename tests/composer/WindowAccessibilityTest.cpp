// The window from the keyboard and as a screen reader reads it: the palette
// by Tab, arrows, Space and Return; F6 round the window's parts; the
// toggles' checked states, the current tool's name and the status bar's.
#include "ComposerTestUtil.h"
#include "composer/PictureWrapDialog.h"
#include "composer/PreferencesDialog.h"
#include "display/OrnView.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QDockWidget>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

namespace {

using Button = MyDocumentOutlets::Button;
using WindowAccessibility = composertest::ComposerTest;

OrnWindowController* shownWindow(DocumentController& controller) {
    OrnWindowController* w = controller.newDocument();
    w->show();
    w->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(w));
    return w;
}

TEST_F(WindowAccessibility, ThePaletteIsChosenFromTheKeyboardWithoutPlaying) {
    OrnWindowController* w = shownWindow(*controller);
    MyDocument* doc = w->document();
    QToolButton* zubo = w->button(Button::Zubo);
    zubo->setFocus(Qt::TabFocusReason);
    struct Step {
        int key;
        Button focused;
        int tool;
    };
    const Step steps[] = {
        {Qt::Key_Right, Button::Rezedo, 0},  {Qt::Key_Right, Button::Dozevid, 0},
        {Qt::Key_Space, Button::Dozevid, 2}, {Qt::Key_Left, Button::Rezedo, 2},
        {Qt::Key_Return, Button::Rezedo, 1}, {Qt::Key_Left, Button::Zubo, 1},
        {Qt::Key_Left, Button::Erase, 1},    {Qt::Key_Right, Button::Zubo, 1},
    };
    for (const Step& s : steps) {
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(s.key));
        EXPECT_EQ(QApplication::focusWidget(), w->button(s.focused)) << s.key;
        EXPECT_EQ(doc->selectedInst(), s.tool) << s.key;
        EXPECT_FALSE(doc->isPlaying()) << "Space on a tool chooses it";
    }
    EXPECT_EQ(w->button(Button::InstSelected)->accessibleName(), QStringLiteral("Tool: Rezedo"));
}

TEST_F(WindowAccessibility, F6GoesRoundTheToolBarTheStaffAndTheOpenPalette) {
    OrnWindowController* w = shownWindow(*controller);
    action(w, "actionShortcuts")->trigger();
    auto* list = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()
                                                ? QApplication::activeModalWidget()
                                                : w->findChild<QMessageBox*>());
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->text().contains(QStringLiteral("F6"))) << "the key is listed";
    list->close();
    w->document()->changeInstRelatively(3);
    w->ornView()->setFocus();
    QWidget* const star = w->button(Button::Star);
    QWidget* const play = w->button(Button::Play);
    QWidget* const staff = w->ornView();
    const struct {
        Qt::KeyboardModifiers modifiers;
        bool paletteOpen;
        QWidget* focused;
    } steps[] = {
        {Qt::NoModifier, true, star},    {Qt::NoModifier, true, play},
        {Qt::NoModifier, true, staff},   {Qt::ShiftModifier, true, play},
        {Qt::ShiftModifier, true, star}, {Qt::NoModifier, false, play},
        {Qt::NoModifier, false, staff},  {Qt::NoModifier, false, play},
    };
    for (const auto& s : steps) {
        w->drawer()->setVisible(s.paletteOpen);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6, s.modifiers);
        EXPECT_EQ(QApplication::focusWidget(), s.focused)
            << (QApplication::focusWidget() ? QApplication::focusWidget()->accessibleName()
                                            : QString())
                   .toStdString();
    }
}

TEST_F(WindowAccessibility, TogglesAreCheckedAsTheirPicturesShowAndTheToolIsNamed) {
    OrnWindowController* w = controller->newDocument();
    MyDocument* doc = w->document();
    const auto checked = [w](Button b) { return w->button(b)->isChecked(); };
    for (Button b : {Button::Play, Button::Stop, Button::Loop, Button::Measure3, Button::Measure4,
                     Button::Erase}) {
        EXPECT_TRUE(w->button(b)->isCheckable()) << static_cast<int>(b);
    }
    EXPECT_FALSE(checked(Button::Play));
    EXPECT_TRUE(checked(Button::Stop));
    EXPECT_TRUE(checked(Button::Measure4));
    EXPECT_FALSE(checked(Button::Measure3));
    // A click toggles the button itself first; the document's answer wins.
    w->button(Button::Measure4)->click();
    EXPECT_TRUE(checked(Button::Measure4));
    w->button(Button::Measure3)->click();
    EXPECT_TRUE(checked(Button::Measure3));
    EXPECT_FALSE(checked(Button::Measure4));
    const bool loop = doc->score().loop();
    w->button(Button::Loop)->click();
    EXPECT_EQ(checked(Button::Loop), !loop);

    EXPECT_EQ(w->button(Button::InstSelected)->accessibleName(), QStringLiteral("Tool: Zubo"));
    doc->changeInstRelatively(-1);
    EXPECT_EQ(w->button(Button::InstSelected)->accessibleName(), QStringLiteral("Tool: End mark"));
    doc->toggleEraser();
    EXPECT_TRUE(checked(Button::Erase));
}

TEST_F(WindowAccessibility, TheStatusBarIsNamedByItsMessage) {
    OrnWindowController* w = controller->newDocument();
    EXPECT_EQ(w->statusBar()->accessibleName(), QStringLiteral("Status"));
    w->showStatus(QStringLiteral("Exported song.wav"));
    EXPECT_EQ(w->statusBar()->accessibleName(), QStringLiteral("Exported song.wav"));
    w->statusBar()->clearMessage();
    EXPECT_EQ(w->statusBar()->accessibleName(), QStringLiteral("Status"));
}

TEST_F(WindowAccessibility, DialogsTieTheirLabelsToFieldsAndHaveADefaultButton) {
    PreferencesDialog preferences(&prefs);
    PictureWrapDialog picture(0);
    for (QDialog* dialog : std::initializer_list<QDialog*>{&preferences, &picture}) {
        dialog->show();
        const std::string title = dialog->windowTitle().toStdString();
        for (QLabel* label : dialog->findChildren<QLabel*>()) {
            if (label->text().contains(QLatin1Char('&'))) {
                EXPECT_NE(label->buddy(), nullptr) << title << ": " << label->text().toStdString();
            }
        }
        // The fields, not their parts (a spin box's line edit).
        for (QWidget* field : dialog->findChildren<QWidget*>()) {
            const bool isField = qobject_cast<QAbstractSpinBox*>(field) != nullptr ||
                                 qobject_cast<QComboBox*>(field) != nullptr;
            EXPECT_FALSE(isField && field->accessibleName().isEmpty())
                << title << ": " << field->metaObject()->className();
        }
        const auto buttons = dialog->findChildren<QPushButton*>();
        EXPECT_TRUE(std::any_of(buttons.begin(), buttons.end(), [](QPushButton* b) {
            return b->isDefault();
        })) << title;
    }
}

} // namespace
