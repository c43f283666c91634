#include "score/OrnScore.h"
#include "score/OrnScoreReader.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>

#include "score/ScoreTestUtil.h"

namespace {

using scoretest::load;
using scoretest::text;

const std::string kScore = "SCORE=0011";

struct Settings {
    bool valid;
    int tempo, measure, end;
    bool loop;
};

void expectSettings(const std::string& input, const Settings& s) {
    auto score = load(input);
    EXPECT_EQ(score->isValid(), s.valid) << input;
    EXPECT_EQ(score->tempo(), s.tempo) << input;
    EXPECT_EQ(score->measure(), s.measure) << input;
    EXPECT_EQ(score->end(), s.end) << input;
    EXPECT_EQ(score->loop(), s.loop) << input;
}

TEST(OrnScoreReader, ValidityNeedsAllFiveLineKinds) {
    const std::string lines[] = {kScore, "TEMPO=90", "LOOP=TRUE", "END=5", "TIME44=FALSE"};
    for (int missing = 0; missing < 5; ++missing) {
        std::string input;
        for (int k = 0; k < 5; ++k) {
            if (k != missing) {
                input += lines[k] + "\r\n";
            }
        }
        EXPECT_FALSE(load(input)->isValid()) << "without " << lines[missing];
    }
    EXPECT_FALSE(load("")->isValid());
    EXPECT_FALSE(load(" \r\n\t")->isValid());
}

TEST(OrnScoreReader, LenientAboutOrderBlanksAndUnknownLines) {
    const Settings expected{true, 90, 3, 4, true};
    const std::string cases[] = {
        "SCORE=0011\nTEMPO=90\nLOOP=TRUE\nEND=5\nTIME44=FALSE\n",
        "TIME44=FALSE\nLOOP=TRUE\nTEMPO=90\nSCORE=0011\nEND=5\n",
        "   SCORE=0011\n\n\n  \tTEMPO=90\r\n\r\nLOOP=TRUE\nEND=5\nTIME44=FALSE",
        "# a comment\nSCORE=0011\ntempo=50\nTEMPO=90\nLOOP=TRUE\nNAME=x\nEND=5\nTIME44=FALSE\n",
        "SCORE=0011\r\nTEMPO=70\r\nTEMPO=90\r\nLOOP=TRUE\r\nEND=5\r\nTIME44=FALSE\r\n",
        "SCORE=0011\nTEMPO=90\nLOOPS=TRUE\nENDING=5\nTIME44=FALSE\n",
        "TEMPO\n=90\nSCORE=0011\nLOOP=TRUE\nEND=5\nTIME44=FALSE\n",
    };
    for (const auto& input : cases) {
        expectSettings(input, expected);
    }
}

TEST(OrnScoreReader, ValueReaders) {
    // Each line stands in for the line of its keyword in a plain text.
    struct {
        std::string line;
        Settings s;
    } const cases[] = {
        {"END=1", {true, 120, 4, 0, false}},
        {"END=2000", {true, 120, 4, 960, false}},
        {"END=961", {true, 120, 4, 960, false}},
        {"END=0", {true, 120, 4, 0, false}}, // held at 0
        {"END=", {true, 120, 4, 0, false}},  // an empty value reads 0
        {"END=99999999999999", {true, 120, 4, 960, false}},
        {"TEMPO= 1 2 0", {true, 120, 4, 960, false}},
        {"TEMPO=-5", {true, 5, 4, 960, false}},
        {"TEMPO=", {true, 0, 4, 960, false}},
        {"TEMPO=99999999999", {true, INT_MAX, 4, 960, false}},
        {"TIME44=FALSE", {true, 120, 3, 960, false}},
        {"TIME44=TRUE", {true, 120, 4, 960, false}},
        {"TIME44=TRUEISH", {true, 120, 4, 960, false}},
        {"LOOP=TRUE", {true, 120, 4, 960, true}},
        {"LOOP=true", {true, 120, 4, 960, false}},
        {"LOOP=YES!", {true, 120, 4, 960, false}},
        {"LOOP=\n  TRUE", {true, 120, 4, 960, true}},
    };
    const std::string base[] = {"SCORE=000", "TEMPO=120", "LOOP=FALSE", "END=961", "TIME44=TRUE"};
    for (const auto& c : cases) {
        std::string input;
        for (const auto& line : base) {
            const auto keyword = line.substr(0, line.find('='));
            input += (c.line.rfind(keyword + "=", 0) == 0 ? c.line : line) + "\n";
        }
        expectSettings(input, c.s);
    }
}

TEST(OrnScoreReader, FailingLineStopsReadingButCountsAsSeen) {
    struct {
        const char* name;
        std::string input;
        Settings s;
    } const cases[] = {
        // The LOOP value has fewer than four bytes: loop off, reading ends,
        // and the text is valid because the other four came first.
        {"short bool at end", "SCORE=000\nTEMPO=90\nEND=5\nTIME44=FALSE\nLOOP=NO",
         {true, 90, 3, 4, false}},
        {"short bool before others", "SCORE=000\nLOOP=NO", {false, 100, 4, 0, false}},
        // No "=" after the keyword: the field keeps its value.
        {"tempo without equals", "SCORE=000\nLOOP=TRUE\nEND=5\nTIME44=FALSE\nTEMPO 120\n",
         {true, 100, 3, 4, true}},
        {"end without equals", "SCORE=000\nTEMPO=90\nLOOP=TRUE\nEND=5\nTIME44=FALSE\nEND 7\n",
         {true, 90, 3, 4, true}},
        {"time44 too short", "SCORE=000\nTEMPO=90\nLOOP=TRUE\nEND=5\nTIME44=",
         {true, 90, 4, 4, true}},
        {"loop failing after equals is off", "LOOP=TRUE\nSCORE=000\nTEMPO=90\nEND=5\nTIME44=T\nLOOP=X",
         {true, 90, 3, 4, false}},
        // The "=" is looked for in the rest of the data, past line ends:
        // here the TEMPO line swallows the SCORE line.
        {"equals on a later line", "TEMPO 1\nSCORE=000\nLOOP=TRUE\nEND=5\nTIME44=FALSE\n",
         {false, 0, 3, 4, true}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        expectSettings(c.input, c.s);
    }
}

TEST(OrnScoreReader, BoolLooksForLineEndFromItsFirstByte) {
    // The four bytes "NO\nT" hold the line end, so the TEMPO line after it is read.
    expectSettings("SCORE=000\nLOOP=NO\nTEMPO=90\nEND=5\nTIME44=FALSE\n", {true, 90, 3, 4, false});
}

TEST(OrnScoreReader, BoolValueMayEndTheText) {
    // Exactly four bytes after the equals sign, with no line end after them.
    const struct {
        std::string input;
        Settings s;
    } cases[] = {
        {"SCORE=000\nTEMPO=90\nEND=5\nTIME44=FALSE\nLOOP=TRUE", {true, 90, 3, 4, true}},
        {"SCORE=000\nTEMPO=90\nEND=5\nLOOP=FALSE\nTIME44=TRUE", {true, 90, 4, 4, false}},
        {"SCORE=000\r\nTEMPO=90\r\nEND=5\r\nTIME44=TRUE\r\nLOOP=TRUE", {true, 90, 4, 4, true}},
    };
    for (const auto& c : cases) {
        expectSettings(c.input, c.s);
    }
}

TEST(OrnScoreReader, ScoreValueForms) {
    struct Cell {
        int index, y, note, prog;
    };
    struct {
        const char* name;
        std::string score;
        std::vector<Cell> cells;
    } const cases[] = {
        {"three of the same note", "SCORE=111213", {{0, 0, 1, 1}, {0, 1, 1, 2}, {0, 2, 1, 3}}},
        {"lower case and blanks", "SCORE= 0 0 5c  00a f", {{0, 0, 5, 12}, {1, 0, 10, 15}}},
        {"continued on lines without =", "SCORE=000\n0051\r\n\r\n00\n23\n",
         {{1, 0, 5, 1}, {2, 0, 2, 3}}},
        {"E and F leave an empty cell taking a prog", "SCORE=00E5", {{0, 0, 0, 0}, {0, 2, 0, 5}}},
        {"stray characters passed over", "SCORE=0,0;1x1", {{0, 0, 1, 1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto score = load(text(c.score));
        ASSERT_TRUE(score->isValid());
        for (const auto& cell : c.cells) {
            EXPECT_EQ(midiNoteToOrnNote(score->cellAt(cell.index, cell.y).midiNote), cell.note)
                << cell.index << "," << cell.y;
            EXPECT_EQ(score->cellAt(cell.index, cell.y).prog, cell.prog)
                << cell.index << "," << cell.y;
        }
    }
}

TEST(OrnScoreReader, ScoreValueEndsAtLineWithEqualsOrUnendedLine) {
    // "0051" on the last line has no line end after it, so it is not part
    // of the value; it is an unrecognised line.
    const std::string head = "TEMPO=1\nLOOP=TRUE\nEND=1\nTIME44=TRUE\nSCORE=000\n0051";
    auto unended = load(head);
    EXPECT_TRUE(unended->isValid());
    EXPECT_EQ(unended->cellAt(1, 0).midiNote, -1);
    auto ended = load(head + "\n");
    EXPECT_EQ(midiNoteToOrnNote(ended->cellAt(1, 0).midiNote), 5);
    auto equals = load(head + "=\n");
    EXPECT_EQ(equals->cellAt(1, 0).midiNote, -1);
}

TEST(OrnScoreReader, ShortAndOverlongScoreLines) {
    auto shortScore = load(text("SCORE=0011"));
    EXPECT_EQ(shortScore->noteAt(0, 0), 1);
    for (int index = 1; index < 960; ++index) {
        ASSERT_EQ(shortScore->cellAt(index, 0).midiNote, -1);
    }
    // 961 steps of one note: the last step's digits are dropped.
    std::string cells;
    for (int index = 0; index < 961; ++index) {
        cells += index == 960 ? "000" : "00D2";
    }
    auto longScore = load(text("SCORE=" + cells + "0011"));
    ASSERT_TRUE(longScore->isValid());
    EXPECT_EQ(longScore->noteAt(959, 0), 13);
    EXPECT_EQ(longScore->progAt(959, 0), 2);
}

TEST(OrnScoreReader, RunningEndPlacesLaterScoreLines) {
    // Two texts joined: the second's notes start at the first's end mark;
    // the end marks add up, and the settings come from the second.
    const std::string first = "SCORE=0011\nTEMPO=90\nLOOP=TRUE\nEND=3\nTIME44=FALSE\n";
    const std::string second = "SCORE=0021\nTEMPO=70\nLOOP=FALSE\nEND=5\nTIME44=TRUE\n";
    auto joined = load(first + second);
    ASSERT_TRUE(joined->isValid());
    EXPECT_EQ(joined->noteAt(0, 0), 1);
    EXPECT_EQ(joined->noteAt(2, 0), 2);
    EXPECT_EQ(joined->end(), 6);
    EXPECT_EQ(joined->tempo(), 70);
    EXPECT_FALSE(joined->loop());
    EXPECT_EQ(joined->measure(), 4);

    // An END line before the SCORE line moves the notes to the end mark.
    auto moved = load("END=11\nSCORE=0031\nTEMPO=90\nLOOP=TRUE\nTIME44=FALSE\n");
    EXPECT_EQ(moved->end(), 10);
    EXPECT_EQ(moved->getProgAt(10, 3), 1);

    // At a running end of 960 a SCORE line is not recognised.
    EXPECT_FALSE(load("END=961\nSCORE=0031\nTEMPO=90\nLOOP=TRUE\nTIME44=FALSE\n")->isValid());
    EXPECT_EQ(load("END=1\nEND=0\nEND=0\nSCORE=0031\nTEMPO=90\nLOOP=TRUE\nTIME44=FALSE\n")
                  ->getProgAt(0, 3),
              1);
}

TEST(OrnScoreReader, LineReadersReportWhereReadingGoesOn) {
    int value = 7;
    const std::string tempo = "TEMPO=12\nX";
    EXPECT_EQ(loadOrnTempoLine(&value, tempo.data(), tempo.size()), tempo.data() + 9);
    EXPECT_EQ(value, 12);
    value = 7;
    EXPECT_EQ(loadOrnTempoLine(&value, "TEMPO=", 6), nullptr);
    EXPECT_EQ(value, 7);
    EXPECT_EQ(loadOrnEndLine(&value, "END=", 4), nullptr);
    EXPECT_EQ(loadOrnLoopLine(&value, "LOOP", 4), nullptr);
    EXPECT_EQ(loadOrnTime44Line(&value, "TIME44=", 7), nullptr);
    EXPECT_EQ(value, 7);
    const std::string loop = "LOOP=TRU";
    EXPECT_EQ(loadOrnLoopLine(&value, loop.data(), loop.size()), nullptr);
    EXPECT_EQ(value, 0);
    const std::string number = "1a2\r3";
    EXPECT_EQ(loadNumber(&value, number.data(), number.size()), number.data() + number.size());
    EXPECT_EQ(value, 123);

    OrnNote cells[3];
    for (auto& cell : cells) {
        clearOrnNote(&cell);
    }
    const std::string score = "SCORE=11220033";
    EXPECT_EQ(loadOrnScoreLine(cells, 2, score.data(), score.size()),
              score.data() + score.size());
    EXPECT_EQ(cells[1].midiNote, 77);
    EXPECT_EQ(cells[2].midiNote, -1); // beyond the capacity
    EXPECT_EQ(loadOrnScoreLine(cells, 3, "SCORE=", 6), nullptr);
    EXPECT_EQ(loadOrnScoreLine(cells, 3, "SCORE 11", 8), nullptr);
}

} // namespace
