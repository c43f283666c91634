// A shutdown, a kill or a closed terminal keeps every edited document's last
// state for the next start, in the test's process and in the real program.
#include "composer/ShutdownSignals.h"

#include <QTest>

#include <csignal>
#include <memory>

#include "RecoveryTestUtil.h"
#include "XvfbSession.h"

namespace {

using recoverytest::Recovery;
using recoverytest::textOf;
using xvfbtest::XvfbEndToEnd;
using namespace std::chrono_literals;

TEST_F(Recovery, AnEndSignalKeepsTheLastEditsForTheNextStart) {
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(signal);
        RecoveryStore ending(store.folder());
        auto composer = std::make_unique<DocumentController>(&dialogs, &prefs);
        composer->setOutputMaker([this]() -> std::unique_ptr<AudioOutput> {
            return std::make_unique<doctest::ManualAudioOutput>(log, openResult);
        });
        // Only each document's first change is written at once.
        composer->setRecoveryStore(&ending, 1h);
        OrnWindowController* a = composer->newDocument();
        a->document()->undoableAddNoteAt(1, 4, 3);
        a->document()->undoableAddNoteAt(2, 4, 3);
        OrnWindowController* b = composer->newDocument();
        b->document()->undoableAddNoteAt(3, 4, 3);
        b->document()->toggleLoop();
        const QByteArrayList last = {textOf(a->document()->score()),
                                     textOf(b->document()->score())};
        {
            const ShutdownSignals catcher;
            int received = 0;
            QObject::connect(&catcher, &ShutdownSignals::received, [&](int caught) {
                received = caught;
                composer->leaveUnsavedWork();
            });
            ASSERT_EQ(std::raise(signal), 0);
            ASSERT_TRUE(QTest::qWaitFor([&] { return received != 0; }, 10000));
            EXPECT_EQ(received, signal);
        }
        // The windows go with the program; the copies stay, unlocked.
        composer.reset();
        QLockFile lock(ending.instanceFolder() + QStringLiteral(".lock"));
        EXPECT_TRUE(lock.tryLock(0)) << "the ended instance still holds its folder";
        lock.unlock();

        RecoveryStore next(store.folder());
        ASSERT_TRUE(next.open());
        QByteArrayList offered;
        for (const RecoveryStore::Leftover& leftover : next.takeLeftovers()) {
            offered << leftover.text;
        }
        EXPECT_EQ(offered, last);
        next.discardLeftovers();
    }
}

TEST_F(XvfbEndToEnd, ATerminatedProgramKeepsItsLastEditsForTheNextStart) {
    const QString song = copyExample();
    ASSERT_FALSE(song.isEmpty());
    const int notesBefore = xvfbtest::countNotes(song);
    const QString data = folder.filePath(QStringLiteral("data"));
    // Only the first edit is written at once; the others would wait a minute.
    env.insert(QStringLiteral("ZUBO_RECOVERY_INTERVAL_MS"), QStringLiteral("60000"));
    program.setProcessEnvironment(env);
    program.start(xvfbtest::binary("zubo-sequencer"), {song});
    ASSERT_TRUE(program.waitForStarted(xvfbtest::kTimeoutMs));
    window = findWindow();
    ASSERT_FALSE(window.isEmpty()) << "no window appeared";
    QThread::msleep(500);
    const QImage still = grab(QStringLiteral("before.png"));
    const std::vector<int> lines = xvfbtest::staffLineRows(still);
    ASSERT_EQ(lines.size(), 5U) << "the staff is not visible";
    for (const int x : {still.width() / 2, still.width() * 5 / 8, still.width() * 3 / 4}) {
        click(x, lines[0]);
    }

    program.terminate();
    ASSERT_TRUE(program.waitForFinished(xvfbtest::kTimeoutMs));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 128 + SIGTERM);
    const auto files = xvfbtest::recoveryFiles(data);
    ASSERT_EQ(files.size(), 1);
    ASSERT_EQ(files.first().size(), 1);
    EXPECT_EQ(xvfbtest::countNotes(files.first().first()), notesBefore + 3);
    const std::string edited = xvfbtest::scoreText(files.first().first());

    // The next start offers them.
    ASSERT_NO_FATAL_FAILURE(startAndRestore());
    ASSERT_FALSE(window.isEmpty()) << "the document was not restored";
    QString restored;
    ASSERT_TRUE(xvfbtest::waitFor([&] {
        const auto now = xvfbtest::recoveryFiles(data);
        restored = now.size() == 1 && now.first().size() == 1 && now.firstKey() != files.firstKey()
                       ? now.first().first()
                       : QString();
        return !restored.isEmpty();
    })) << "the restored document is not kept again";
    EXPECT_EQ(xvfbtest::scoreText(restored), edited);
}

} // namespace
