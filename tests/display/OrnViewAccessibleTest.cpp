// The staff as a screen reader sees it: its name, and its description as the
// keys move the cell, select and edit. (The events that make the words heard
// need a real accessibility bus: the composer's end-to-end test listens.)
#include "display/OrnViewAccessible.h"

#include "ViewTestUtil.h"

#include <QAccessible>
#include <QKeyEvent>
#include <functional>

namespace {

using namespace display_test;

class OrnViewAccessibleTest : public ViewTest {
  protected:
    void SetUp() override {
        ViewTest::SetUp();
        makeView(600, 134, 1);
    }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(_view.get(), &event);
    }
    QAccessibleInterface* face() const {
        return QAccessible::queryAccessibleInterface(_view.get());
    }
    std::string description() const { return face()->text(QAccessible::Description).toStdString(); }
};

TEST_F(OrnViewAccessibleTest, IsTheFocusableScoreAndDescribesItsKeysUntilACellIsChosen) {
    ASSERT_NE(dynamic_cast<OrnViewAccessible*>(face()), nullptr);
    EXPECT_EQ(face()->text(QAccessible::Name), QStringLiteral("Score"));
    EXPECT_EQ(description(), _view->accessibleDescription().toStdString());
    EXPECT_TRUE(face()->state().focusable);
}

TEST_F(OrnViewAccessibleTest, DescribesTheCellAsTheKeysAndEditsChangeIt) {
    _document.mutableScore().addNoteAt(1, 6, 4);
    _document.mutableScore().setEnd(40);
    const std::string keys = _view->accessibleDescription().toStdString();
    struct Step {
        const char* what;
        std::function<void()> act;
        std::string spoken;
    };
    const Step steps[] = {
        {"first key", [&] { key(Qt::Key_Right); }, "Step 1, measure 1, beat 1, B4: empty"},
        {"right", [&] { key(Qt::Key_Right); }, "Step 2, measure 1, beat 2, B4: Star"},
        {"up", [&] { key(Qt::Key_Up); }, "Step 2, measure 1, beat 2, C5: empty; also Star on B4"},
        {"shift+right", [&] { key(Qt::Key_Right, Qt::ShiftModifier); },
         "Step 3, measure 1, beat 3, C5: empty; steps 2 to 3 selected"},
        {"an edit",
         [&] {
             _document.mutableScore().addNoteAt(2, 5, 1);
             _view->redraw();
         },
         "Step 3, measure 1, beat 3, C5: Zubo; steps 2 to 3 selected"},
        {"escape", [&] { key(Qt::Key_Escape); }, keys},
        {"end", [&] { _view->setSelection(39, 3); }, "steps 40 to 42 selected"},
    };
    for (const Step& s : steps) {
        s.act();
        EXPECT_EQ(description(), s.spoken) << s.what;
    }
}

} // namespace
