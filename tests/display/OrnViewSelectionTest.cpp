// Selecting whole steps in the view: dragging in the running strip, Shift with
// the arrow keys, and clearing by Escape or a click on the staff.
#include "ViewTestUtil.h"

#include <QTest>

namespace {

using namespace display_test;
using Selection = std::pair<int, int>;
constexpr int kPastRight = 10000;

class OrnViewSelectionTest : public ViewTest {
  protected:
    // A point in the running strip above step `step`, or left or right
    // (kPastRight) of the view.
    QPoint strip(int step) const {
        const int x = step < 0             ? -40
                      : step == kPastRight ? _view->width() + 40
                                           : cellCentre(step, 1).x();
        return {x, 10 * _view->zoom()};
    }
    void drag(QPoint from, QPoint to, int moves = 1) {
        mouse(QEvent::MouseButtonPress, Qt::LeftButton, from);
        for (int i = 0; i < moves; ++i) {
            QMouseEvent move(QEvent::MouseMove, QPointF(to), _view->mapToGlobal(QPointF(to)),
                             Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(_view.get(), &move);
        }
        mouse(QEvent::MouseButtonRelease, Qt::LeftButton, to);
    }
    Selection selection() const { return {_view->selectionFirst(), _view->selectionCount()}; }
};

TEST_F(OrnViewSelectionTest, DraggingInTheRunningStripSelectsWholeSteps) {
    struct Case {
        const char* name;
        int zoom;
        bool playing;
        int from;
        int to;
        Selection selected;
    } const cases[] = {
        {"forward", 1, false, 3, 6, {3, 4}}, {"backward", 1, false, 6, 3, {3, 4}},
        {"zoom 3", 3, false, 3, 6, {3, 4}},  {"past the left edge", 1, false, 3, -1, {0, 4}},
        {"playing", 1, true, 3, 6, {0, 0}},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        makeView(600, 134, c.zoom);
        _document.playing = c.playing;
        drag(strip(c.from), strip(c.to));
        EXPECT_EQ(selection(), c.selected) << c.name;
        EXPECT_TRUE(_document.calls.empty()) << c.name << ": a drag is no click";
    }
}

TEST_F(OrnViewSelectionTest, EachMovePastTheRightEdgeScrollsOneStepIn) {
    // Steps 0..16 are in sight at first.
    for (const auto& [moves, selected] :
         {std::pair{1, Selection(3, 15)}, {2, Selection(3, 16)}, {4, Selection(3, 18)}}) {
        TearDown();
        SetUp();
        makeView(600, 134, 1);
        drag(strip(3), strip(kPastRight), moves);
        EXPECT_EQ(selection(), selected) << moves;
        const auto inSight = [&](int step) {
            return !OrnPainter::cursorRect(_view->imageInfo(), step, 1).isNull();
        };
        EXPECT_TRUE(inSight(16 + moves)) << "the last selected step is in sight";
        EXPECT_FALSE(inSight(17 + moves)) << "scrolled too far";
    }
}

TEST_F(OrnViewSelectionTest, ShiftArrowsSelectFromTheCellAndEscapeOrAClickClears) {
    makeView(600, 134, 1);
    mouse(QEvent::MouseMove, Qt::NoButton, cellCentre(5, 3));
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        Selection selected;
    } keys[] = {
        {Qt::Key_Right, Qt::ShiftModifier, {5, 2}}, {Qt::Key_Right, Qt::ShiftModifier, {5, 3}},
        {Qt::Key_Left, Qt::ShiftModifier, {5, 2}},  {Qt::Key_Left, Qt::ShiftModifier, {5, 1}},
        {Qt::Key_Left, Qt::ShiftModifier, {4, 2}},  {Qt::Key_Right, Qt::NoModifier, {4, 2}},
        {Qt::Key_Escape, Qt::NoModifier, {0, 0}},
    };
    for (const auto& k : keys) {
        QTest::keyClick(_view.get(), k.key, k.modifiers);
        EXPECT_EQ(selection(), k.selected) << _view->cursorPt().x();
    }
    // After a drag the keys go on from the dragged end, not from the cell.
    const struct {
        int from;
        int to;
        Qt::Key key;
        Selection selected;
    } drags[] = {
        {2, 4, Qt::Key_Right, {2, 4}},
        {6, 4, Qt::Key_Left, {3, 4}},
        {4, 4, Qt::Key_Left, {3, 2}},
    };
    for (const auto& d : drags) {
        drag(strip(d.from), strip(d.to));
        QTest::keyClick(_view.get(), d.key, Qt::ShiftModifier);
        EXPECT_EQ(selection(), d.selected) << d.from << ".." << d.to;
    }
    drag(strip(2), strip(4));
    ASSERT_EQ(selection(), Selection(2, 3));
    click(Qt::LeftButton, cellCentre(9, 4), cellCentre(9, 4));
    EXPECT_EQ(selection(), Selection(0, 0));
    EXPECT_EQ(_document.calls, std::vector<std::string>{"add 9 4"});
}

} // namespace
