// A whole-song paste is one edit of the open document: it keeps the file and
// name, asks nothing, plays, and undo gives the previous song back exactly.
#include "ScriptedDialogs.h"
#include "document/DocumentTestUtil.h"
#include "score/ScoreTestUtil.h"

#include <QClipboard>
#include <QMimeData>
#include <QTemporaryDir>

namespace {

using doctest::DocumentTest;
using scoretest::sameScore;

using PasteUndo = DocumentTest;

// The song being pasted: other notes and settings than the document's.
std::string copiedSong() {
    OrnScore song;
    song.addNoteAt(0, 5, 2);
    song.addNoteAt(50, 1, 15);
    song.setEnd(90);
    song.setTempo(133);
    song.setMeasure(3);
    song.setLoop(true);
    return song.toString();
}

TEST_F(PasteUndo, APasteIsOneUndoableEditOrChangesNothing) {
    doctest::application();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto song = scoretest::load(copiedSong());
    enum class Clip { Song, Text, Empty, None, Huge };
    struct Case {
        const char* name;
        Clip clip;
        bool edited; // an unsaved note and tempo before the paste
        bool pasted;
        QStringList alerts;
    } const cases[] = {
        {"song", Clip::Song, false, true, {}},
        {"song over unsaved changes", Clip::Song, true, true, {}},
        {"not a score", Clip::Text, true, false, {"Unknown Format"}},
        {"over 1 MiB", Clip::Huge, false, false, {"Unknown Format"}},
        {"empty text", Clip::Empty, false, false, {}},
        {"no text", Clip::None, false, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedDialogs dialogs;
        MyDocument doc(&prefs);
        doc.setDialogs(&dialogs);
        // The document's song, saved, with a note past its end mark.
        const auto mine = scoretest::randomScore(3, 300);
        doc.editableScore().setStepCells(0, mine->stepCells(0, OrnScore::maxLength()));
        doc.editableScore().setEnd(300);
        doc.editableScore().setTempo(77);
        doc.editableScore().setMeasure(4);
        doc.editableScore().setLoop(false);
        const QString file = dir.filePath("mine.orn");
        ASSERT_TRUE(doc.saveToPath(file));
        if (c.edited) {
            doc.undoableRemoveNoteAt(800, midiNoteToOrnNote(doc.score().cellAt(800, 0).midiNote));
            doc.undoableSetTempo(91);
        }
        auto before = std::make_unique<OrnScore>();
        before->setStepCells(0, doc.score().stepCells(0, OrnScore::maxLength()));
        before->setEnd(doc.score().end());
        before->setTempo(doc.score().tempo());
        before->setMeasure(doc.score().measure());
        before->setLoop(doc.score().loop());
        const int entries = doc.undoStack()->count();

        QClipboard* board = QGuiApplication::clipboard();
        switch (c.clip) {
        case Clip::Song:
            board->setText(QString::fromStdString(copiedSong()));
            break;
        case Clip::Text:
            board->setText(QStringLiteral("hello"));
            break;
        case Clip::Huge:
            board->setText(QString::fromStdString(copiedSong()) +
                           QString(MyDocument::kMaxTextBytes, QLatin1Char('#')));
            break;
        case Clip::Empty:
            board->setText(QString());
            break;
        case Clip::None:
            board->clear();
            break;
        }
        doc.paste();

        QStringList alerts;
        for (const auto& a : dialogs.alerts) {
            alerts << a.title;
        }
        EXPECT_EQ(alerts, c.alerts);
        EXPECT_TRUE(dialogs.saveQuestions.isEmpty());
        EXPECT_EQ(doc.filePath().toStdString(), file.toStdString());
        EXPECT_EQ(doc.displayName().toStdString(), "mine.orn");
        EXPECT_EQ(doc.isPlaying(), c.pasted);
        doc.stopPlaying();
        if (!c.pasted) {
            EXPECT_TRUE(sameScore(doc.score(), *before, OrnScore::maxLength()));
            EXPECT_EQ(doc.undoStack()->count(), entries);
            EXPECT_EQ(doc.isDocumentEdited(), c.edited);
            continue;
        }
        EXPECT_TRUE(sameScore(doc.score(), *song, OrnScore::maxLength()));
        EXPECT_EQ(doc.undoStack()->count(), entries + 1);
        EXPECT_TRUE(doc.isDocumentEdited());
        for (int round = 0; round < 2; ++round) {
            doc.undoStack()->undo();
            EXPECT_TRUE(sameScore(doc.score(), *before, OrnScore::maxLength())) << "undone";
            EXPECT_EQ(doc.isDocumentEdited(), c.edited) << "undone";
            doc.undoStack()->redo();
            EXPECT_TRUE(sameScore(doc.score(), *song, OrnScore::maxLength())) << "redone";
            EXPECT_TRUE(doc.isDocumentEdited()) << "redone";
        }
    }
}

} // namespace
