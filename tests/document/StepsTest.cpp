// The document's step commands: one undo entry each (none when there is
// nothing to do), the clipboard text they use, and what they report.
#include "document/DocumentTestUtil.h"
#include "score/OrnStepsChange.h"
#include "score/ScoreTestUtil.h"

#include <QClipboard>
#include <QSignalSpy>
#include <functional>

namespace {

using doctest::DocumentTest;
using scoretest::describeNotes;

using Steps = DocumentTest;

TEST_F(Steps, EachCommandIsOneUndoEntryOrNone) {
    doctest::application();
    // Two steps of another score, at tempo 33.
    const std::string other = [] {
        OrnScore source;
        source.setTempo(33);
        source.addNoteAt(0, 9, 4);
        source.addNoteAt(1, 10, 4);
        return stepsText(source, 0, 2);
    }();
    const char* const unchanged = "1:5/1 5:5/2 959:1/3 959:2/3 end=960";
    struct Case {
        const char* name;
        std::string clip;
        std::function<bool(MyDocument&)> command;
        bool done; // what the command answers
        bool entry;
        const char* after;
        const char* message;
    } const cases[] = {
        {"delete", "", [](MyDocument& d) { return d.deleteSteps(1, 2); }, true, true,
         "3:5/2 957:1/3 957:2/3 end=958", nullptr},
        {"delete nothing", "", [](MyDocument& d) { return d.deleteSteps(4, 0); }, false, false,
         unchanged, nullptr},
        {"insert", "", [](MyDocument& d) { return d.insertEmptySteps(2, 3); }, true, true,
         "1:5/1 8:5/2 end=960", "2 notes pushed past the end were dropped"},
        {"cut", "", [](MyDocument& d) { return d.cutSteps(5, 1); }, true, true,
         "1:5/1 958:1/3 958:2/3 end=959", "Cut 1 step"},
        {"cut several", "", [](MyDocument& d) { return d.cutSteps(0, 3); }, true, true,
         "2:5/2 956:1/3 956:2/3 end=957", "Cut 3 steps"},
        {"copy", "", [](MyDocument& d) { return d.copySteps(1, 5); }, true, false, unchanged,
         "Copied 5 steps"},
        {"paste clipped", other, [](MyDocument& d) { return d.pasteSteps(959); }, true, true,
         "1:5/1 5:5/2 959:9/4 end=960", "1 pasted note past the end was dropped"},
        {"paste no score", "hello", [](MyDocument& d) { return d.pasteSteps(5); }, false, false,
         unchanged, "The clipboard does not hold a score."},
        {"paste nothing", "", [](MyDocument& d) { return d.pasteSteps(5); }, false, false,
         unchanged, "The clipboard holds no text to paste."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MyDocument doc(&prefs);
        OrnScore& score = doc.editableScore();
        for (const auto& [step, note, prog] :
             {std::tuple{1, 5, 1}, {5, 5, 2}, {959, 1, 3}, {959, 2, 3}}) {
            score.addNoteAt(step, note, prog);
        }
        QGuiApplication::clipboard()->setText(QString::fromStdString(c.clip));
        QSignalSpy messages(&doc, &MyDocument::statusMessage);

        EXPECT_EQ(c.command(doc), c.done);
        EXPECT_EQ(describeNotes(doc.score()), c.after);
        EXPECT_EQ(doc.undoStack()->count(), c.entry ? 1 : 0);
        EXPECT_EQ(doc.score().tempo(), 100) << "tempo is never pasted";
        ASSERT_EQ(messages.size(), c.message ? 1 : 0);
        if (c.message) {
            EXPECT_EQ(messages.front().front().toString().toStdString(), c.message);
        }
        if (std::string(c.name) == "copy") {
            EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), stepsText(score, 1, 5));
        }
        if (c.entry) {
            doc.undoStack()->undo();
            EXPECT_EQ(describeNotes(doc.score()), unchanged) << "undone";
            doc.undoStack()->redo();
            EXPECT_EQ(describeNotes(doc.score()), c.after) << "redone";
        }
    }
}

} // namespace
