// The view's input: clicks, the wheel, file drags, keys and cursors, with a
// document that records every request.
#include "ViewTestUtil.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>

namespace {

using namespace display_test;
using Calls = std::vector<std::string>;

using OrnViewInputTest = ViewTest;

TEST_F(OrnViewInputTest, ReleasesInsideBecomeRequestsForTheCellUnderThem) {
    enum class Where { Cell, AboveBand, Outside };
    struct Case {
        const char* name;
        int zoom;
        Qt::MouseButton button;
        bool pressInside;
        Where release;
        bool playing;
        Calls calls;
        QPointF lit;
    };
    const Case cases[] = {
        {"left", 1, Qt::LeftButton, true, Where::Cell, false, {"add 5 3"}, {5, 3}},
        {"right", 1, Qt::RightButton, true, Where::Cell, false, {"remove 5 3"}, {5, 3}},
        {"zoom 2", 2, Qt::LeftButton, true, Where::Cell, false, {"add 5 3"}, {5, 3}},
        {"above the band", 1, Qt::LeftButton, true, Where::AboveBand, false, {"add 0 0"}, {0, 0}},
        {"right above", 2, Qt::RightButton, true, Where::AboveBand, false, {"remove 0 0"}, {0, 0}},
        {"released outside", 1, Qt::LeftButton, true, Where::Outside, false, {}, {0, 0}},
        {"pressed elsewhere", 1, Qt::LeftButton, false, Where::Cell, false, {}, {0, 0}},
        {"playing", 1, Qt::LeftButton, true, Where::Cell, true, {}, {0, 0}},
        {"right, playing", 1, Qt::RightButton, true, Where::Cell, true, {}, {0, 0}},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        makeView(600, 134, c.zoom);
        _document.playing = c.playing;
        const QPoint cell = cellCentre(5, 3);
        const QPoint release = c.release == Where::Cell        ? cell
                               : c.release == Where::AboveBand ? QPoint(cell.x(), c.zoom)
                                                               : QPoint(cell.x(), -5);
        if (c.pressInside) {
            mouse(QEvent::MouseButtonPress, c.button, cell);
        }
        mouse(QEvent::MouseButtonRelease, c.button, release);
        EXPECT_EQ(_document.calls, c.calls) << c.name;
        EXPECT_EQ(_view->cursorPt(), c.lit) << c.name;
        _document.calls.clear();
    }
}

TEST_F(OrnViewInputTest, MovesHighlightTheCellKeepItOffTheCellsOrIgnoreWhilePlaying) {
    makeView(600, 134, 2);
    mouse(QEvent::MouseMove, Qt::NoButton, cellCentre(2, 13));
    EXPECT_EQ(_view->cursorPt(), QPointF(2, 13));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(_view.get(), &leave);
    EXPECT_EQ(_view->cursorPt(), QPointF(2, 13)); // leaving keeps the highlight
    mouse(QEvent::MouseMove, Qt::LeftButton, QPoint(-3, 40));
    EXPECT_EQ(_view->cursorPt(), QPointF(2, 13)); // so does a drag out of the view
    _document.playing = true;
    mouse(QEvent::MouseMove, Qt::NoButton, cellCentre(3, 12));
    EXPECT_EQ(_view->cursorPt(), QPointF(2, 13));
}

TEST_F(OrnViewInputTest, WheelScrollsWithinTheSliderOrChoosesTheTool) {
    struct Case {
        const char* name;
        int wheelFor;
        float start;
        std::vector<QPoint> angles;
        float end;
        Calls calls;
        bool playing = false;
    };
    const Case cases[] = {
        {"dx 3 dy 2", 0, 100, {{360, 240}}, 95, {}},
        {"dx 20", 0, 100, {{2400, 0}}, 92, {}},
        {"dx -20", 0, 100, {{-2400, 0}}, 108, {}},
        {"floor", 0, 3, {{2400, 0}}, 0, {}},
        {"ceiling", 0, 958, {{-960, 0}}, 960, {}},
        {"touchpad halves", 0, 100, {{0, 60}, {0, 60}}, 99, {}},
        {"three of +2", 1, 100, {{0, 240}, {0, 240}, {0, 240}}, 100, {"inst -1 0"}},
        {"-10 resets", 1, 100, {{0, -1200}, {0, 240}, {0, 240}}, 100, {"inst 1 0"}},
        {"x still scrolls", 1, 100, {{240, 720}}, 98, {"inst -1 0"}},
        {"playing", 1, 100, {{240, 720}}, 100, {}, true},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        makeView(600, 134, 1);
        _document.wheelFor = c.wheelFor;
        _view->scrollTo(c.start, true);
        _document.playing = c.playing;
        for (QPoint angle : c.angles) {
            wheel(angle.x(), angle.y());
        }
        EXPECT_EQ(sliderPosition(), c.end) << c.name;
        EXPECT_EQ(_view->imageInfo().playingPosition, c.end) << c.name;
        EXPECT_EQ(_document.calls, c.calls) << c.name;
        _document.calls.clear();
    }
}

TEST_F(OrnViewInputTest, OneLocalFileIsLinkedOrCopiedAndAnythingElseRefused) {
    struct Case {
        const char* name;
        QList<QUrl> urls;
        Qt::DropActions offered;
        Qt::DropAction answer;
        Calls calls;
    };
    const QUrl file = QUrl::fromLocalFile("/tmp/a.orn");
    const Case cases[] = {
        {"copy and link",
         {file},
         Qt::CopyAction | Qt::LinkAction,
         Qt::LinkAction,
         {"drop /tmp/a.orn link"}},
        {"copy", {file}, Qt::CopyAction | Qt::MoveAction, Qt::CopyAction, {"drop /tmp/a.orn copy"}},
        {"move only", {file}, Qt::MoveAction, Qt::IgnoreAction, {}},
        {"two files",
         {file, QUrl::fromLocalFile("/tmp/b.orn")},
         Qt::CopyAction,
         Qt::IgnoreAction,
         {}},
        {"remote", {QUrl("https://example.org/a.orn")}, Qt::CopyAction, Qt::IgnoreAction, {}},
        {"text", {}, Qt::CopyAction, Qt::IgnoreAction, {}},
    };
    for (const Case& c : cases) {
        QMimeData mime;
        if (c.urls.isEmpty()) {
            mime.setText("SCORE=");
        } else {
            mime.setUrls(c.urls);
        }
        QDragEnterEvent enter(QPoint(5, 5), c.offered, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(_view.get(), &enter);
        EXPECT_EQ(enter.isAccepted() ? enter.dropAction() : Qt::IgnoreAction, c.answer) << c.name;
        QDropEvent drop(QPointF(5, 5), c.offered, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(_view.get(), &drop);
        // The drop is handled once the drag is over, not inside its event.
        EXPECT_TRUE(_document.calls.empty()) << c.name;
        QCoreApplication::processEvents();
        EXPECT_EQ(_document.calls, c.calls) << c.name;
        _document.calls.clear();
    }
}

TEST_F(OrnViewInputTest, KeysMoveTheCellKeepItInSightAndActLikeClicks) {
    struct Case {
        const char* name;
        float start;
        std::vector<int> keys;
        QPointF cell;
        float position;
        Calls calls;
        bool playing = false;
    };
    const int end = 200;
    const Case cases[] = {
        {"first arrow at the position", 20, {Qt::Key_Down}, {20, 6}, 20, {}},
        {"arrows", 20, {Qt::Key_Up, Qt::Key_Right, Qt::Key_Up, Qt::Key_Up}, {21, 4}, 20, {}},
        {"note limits",
         20,
         {Qt::Key_Up, Qt::Key_Up, Qt::Key_Up, Qt::Key_Up, Qt::Key_Up, Qt::Key_Up, Qt::Key_Down},
         {20, 2},
         20,
         {}},
        {"step limit", 0, {Qt::Key_Up, Qt::Key_Left, Qt::Key_Left}, {0, 6}, 0, {}},
        {"return and delete",
         20,
         {Qt::Key_Up, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Delete, Qt::Key_Backspace},
         {20, 6},
         20,
         {"add 20 6", "add 20 6", "remove 20 6", "remove 20 6"}},
        {"nothing lit", 20, {Qt::Key_Return, Qt::Key_Delete}, {0, 0}, 20, {}},
        {"page down, up",
         20,
         {Qt::Key_PageDown, Qt::Key_PageDown, Qt::Key_PageUp},
         {0, 0},
         38.75f,
         {}},
        {"end", 20, {Qt::Key_End}, {0, 0}, float(end), {}},
        // Past either edge the staff follows so that the whole icon shows.
        {"right past the edge", 0, {Qt::Key_Up, 20, Qt::Key_Right}, {20, 6}, 9.0625f, {}},
        {"left past the edge", 100, {Qt::Key_Up, 8, Qt::Key_Left}, {92, 6}, 99.3125f, {}},
        {"home", 20, {Qt::Key_Home}, {0, 0}, 0, {}},
        {"playing", 20, {Qt::Key_Up, Qt::Key_Return, Qt::Key_End}, {0, 0}, 20, {}, true},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        _document.mutableScore().setEnd(end);
        makeView(600, 134, 1);
        _view->scrollTo(c.start, true);
        _document.playing = c.playing;
        // A number n in the list repeats the key after it n times.
        int repeat = 1;
        for (int key : c.keys) {
            if (key < 100) {
                repeat = key;
                continue;
            }
            for (; repeat > 0; --repeat) {
                QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
                QApplication::sendEvent(_view.get(), &press);
            }
            repeat = 1;
        }
        EXPECT_EQ(_view->cursorPt(), c.cell) << c.name;
        EXPECT_EQ(_view->imageInfo().playingPosition, c.position) << c.name;
        EXPECT_EQ(_document.calls, c.calls) << c.name;
        _document.calls.clear();
    }
}

TEST_F(OrnViewInputTest, CursorsAreTheCrispIconsWithTheHotSpotScaled) {
    for (int zoom : {1, 2}) {
        _view->setZoom(zoom);
        for (int index : {0, 15, 16}) {
            _view->changeCursor(index);
            EXPECT_EQ(_view->currentCursor(), index);
            EXPECT_EQ(_view->cursor().hotSpot(), QPoint(7, 7) * zoom);
            const QImage shown = _view->cursor().pixmap().toImage().convertToFormat(
                QImage::Format_ARGB32_Premultiplied);
            const QImage expected =
                _icons->zuboIcon(index)
                    ->scaled(16 * zoom, 16 * zoom, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                    .convertToFormat(QImage::Format_ARGB32_Premultiplied);
            EXPECT_EQ(shown, expected) << index << " at zoom " << zoom;
        }
    }
}

} // namespace
