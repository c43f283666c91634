// The edit requests of a click, their undo and redo, and the edited state.
#include "document/DocumentTestUtil.h"
#include "document/MyDocument.h"
#include "sound/OrnWaves.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace {

using doctest::DocumentTest;

class Editing : public DocumentTest {
  protected:
    void SetUp() override {
        DocumentTest::SetUp();
        doctest::application();
        doc = std::make_unique<MyDocument>(&prefs);
    }

    // The end mark and the stored cells of step `index`, as "end=E n:p ...".
    std::string describe(int index) const {
        std::string text = "end=" + std::to_string(doc->score().end());
        for (int y = 0; y < OrnScore::maxNotes(); ++y) {
            const OrnNote cell = doc->score().cellAt(index, y);
            if (cell.midiNote != -1 || cell.prog != 0) {
                text += " " + std::to_string(midiNoteToOrnNote(cell.midiNote)) + ":" +
                        std::to_string(cell.prog);
            }
        }
        return text;
    }

    // The first frame of the preview the document plays now (0 when none),
    // and the preview cleared for the next request.
    float previewFrame() {
        float left = 0.0f;
        if (doc->syncData()->hasTone()) {
            frame(*doc, &left);
        }
        doc->syncData()->setTone(nullptr);
        return left;
    }

    std::unique_ptr<MyDocument> doc;
};

enum class Sound { None, Instrument, Eraser, End };

TEST_F(Editing, EveryRequestWithItsSoundUndoAndRedo) {
    struct Case {
        const char* name;
        std::function<void(MyDocument&)> setUp;
        int inst;
        bool erase;
        bool left; // a left click (add request) or a right click
        int index;
        int note;
        Sound sound;
        bool entry; // one undo entry, undone and redone
        const char* after;
    } const cases[] = {
        {"new note", nullptr, 2, false, true, 5, 5, Sound::Instrument, true, "end=960 5:3"},
        {"sorted in", [](MyDocument& d) { d.editableScore().addNoteAt(5, 8, 1); }, 0, false, true,
         5, 3, Sound::Instrument, true, "end=960 3:1 8:1"},
        {"other instrument", [](MyDocument& d) { d.editableScore().addNoteAt(5, 5, 2); }, 3, false,
         true, 5, 5, Sound::Instrument, true, "end=960 5:4"},
        {"at the end mark", [](MyDocument& d) { d.editableScore().setEnd(5); }, 2, false, true, 5,
         5, Sound::Instrument, false, "end=5"},
        {"full step refused",
         [](MyDocument& d) {
             for (int n = 1; n <= 3; ++n) {
                 d.editableScore().addNoteAt(5, n, 1);
             }
         },
         2, false, true, 5, 9, Sound::Instrument, false, "end=960 1:1 2:1 3:1"},
        {"note 0 off the staff", nullptr, 2, false, true, 5, 0, Sound::None, false, "end=960"},
        {"note 14", nullptr, 2, false, true, 5, 14, Sound::None, false, "end=960"},
        {"remove",
         [](MyDocument& d) {
             d.editableScore().addNoteAt(5, 5, 2);
             d.editableScore().addNoteAt(5, 1, 3);
         },
         0, false, false, 5, 5, Sound::Eraser, true, "end=960 1:3"},
        {"remove nothing", nullptr, 0, false, false, 5, 5, Sound::Eraser, false, "end=960"},
        {"remove at the end mark",
         [](MyDocument& d) {
             d.editableScore().addNoteAt(5, 5, 2);
             d.editableScore().setEnd(5);
         },
         0, false, false, 5, 5, Sound::Eraser, false, "end=5 5:2"},
        {"remove note 0", [](MyDocument& d) { d.editableScore().addNoteAt(5, 5, 2); }, 0, false,
         false, 5, 0, Sound::None, false, "end=960 5:2"},
        {"eraser left click", [](MyDocument& d) { d.editableScore().addNoteAt(5, 5, 2); }, 0, true,
         true, 5, 5, Sound::Eraser, true, "end=960"},
        {"end mark", nullptr, 15, false, true, 12, 0, Sound::End, true, "end=12"},
        {"end mark at 960", [](MyDocument& d) { d.editableScore().setEnd(500); }, 15, false, true,
         960, 4, Sound::End, true, "end=960"},
        {"end mark at 0", nullptr, 15, false, true, 0, 4, Sound::None, false, "end=960"},
        {"end mark at 961", nullptr, 15, false, true, 961, 4, Sound::None, false, "end=960"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        doc = std::make_unique<MyDocument>(&prefs);
        if (c.setUp) {
            c.setUp(*doc);
        }
        doc->setSelectedInst(c.inst);
        doc->setEraseMode(c.erase);
        const int index = c.index < OrnScore::maxLength() ? c.index : 0;
        const std::string before = describe(index);
        QSignalSpy redraws(doc.get(), &MyDocument::redrawRequested);

        if (c.left) {
            doc->requestAddNoteAt(c.index, c.note);
        } else {
            doc->requestRemoveNoteAt(c.index, c.note);
        }

        std::shared_ptr<ToneGenerator> expected;
        switch (c.sound) {
        case Sound::None:
            break;
        case Sound::Instrument:
            expected = OrnWaves::tone(c.inst + 1, c.note);
            break;
        case Sound::Eraser:
            expected = OrnWaves::eraserTone();
            break;
        case Sound::End:
            expected = OrnWaves::endTone();
            break;
        }
        const float heard = previewFrame();
        if (expected) {
            expected->setRate(44100);
            EXPECT_FLOAT_EQ(heard, expected->pcmLeftAt(0));
        } else {
            EXPECT_EQ(heard, 0.0f);
        }
        EXPECT_EQ(describe(index), c.after);
        EXPECT_EQ(doc->undoStack()->count(), c.entry ? 1 : 0);
        EXPECT_EQ(redraws.size(), c.entry ? 1 : 0);
        EXPECT_EQ(doc->isDocumentEdited(), c.entry);
        if (c.entry) {
            doc->undoStack()->undo();
            EXPECT_EQ(describe(index), before);
            EXPECT_FALSE(doc->isDocumentEdited());
            doc->undoStack()->redo();
            EXPECT_EQ(describe(index), c.after);
            EXPECT_EQ(redraws.size(), 3);
        }
    }
}

TEST_F(Editing, EditedStateFollowsSavesUndoAndTheSettings) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QSignalSpy changes(doc.get(), &MyDocument::editedChanged);
    QSignalSpy tempos(doc.get(), &MyDocument::tempoDisplayChanged);
    struct Step {
        const char* name;
        std::function<void(MyDocument&)> act;
        bool edited;
    } const steps[] = {
        {"new", [](MyDocument&) {}, false},
        {"add", [](MyDocument& d) { d.undoableAddNoteAt(3, 4, 1); }, true},
        {"undo", [](MyDocument& d) { d.undoStack()->undo(); }, false},
        {"redo", [](MyDocument& d) { d.undoStack()->redo(); }, true},
        {"save", [&](MyDocument& d) { ASSERT_TRUE(d.saveToPath(dir.filePath("a.orn"))); }, false},
        {"undo past the save", [](MyDocument& d) { d.undoStack()->undo(); }, true},
        {"redo to the save", [](MyDocument& d) { d.undoStack()->redo(); }, false},
        {"tempo", [](MyDocument& d) { d.undoableSetTempo(150); }, true},
        {"tempo back", [](MyDocument& d) { d.undoableSetTempo(100); }, false},
        {"measure",
         [](MyDocument& d) {
             d.editableScore().setMeasure(3);
             d.updateEditedState();
         },
         true},
        {"measure back",
         [](MyDocument& d) {
             d.editableScore().setMeasure(4);
             d.updateEditedState();
         },
         false},
        {"loop",
         [](MyDocument& d) {
             d.editableScore().setLoop(true);
             d.updateEditedState();
         },
         true},
        {"saved with the loop",
         [&](MyDocument& d) { ASSERT_TRUE(d.saveToPath(dir.filePath("a.orn"))); }, false},
        {"loop back",
         [](MyDocument& d) {
             d.editableScore().setLoop(false);
             d.updateEditedState();
         },
         true},
        {"tempo and a note",
         [](MyDocument& d) {
             d.editableScore().setLoop(true);
             d.undoableSetTempo(90);
             d.undoableAddNoteAt(4, 4, 1);
         },
         true},
        {"tempo back, note kept", [](MyDocument& d) { d.undoableSetTempo(100); }, true},
        {"note undone", [](MyDocument& d) { d.undoStack()->undo(); }, false},
    };
    bool shown = false;
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        s.act(*doc);
        EXPECT_EQ(doc->isDocumentEdited(), s.edited);
        if (!changes.isEmpty()) {
            shown = changes.last().at(0).toBool();
        }
        EXPECT_EQ(shown, s.edited);
    }
    // The tempo never enters the undo history; every change is shown.
    EXPECT_EQ(doc->undoStack()->count(), 2);
    ASSERT_EQ(tempos.size(), 4);
    EXPECT_EQ(tempos.at(3).at(0).toInt(), 100);
}

} // namespace
