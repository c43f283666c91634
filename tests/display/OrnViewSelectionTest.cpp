// Selecting whole steps in the view: dragging in the running strip, Shift with
// the arrow keys, and clearing by Escape or a click on the staff.
#include "ViewTestUtil.h"

#include <QSignalSpy>
#include <QTest>

namespace {

using namespace display_test;

class OrnViewSelectionTest : public ViewTest {
  protected:
    // A point in the running strip above the centre of a step.
    QPoint stripPoint(int step) const { return {cellCentre(step, 1).x(), 10 * _view->zoom()}; }
    void drag(QPoint from, QPoint to) {
        mouse(QEvent::MouseButtonPress, Qt::LeftButton, from);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), _view->mapToGlobal(QPointF(to)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(_view.get(), &move);
        mouse(QEvent::MouseButtonRelease, Qt::LeftButton, to);
    }
    std::pair<int, int> selection() const {
        return {_view->selectionFirst(), _view->selectionCount()};
    }
};

TEST_F(OrnViewSelectionTest, DraggingInTheRunningStripSelectsWholeSteps) {
    struct Case {
        const char* name;
        int zoom;
        bool playing;
        int from;
        int to; // a step, or -1 for a point left of the view
        std::pair<int, int> selected;
    } const cases[] = {
        {"forward", 1, false, 3, 6, {3, 4}},
        {"backward", 1, false, 6, 3, {3, 4}},
        {"one step", 1, false, 8, 8, {8, 1}},
        {"zoom 3", 3, false, 3, 6, {3, 4}},
        {"past the left edge", 1, false, 3, -1, {0, 4}},
        {"playing", 1, true, 3, 6, {0, 0}},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        makeView(600, 134, c.zoom);
        _document.playing = c.playing;
        QSignalSpy changes(_view.get(), &OrnView::selectionChanged);
        drag(stripPoint(c.from), c.to < 0 ? QPoint(-40, 10) : stripPoint(c.to));
        EXPECT_EQ(selection(), c.selected) << c.name;
        EXPECT_EQ(changes.isEmpty(), c.selected.second == 0) << c.name;
        EXPECT_TRUE(_document.calls.empty()) << c.name << ": a drag is no click";
    }
}

TEST_F(OrnViewSelectionTest, ShiftArrowsSelectFromTheCellAndEscapeOrAClickClears) {
    makeView(600, 134, 1);
    mouse(QEvent::MouseMove, Qt::NoButton, cellCentre(5, 3));
    QTest::keyClick(_view.get(), Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(_view.get(), Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(selection(), std::make_pair(5, 3));
    EXPECT_EQ(_view->cursorPt(), QPointF(7, 3));
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(_view.get(), Qt::Key_Left, Qt::ShiftModifier);
    }
    EXPECT_EQ(selection(), std::make_pair(4, 2)) << "the selection keeps its anchor";
    QTest::keyClick(_view.get(), Qt::Key_Right);
    EXPECT_EQ(selection(), std::make_pair(4, 2)) << "a move without Shift keeps it";
    QTest::keyClick(_view.get(), Qt::Key_Escape);
    EXPECT_EQ(selection(), std::make_pair(0, 0));

    drag(stripPoint(2), stripPoint(4));
    ASSERT_EQ(selection(), std::make_pair(2, 3));
    click(Qt::LeftButton, cellCentre(9, 4), cellCentre(9, 4));
    EXPECT_EQ(selection(), std::make_pair(0, 0));
    EXPECT_EQ(_document.calls, std::vector<std::string>{"add 9 4"});
}

} // namespace
