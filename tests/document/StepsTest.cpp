// The document's step commands: each one undo entry (or none when it has
// nothing to do), the clipboard text they use, and what they report.
#include "document/DocumentTestUtil.h"
#include "score/OrnStepsChange.h"

#include <QClipboard>
#include <QSignalSpy>
#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace {

using doctest::DocumentTest;

class Steps : public DocumentTest {
  protected:
    void SetUp() override {
        DocumentTest::SetUp();
        doctest::application();
        doc = std::make_unique<MyDocument>(&prefs);
    }

    // Notes as "step:note ..." in step order, then the end mark.
    std::string describe() const {
        std::string text;
        for (int index = 0; index < OrnScore::maxLength(); ++index) {
            for (int y = 0; y < OrnScore::maxNotes(); ++y) {
                if (const int note = doc->score().noteAt(index, y); note != 0) {
                    text += std::to_string(index) + ":" + std::to_string(note) + " ";
                }
            }
        }
        return text + "end=" + std::to_string(doc->score().end());
    }

    std::unique_ptr<MyDocument> doc;
};

TEST_F(Steps, EachCommandIsOneUndoEntryOrNone) {
    // The document holds notes at steps 1, 2 and 5, note 3 twice at step 959,
    // and its end mark at 960; the clipboard holds `clip` first.
    const std::string other = [] {
        OrnScore source;
        source.setTempo(33);
        source.addNoteAt(0, 9, 4);
        source.addNoteAt(1, 10, 4);
        return stepsText(source, 0, 2);
    }();
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
         "3:5 957:1 957:2 end=958", nullptr},
        {"delete nothing", "", [](MyDocument& d) { return d.deleteSteps(4, 0); }, false, false,
         "1:5 2:6 5:5 959:1 959:2 end=960", nullptr},
        {"insert", "", [](MyDocument& d) { return d.insertEmptySteps(2, 3); }, true, true,
         "1:5 5:6 8:5 end=960", "2 notes pushed past the end were dropped"},
        {"insert one", "", [](MyDocument& d) { return d.insertEmptySteps(958, 1); }, true, true,
         "1:5 2:6 5:5 end=960", "2 notes pushed past the end were dropped"},
        {"cut", "", [](MyDocument& d) { return d.cutSteps(5, 1); }, true, true,
         "1:5 2:6 958:1 958:2 end=959", "Copied 1 step"},
        {"copy", "", [](MyDocument& d) { return d.copySteps(1, 5); }, true, false,
         "1:5 2:6 5:5 959:1 959:2 end=960", "Copied 5 steps"},
        {"paste", other, [](MyDocument& d) { return d.pasteSteps(5); }, true, true,
         "1:5 2:6 5:9 6:10 959:1 959:2 end=960", nullptr},
        {"paste clipped", other, [](MyDocument& d) { return d.pasteSteps(959); }, true, true,
         "1:5 2:6 5:5 959:9 end=960", "1 pasted note past the end was dropped"},
        {"paste no score", "hello", [](MyDocument& d) { return d.pasteSteps(5); }, false, false,
         "1:5 2:6 5:5 959:1 959:2 end=960", "The clipboard does not hold a score."},
        {"paste nothing", "", [](MyDocument& d) { return d.pasteSteps(5); }, false, false,
         "1:5 2:6 5:5 959:1 959:2 end=960", "The clipboard holds no text to paste."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        doc = std::make_unique<MyDocument>(&prefs);
        OrnScore& score = doc->editableScore();
        score.addNoteAt(1, 5, 1);
        score.addNoteAt(2, 6, 1);
        score.addNoteAt(5, 5, 2);
        score.addNoteAt(959, 1, 3);
        score.addNoteAt(959, 2, 3);
        QGuiApplication::clipboard()->setText(QString::fromStdString(c.clip));
        const std::string before = describe();
        QSignalSpy messages(doc.get(), &MyDocument::statusMessage);
        QSignalSpy redraws(doc.get(), &MyDocument::redrawRequested);

        EXPECT_EQ(c.command(*doc), c.done);
        EXPECT_EQ(describe(), c.after);
        EXPECT_EQ(doc->undoStack()->count(), c.entry ? 1 : 0);
        EXPECT_EQ(redraws.size(), c.entry ? 1 : 0);
        ASSERT_EQ(messages.size(), c.message ? 1 : 0);
        if (c.message) {
            EXPECT_EQ(messages.front().front().toString().toStdString(), c.message);
        }
        EXPECT_EQ(doc->score().tempo(), 100) << "tempo is never pasted";
        if (c.entry) {
            EXPECT_TRUE(doc->isDocumentEdited());
            doc->undoStack()->undo();
            EXPECT_EQ(describe(), before) << "undone";
            doc->undoStack()->redo();
            EXPECT_EQ(describe(), c.after) << "redone";
        }
    }
}

TEST_F(Steps, CopiedStepsPasteIntoAnotherDocument) {
    doc->editableScore().setTempo(140);
    doc->editableScore().setMeasure(3);
    doc->editableScore().addNoteAt(10, 4, 7);
    doc->editableScore().addNoteAt(12, 8, 2);
    ASSERT_TRUE(doc->copySteps(10, 3));
    const QString text = QGuiApplication::clipboard()->text();
    EXPECT_TRUE(text.startsWith(QStringLiteral("SCORE=00470000082")));
    EXPECT_TRUE(text.contains(QStringLiteral("TEMPO=140\nLOOP=FALSE\nEND=4\nTIME44=FALSE\n")));

    MyDocument target(&prefs);
    target.editableScore().setEnd(2);
    ASSERT_TRUE(target.pasteSteps(0));
    EXPECT_EQ(target.score().getProgAt(0, 4), 7);
    EXPECT_EQ(target.score().getProgAt(2, 8), 2);
    EXPECT_EQ(target.score().end(), 3) << "the end mark moves out to the pasted steps";
    EXPECT_EQ(target.score().tempo(), 100);
    EXPECT_EQ(target.score().measure(), 4);
}

} // namespace
