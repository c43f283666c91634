// The real program in a real (virtual) X server, driven by real pointer and
// key events: place two notes, undo one, play, save; then the saved file and
// pictures of the window are checked. And a program killed after an edit
// offers the edited score at its next start.
#include <QImage>

#include <algorithm>

#include "XvfbSession.h"

namespace {

using namespace xvfbtest;

// Whether two pictures differ anywhere in rows [top, bottom).
bool differ(const QImage& a, const QImage& b, int top, int bottom) {
    for (int y = std::max(top, 0); y < bottom && y < a.height() && y < b.height(); ++y) {
        for (int x = 0; x < a.width() && x < b.width(); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y)) {
                return true;
            }
        }
    }
    return false;
}

TEST_F(XvfbEndToEnd, PlaceUndoPlayAndSave) {
    // A copy of an example, so that the pictures show a song.
    const QString song = copyExample();
    ASSERT_FALSE(song.isEmpty());
    const int notesBefore = countNotes(song);
    ASSERT_GT(notesBefore, 0);
    program.setProcessEnvironment(env);
    program.start(binary("zubo-sequencer"), {song});
    ASSERT_TRUE(program.waitForStarted(kTimeoutMs));
    window = findWindow();
    ASSERT_FALSE(window.isEmpty()) << "no window appeared";
    QThread::msleep(500);

    const QImage still = grab(QStringLiteral("still.png"));
    ASSERT_FALSE(still.isNull());
    const std::vector<int> lines = staffLineRows(still);
    ASSERT_EQ(lines.size(), 5U) << "the staff is not visible";

    // Two clicks on the top line (a note), at two different steps; the
    // second is undone.
    const int w = still.width();
    click(w / 2, lines[0]);
    click(w * 3 / 4, lines[0]);
    key(QStringLiteral("ctrl+z"));

    key(QStringLiteral("space"));
    QThread::msleep(700);
    const QImage playing1 = grab(QStringLiteral("playing1.png"));
    QThread::msleep(700);
    const QImage playing2 = grab(QStringLiteral("playing2.png"));
    key(QStringLiteral("space"));
    // The runner runs in the strip above the staff.
    EXPECT_TRUE(differ(playing1, playing2, 0, lines[0])) << "nothing moved while playing";

    key(QStringLiteral("ctrl+s"));
    // The program saves when it gets to the key; a slow build takes longer.
    QElapsedTimer clock;
    clock.start();
    while (countNotes(song) != notesBefore + 1 && clock.elapsed() < kTimeoutMs) {
        QThread::msleep(100);
    }
    EXPECT_EQ(countNotes(song), notesBefore + 1);

    // The picture the guide shows.
    still.save(QString::fromLocal8Bit(ZUBO_TEST_BIN_DIR) + QStringLiteral("/../composer.png"));
    playing1.save(QString::fromLocal8Bit(ZUBO_TEST_BIN_DIR) +
                  QStringLiteral("/../composer-playing.png"));
    key(QStringLiteral("ctrl+q"));
    EXPECT_TRUE(program.waitForFinished(kTimeoutMs));
}

TEST_F(XvfbEndToEnd, AKilledProgramOffersItsEditsAtTheNextStart) {
    const QString song = copyExample();
    ASSERT_FALSE(song.isEmpty());
    const int notesBefore = countNotes(song);
    const QString data = folder.filePath(QStringLiteral("data"));
    env.insert(QStringLiteral("ZUBO_RECOVERY_INTERVAL_MS"), QStringLiteral("400"));
    program.setProcessEnvironment(env);
    program.start(binary("zubo-sequencer"), {song});
    ASSERT_TRUE(program.waitForStarted(kTimeoutMs));
    window = findWindow();
    ASSERT_FALSE(window.isEmpty()) << "no window appeared";
    QThread::msleep(500);
    const QImage still = grab(QStringLiteral("before.png"));
    const std::vector<int> lines = staffLineRows(still);
    ASSERT_EQ(lines.size(), 5U) << "the staff is not visible";

    // The first edit is kept at once; the second once the interval is over.
    click(still.width() / 2, lines[0]);
    QString kept;
    ASSERT_TRUE(waitFor([&] {
        const auto files = recoveryFiles(data);
        kept = files.size() == 1 && files.first().size() == 1 ? files.first().first() : QString();
        return !kept.isEmpty() && countNotes(kept) == notesBefore + 1;
    })) << "the edit was not kept";
    click(still.width() * 3 / 4, lines[0]);
    ASSERT_TRUE(waitFor([&] { return countNotes(kept) == notesBefore + 2; }))
        << "the second edit was not kept";
    const std::string edited = scoreText(kept);
    const QString killedInstance = recoveryFiles(data).firstKey();

    program.kill();
    ASSERT_TRUE(program.waitForFinished(kTimeoutMs));
    EXPECT_EQ(countNotes(song), notesBefore) << "the song itself was changed";

    // The next start offers them.
    ASSERT_NO_FATAL_FAILURE(startAndRestore());
    ASSERT_FALSE(window.isEmpty()) << "the document was not restored";

    // The restored document is kept again by the new instance, and the
    // killed one's files are gone.
    QString restored;
    ASSERT_TRUE(waitFor([&] {
        const auto files = recoveryFiles(data);
        restored = files.size() == 1 && !files.contains(killedInstance) &&
                           files.first().size() == 1
                       ? files.first().first()
                       : QString();
        return !restored.isEmpty();
    })) << "the restored document is not kept, or the old files are still there";
    EXPECT_EQ(scoreText(restored), edited);
}

} // namespace
