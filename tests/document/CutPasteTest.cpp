// Cut Steps then Paste Steps at the same step gives the song back, end mark
// included; the text between them stays an ordinary score.
#include "document/DocumentTestUtil.h"
#include "score/OrnStepsChange.h"
#include "score/ScoreTestUtil.h"

#include <QClipboard>

namespace {

using doctest::DocumentTest;
using scoretest::describeNotes;

using CutPaste = DocumentTest;

TEST_F(CutPaste, PastingACutBackRestoresTheSong) {
    doctest::application();
    struct Case {
        const char* name;
        int end;
        int first;
        int count;
    } const cases[] = {
        {"end inside", 14, 10, 8},
        {"end at the range start", 10, 10, 8},
        {"end just after the range", 18, 10, 8},
        {"end on the last step", 959, 950, 10},
        {"whole song", 40, 0, 960},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MyDocument doc(&prefs);
        OrnScore& score = doc.editableScore();
        // Notes before, inside and (silent) after the end mark, none past the range.
        for (const auto& [step, note, prog] : {std::tuple{2, 5, 1},
                                               {c.first, 3, 2},
                                               {c.end - 1, 7, 3},
                                               {c.end, 9, 4},
                                               {c.first + c.count - 1, 1, 5}}) {
            if (step >= 0 && step < c.first + c.count) {
                score.addNoteAt(step, note, prog);
            }
        }
        score.setEnd(c.end);
        const std::string before = describeNotes(score);

        ASSERT_TRUE(doc.cutSteps(c.first, c.count));
        const std::string text = QGuiApplication::clipboard()->text().toStdString();
        const auto fragment = scoretest::load(text);
        ASSERT_TRUE(fragment->isValid());
        EXPECT_EQ(fragment->end(), c.count) << "read as a score, it ends after its last step";
        ASSERT_TRUE(doc.pasteSteps(c.first));
        EXPECT_EQ(describeNotes(doc.score()), before);
    }
}

} // namespace
