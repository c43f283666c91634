#include "ComposerTestUtil.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QPointer>
#include <QUndoStack>
#include <functional>
#include <string>
#include <vector>

namespace {

using Answer = Dialogs::SaveAnswer;
using composertest::ComposerTest;

void settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class WindowReuse : public ComposerTest {};

TEST_F(WindowReuse, OnlyAWindowThatNeverHeldASongGivesWayToAnOpenedFile) {
    using Fill = std::function<OrnWindowController*(OrnWindowController * blank)>;
    struct Case {
        const char* name;
        Fill fill;
        bool reused;
    };
    const QString song = writeScore(QStringLiteral("dropped.orn"));
    const Fill nothing = [](OrnWindowController* blank) { return blank; };
    const Fill paste = [](OrnWindowController* blank) {
        OrnScore score;
        score.addNoteAt(1, 2, 3);
        QGuiApplication::clipboard()->setText(QString::fromStdString(score.toString()));
        blank->document()->paste();
        return blank;
    };
    const Fill drop = [song](OrnWindowController* blank) {
        blank->document()->dropFile(song, false);
        return blank;
    };
    const Fill example = [this](OrnWindowController*) {
        return controller->openExample(DocumentController::examples().front());
    };
    const Fill undone = [](OrnWindowController* blank) {
        // An edit undone, its history then gone: the song was still written.
        edit(blank);
        blank->document()->undoStack()->undo();
        blank->document()->undoStack()->clear();
        return blank;
    };
    const std::vector<Case> cases = {
        {"new window", nothing, true},
        {"pasted", paste, false},
        {"dropped", drop, false},
        {"example", example, false},
        {"edited and undone", undone, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QPointer<OrnWindowController> held(c.fill(controller->newDocument()));
        settle();
        ASSERT_FALSE(held.isNull());
        ASSERT_EQ(controller->windows().size(), 1);
        // A paste is an edit; the others leave the window unedited, so only
        // what it held keeps it.
        ASSERT_EQ(held->document()->isDocumentEdited(), std::string(c.name) == "pasted");
        ASSERT_EQ(controller->openFiles({writeScore(QStringLiteral("other.orn"))}).size(), 1);
        settle();
        EXPECT_EQ(held.isNull(), c.reused);
        EXPECT_EQ(controller->windows().size(), c.reused ? 1 : 2);
        EXPECT_TRUE(dialogs.alerts.empty());
        TearDown();
        SetUp();
    }
}

TEST_F(WindowReuse, QuitAsksEachSongOverItsOwnWindow) {
    OrnWindowController* first = controller->newDocument();
    OrnWindowController* second = controller->newDocument();
    edit(first);
    edit(second);
    second->activateWindow();
    dialogs.saveAnswers = {Answer::DontSave, Answer::DontSave};
    EXPECT_TRUE(controller->quit());
    EXPECT_EQ(dialogs.saveQuestionWindows, (std::vector<QWidget*>{first, second}));
}

TEST_F(WindowReuse, RestoredSongsOfOneNameHaveTheirOwnTitles) {
    struct Case {
        QString from;
        QString title;
    };
    const std::vector<Case> cases = {
        {QStringLiteral("/a/song.orn"), QStringLiteral("song.orn (recovered)")},
        {QStringLiteral("/b/song.orn"), QStringLiteral("song.orn (recovered 2)")},
        {QStringLiteral("Untitled 2"), QStringLiteral("Untitled 2 (recovered)")},
        {QStringLiteral("/a/song.orn"), QStringLiteral("song.orn (recovered 3)")},
    };
    std::vector<OrnWindowController*> windows;
    for (const Case& c : cases) {
        OrnWindowController* w = controller->newDocument();
        w->document()->setRecoveredFrom(c.from);
        windows.push_back(w);
    }
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].title.toStdString());
        EXPECT_EQ(windows[i]->document()->displayName(), cases[i].title);
        EXPECT_TRUE(windows[i]->windowTitle().startsWith(cases[i].title + QStringLiteral("[*]")));
    }
    // The save question names the song the way its title does.
    edit(windows[1]);
    dialogs.saveAnswers = {Answer::DontSave};
    EXPECT_TRUE(windows[1]->close());
    EXPECT_EQ(dialogs.saveQuestions, QStringList{cases[1].title});
}

} // namespace
