#include "composer/RecoveryKeeper.h"
#include "composer/RecoveryStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <chrono>
#include <functional>
#include <vector>

#include "RecoveryTestUtil.h"

namespace {

using Answer = Dialogs::RestoreAnswer;
using composertest::ComposerTest;
using recoverytest::abandon;
using recoverytest::Recovery;
using recoverytest::scoreText;
using recoverytest::textOf;
using namespace std::chrono_literals;

class RecoveryStoreTest : public ::testing::Test {
protected:
    QTemporaryDir root;
};

TEST_F(RecoveryStoreTest, OnlyInstancesThatHaveGoneLeaveDocuments) {
    RecoveryStore first(root.path());
    ASSERT_TRUE(first.open());
    // Names as documents have them, some with characters a line cannot hold.
    const QStringList names = {QStringLiteral("ode.orn"), QStringLiteral("Untitled 2"),
                               QStringLiteral("50% \u00e9t\u00e9\n\r.orn")};
    std::vector<int> ids;
    for (qsizetype i = 0; i < names.size(); ++i) {
        ids.push_back(first.newId());
        ASSERT_TRUE(first.write(ids.back(), names[i], scoreText({static_cast<int>(i) + 1})));
    }
    // A write replaces; a removed document is not left behind.
    ASSERT_TRUE(first.write(ids[0], names[0], scoreText({7, 8})));
    const int gone = first.newId();
    ASSERT_TRUE(first.write(gone, QStringLiteral("gone.orn"), scoreText({})));
    first.remove(gone);

    RecoveryStore second(root.path());
    ASSERT_TRUE(second.open());
    EXPECT_TRUE(second.takeLeftovers().isEmpty()) << "a running instance's documents were taken";

    abandon(first, QDir(root.path()).filePath(QStringLiteral("killed")));
    const auto leftovers = second.takeLeftovers();
    ASSERT_EQ(leftovers.size(), 3);
    for (qsizetype i = 0; i < 3; ++i) {
        EXPECT_EQ(leftovers[i].name, names[i]);
    }
    EXPECT_EQ(leftovers[0].text, scoreText({7, 8}));
    EXPECT_EQ(leftovers[2].text, scoreText({3}));
    // Taken once, they are not offered twice, not even to a third instance.
    EXPECT_TRUE(second.takeLeftovers().isEmpty());
    QString folder;
    {
        RecoveryStore third(root.path());
        ASSERT_TRUE(third.open());
        EXPECT_TRUE(third.takeLeftovers().isEmpty());
        ASSERT_TRUE(third.write(third.newId(), QStringLiteral("a.orn"), scoreText({1})));
        folder = third.instanceFolder();
    }
    // An instance that ends cleanly leaves nothing behind.
    EXPECT_FALSE(QDir(folder).exists());
}

TEST_F(Recovery, AChangeIsKeptAtOnceAfterQuietElseOnceTheIntervalHasPassed) {
    OrnWindowController* w = controller->newDocument();
    EXPECT_TRUE(kept(w).isEmpty()) << "an unedited document was kept";
    w->document()->undoableAddNoteAt(1, 4, 3);
    EXPECT_EQ(kept(w), scoreText({1}));
    // Within the interval the change waits for it.
    w->document()->undoableAddNoteAt(2, 4, 3);
    w->document()->toggleLoop();
    EXPECT_EQ(kept(w), scoreText({1}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return kept(w) == textOf(w->document()->score()); }, 10000));
    EXPECT_NE(kept(w), scoreText({1, 2})) << "the loop was not kept";
}

// Restored, it proposes to be saved where it was.
TEST_F(Recovery, ASavedDocumentIsKeptUnderItsFullPath) {
    const QString path = QDir(folder.path()).filePath(QStringLiteral("deep/s.orn"));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    OrnWindowController* w = controller->newDocument();
    dialogs.savePaths = {path};
    ASSERT_TRUE(controller->saveDocument(w));
    w->document()->undoableAddNoteAt(1, 4, 3);
    abandon(store, QDir(store.folder()).filePath(QStringLiteral("killed")));
    RecoveryStore next(QDir(root.path()).filePath(QStringLiteral("store")));
    ASSERT_TRUE(next.open());
    const auto leftovers = next.takeLeftovers();
    ASSERT_EQ(leftovers.size(), 1);
    EXPECT_EQ(leftovers[0].name, path);
}

TEST_F(Recovery, TheFileGoesWhenNothingIsLeftToLose) {
    struct Case {
        const char* name;
        std::function<void(OrnWindowController*)> act;
    };
    const std::vector<Case> cases = {
        {"saved",
         [this](OrnWindowController* w) {
             dialogs.savePaths = {QDir(folder.path()).filePath(QStringLiteral("s.orn"))};
             EXPECT_TRUE(controller->saveDocument(w));
         }},
        {"every edit undone", [](OrnWindowController* w) { w->document()->undoStack()->undo(); }},
        {"closed without saving",
         [this](OrnWindowController* w) {
             dialogs.saveAnswers = {Dialogs::SaveAnswer::DontSave};
             EXPECT_TRUE(w->close());
             QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OrnWindowController* w = controller->newDocument();
        w->document()->undoableAddNoteAt(1, 4, 3);
        ASSERT_EQ(QDir(store.instanceFolder()).entryList({QStringLiteral("*.orn")}).size(), 1);
        c.act(w);
        EXPECT_TRUE(QDir(store.instanceFolder()).entryList({QStringLiteral("*.orn")}).isEmpty());
        TearDown();
        ComposerTest::SetUp();
        controller->setRecoveryStore(&store, kInterval);
    }
}

TEST_F(Recovery, RestoredDocumentsAreEditedUntitledCopiesKeptAgain) {
    const QString original = QDir(folder.path()).filePath(QStringLiteral("ode.orn"));
    leaveBehind({{original, scoreText({5})},
                 {QStringLiteral("Untitled 2"), scoreText({6, 9})},
                 {QStringLiteral("broken.orn"), QByteArrayLiteral("TEMPO=5\r\n")}});
    dialogs.restoreAnswers = {Answer::Restore};
    const QList<OrnWindowController*> restored = controller->offerRecovery();
    ASSERT_EQ(dialogs.restoreQuestions.size(), 1U);
    EXPECT_EQ(dialogs.restoreQuestions[0],
              (QStringList{QStringLiteral("ode.orn"), QStringLiteral("Untitled 2"),
                           QStringLiteral("broken.orn")}));
    ASSERT_EQ(dialogs.alerts.size(), 1U);
    EXPECT_TRUE(dialogs.alerts[0].detail.contains(QStringLiteral("broken.orn")));
    ASSERT_EQ(restored.size(), 2);
    const std::vector<std::pair<QString, QByteArray>> expected = {
        {QStringLiteral("ode.orn (recovered)"), scoreText({5})},
        {QStringLiteral("Untitled 2 (recovered)"), scoreText({6, 9})}};
    for (int i = 0; i < 2; ++i) {
        MyDocument* doc = restored[i]->document();
        EXPECT_EQ(doc->displayName(), expected[static_cast<size_t>(i)].first);
        EXPECT_TRUE(doc->filePath().isEmpty());
        EXPECT_TRUE(doc->isDocumentEdited());
        EXPECT_TRUE(restored[i]->isWindowModified());
        EXPECT_EQ(textOf(doc->score()), expected[static_cast<size_t>(i)].second);
        // Kept at once in this instance, under the original name.
        EXPECT_EQ(kept(restored[i]), expected[static_cast<size_t>(i)].second);
    }
    // Saving proposes the original's name.
    dialogs.savePaths = {QString(), QString()};
    EXPECT_FALSE(restored[0]->document()->saveAs());
    EXPECT_FALSE(restored[1]->document()->saveAs());
    EXPECT_EQ(dialogs.suggestedPaths.value(0), original);
    EXPECT_TRUE(dialogs.suggestedPaths.value(1).endsWith(QStringLiteral("/Untitled 2.orn")));
    // The damaged document stays for the next start, and only it.
    EXPECT_EQ(offeredNext(), QStringList{QStringLiteral("broken.orn")});
}

TEST_F(Recovery, LeftDocumentsStayUnlessKeptAgain) {
    const struct {
        const char* name;
        bool keepable; // whether this instance can keep documents
        QStringList offeredNext;
    } cases[] = {{"kept again", true, {}},
                 {"this instance cannot keep", false, {QStringLiteral("a.orn")}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        leaveBehind({{QStringLiteral("a.orn"), scoreText({1})}});
        if (!c.keepable) {
            ASSERT_TRUE(QDir(store.instanceFolder()).removeRecursively());
        }
        dialogs.restoreAnswers = {Answer::Restore};
        EXPECT_EQ(controller->offerRecovery().size(), 1);
        EXPECT_EQ(offeredNext(), c.offeredNext);
    }
}

TEST_F(Recovery, AStoreThatCannotOpenIsToldAbout) {
    QFile blocker(QDir(root.path()).filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    RecoveryStore unusable(QDir(blocker.fileName()).filePath(QStringLiteral("store")));
    DocumentController other(&dialogs, &prefs);
    other.setRecoveryStore(&unusable, kInterval);
    ASSERT_EQ(dialogs.alerts.size(), 1U);
    EXPECT_EQ(dialogs.alerts[0].title, QStringLiteral("Cannot Keep Unsaved Work"));
    EXPECT_TRUE(other.offerRecovery().isEmpty());
}

TEST_F(Recovery, DiscardDeletesAndAClosedQuestionKeeps) {
    struct Case {
        Answer answer;
        qsizetype offeredAgain; // at the next start
    };
    for (const Case& c : {Case{Answer::Later, 1}, Case{Answer::Discard, 0}}) {
        SCOPED_TRACE(static_cast<int>(c.answer));
        leaveBehind({{QStringLiteral("a.orn"), scoreText({1})}});
        dialogs.restoreAnswers = {c.answer};
        EXPECT_TRUE(controller->offerRecovery().isEmpty());
        EXPECT_TRUE(controller->windows().isEmpty());
        EXPECT_EQ(offeredNext().size(), c.offeredAgain);
        QDir(QDir(store.folder()).filePath(QStringLiteral("killed"))).removeRecursively();
    }
    // Nothing left: nothing asked.
    EXPECT_TRUE(controller->offerRecovery().isEmpty());
    EXPECT_EQ(dialogs.restoreQuestions.size(), 2U);
}

} // namespace
