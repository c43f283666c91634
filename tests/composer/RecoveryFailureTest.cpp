// Copies that start failing after the start (a disk that fills up): the user
// hears of it once for each cause, and the status bar says so until copies
// are written again.
#include "composer/RecoveryNotice.h"

#include <QLabel>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>

#include <functional>

#include "RecoveryTestUtil.h"

namespace {

using recoverytest::Recovery;
using recoverytest::textOf;

// The status bar note `w` shows, or empty.
QString noteOf(OrnWindowController* w) {
    const auto* label =
        w->statusBar()->findChild<QLabel*>(QLatin1String(RecoveryNotice::kNoteName));
    return label != nullptr && label->isVisible() ? label->text() : QString();
}

TEST_F(Recovery, FailingCopiesAreToldOncePerCauseAndNotedUntilTheyWorkAgain) {
    OrnWindowController* w = controller->newDocument();
    w->document()->undoableAddNoteAt(1, 4, 3);
    ASSERT_EQ(kept(w), textOf(w->document()->score()));
    const QString instance = store.instanceFolder();
    const QString copy = QDir(instance).filePath(QStringLiteral("1.orn"));
    // Failures that root meets as well: the folder replaced by a file, and
    // the copy by a folder.
    const auto folderIsFile = [&] {
        ASSERT_TRUE(QDir(instance).removeRecursively());
        QFile file(instance);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    };
    const auto copyIsFolder = [&] {
        ASSERT_TRUE(QFile::remove(instance));
        ASSERT_TRUE(QDir().mkpath(copy));
    };
    const auto repaired = [&] { ASSERT_TRUE(QDir(copy).removeRecursively()); };
    const struct {
        const char* name;
        std::function<void()> act;
        size_t alerts; // in all, so far
        QString cause; // in the alert and the note; empty when copies work
    } steps[] = {
        {"the folder turns into a file", folderIsFile, 1, QStringLiteral("Not a directory")},
        {"the same cause again", [] {}, 1, QStringLiteral("Not a directory")},
        {"another cause", copyIsFolder, 2, QStringLiteral("Is a directory")},
        {"copies work again", repaired, 2, QString()},
        {"failing again", folderIsFile, 3, QStringLiteral("Not a directory")},
    };
    const auto* keeper = w->document()->findChild<RecoveryKeeper*>();
    QSignalSpy writes(keeper, &RecoveryKeeper::written);
    OrnWindowController* later = nullptr;
    int note = 2;
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        step.act();
        // A change, or the retry of a failed copy, writes within the interval.
        w->document()->undoableAddNoteAt(++note, 4, 3);
        const qsizetype before = writes.size();
        ASSERT_TRUE(QTest::qWaitFor([&] { return writes.size() > before; }, 10000));
        EXPECT_EQ(writes.last().value(0).toString(), step.cause);
        ASSERT_EQ(dialogs.alerts.size(), step.alerts);
        EXPECT_EQ(dialogs.alerts.back().title, QStringLiteral("Cannot Keep Unsaved Work"));
        if (!step.cause.isEmpty()) {
            EXPECT_TRUE(dialogs.alerts.back().detail.contains(step.cause));
            EXPECT_TRUE(dialogs.alerts.back().detail.contains(store.folder()));
        }
        if (later == nullptr) {
            // A window opened meanwhile shows the note too.
            later = controller->newDocument();
        }
        for (OrnWindowController* window : {w, later}) {
            EXPECT_EQ(noteOf(window).isEmpty(), step.cause.isEmpty());
            EXPECT_TRUE(noteOf(window).contains(step.cause));
        }
    }
}

} // namespace
