#include "export/MusicXmlExport.h"

#include "export/TempFolder.h"
#include "score/OrnNote.h"
#include "score/OrnScore.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The text between the first <name> and its </name> from `at` on.
std::string element(const std::string& xml, const std::string& name, std::size_t at = 0) {
    const std::size_t start = xml.find("<" + name + ">", at);
    if (start == std::string::npos) {
        return "";
    }
    const std::size_t from = start + name.size() + 2;
    return xml.substr(from, xml.find("</" + name + ">", from) - from);
}

// Every block <name ...>...</name> of `xml`, in order.
std::vector<std::string> blocks(const std::string& xml, const std::string& name) {
    std::vector<std::string> found;
    for (std::size_t at = xml.find("<" + name); at != std::string::npos;
         at = xml.find("<" + name, at + 1)) {
        const char next = xml[at + name.size() + 1];
        if (next == ' ' || next == '>') {
            const std::size_t stop = xml.find("</" + name + ">", at);
            found.push_back(xml.substr(at, stop - at));
        }
    }
    return found;
}

// Each part as its measures, "|" between them, each note as "C5:2" (a rest
// "r:2", a chord's later notes "+E5:2"); "?" where a note's type does not
// match its duration.
std::vector<std::string> parts(const std::string& xml) {
    const char* types[] = {"", "quarter", "half", "half", "whole"};
    std::vector<std::string> out;
    for (const std::string& part : blocks(xml, "part")) {
        std::string text;
        for (const std::string& measure : blocks(part, "measure")) {
            text += text.empty() ? "" : " |";
            for (const std::string& note : blocks(measure, "note")) {
                const int duration = std::stoi(element(note, "duration"));
                const bool dotted = note.find("<dot/>") != std::string::npos;
                const bool typed = duration >= 1 && duration <= 4 &&
                                   element(note, "type") == types[duration] &&
                                   dotted == (duration == 3);
                text += " ";
                text += note.find("<chord/>") != std::string::npos ? "+" : "";
                text += note.find("<rest/>") != std::string::npos
                            ? "r"
                            : element(note, "step") + element(note, "octave");
                text += ":" + std::to_string(duration) + (typed ? "" : "?");
            }
        }
        out.push_back(text);
    }
    return out;
}

struct Case {
    const char* name;
    int measure;
    int tempo;
    int end;
    std::vector<std::vector<int>> cells; // {step, MIDI key, prog}
    std::vector<std::string> names;
    std::vector<std::string> parts;
};

TEST(MusicXmlExport, WritesPartsMeasuresChordsAndRests) {
    const std::vector<Case> cases = {
        {"3/4 with chords, a last measure the end mark cuts, and a note after it",
         3,
         90,
         5,
         {{0, 72, 1}, {0, 76, 1}, {0, 67, 4}, {2, 74, 1}, {4, 59, 4}, {5, 72, 1}, {7, 72, 7}},
         {"Zubo", "Star"},
         {" C5:2 +E5:2 D5:1 | r:3", " G4:3 | r:1 B3:1 r:1"}},
        {"4/4, one instrument, every length",
         4,
         200,
         12,
         {{1, 69, 15}, {4, 77, 15}, {8, 60, 15}, {10, 62, 15}, {11, 64, 15}},
         {"Heart"},
         {" r:1 A4:3 | F5:4 | C4:2 D4:1 E4:1"}},
        {"no notes", 4, 120, 0, {}, {"Zubo"}, {" r:4"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OrnScore score;
        score.setMeasure(c.measure);
        score.setTempo(c.tempo);
        score.setEnd(c.end);
        for (const auto& cell : c.cells) {
            ASSERT_TRUE(score.addNoteAt(cell[0], midiNoteToOrnNote(cell[1]), cell[2]));
        }
        const std::string xml = zubo::musicXmlText(score);
        EXPECT_NE(xml.find("<score-partwise version=\"4.0\">"), std::string::npos);
        std::vector<std::string> names;
        for (const std::string& part : blocks(element(xml, "part-list"), "score-part")) {
            names.push_back(element(part, "part-name"));
        }
        EXPECT_EQ(names, c.names);
        EXPECT_EQ(parts(xml), c.parts);
        EXPECT_EQ(element(xml, "beats"), std::to_string(c.measure));
        EXPECT_EQ(element(xml, "beat-type"), "4");
        EXPECT_EQ(element(xml, "sign"), "G");
        EXPECT_EQ(element(xml, "per-minute"), std::to_string(c.tempo));
        EXPECT_NE(xml.find("<sound tempo=\"" + std::to_string(c.tempo) + "\"/>"),
                  std::string::npos);
    }
}

TEST(MusicXmlExport, WritesTheFileOrNothing) {
    exporttest::TempFolder folder;
    ASSERT_FALSE(folder.path().empty());
    OrnScore score;
    score.setEnd(6);
    score.addNoteAt(0, 5, 1);
    score.addNoteAt(0, 3, 1);
    score.addNoteAt(5, 13, 15);
    const std::string path = folder.path() + "/song.musicxml";
    ASSERT_TRUE(zubo::exportMusicXml(score, path).ok());
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), zubo::musicXmlText(score));
    // Well-formed for any XML reader (the DTD is not fetched).
    EXPECT_EQ(std::system(("xmllint --noout --nonet '" + path + "'").c_str()), 0);
    const zubo::ExportResult refused =
        zubo::exportMusicXml(score, folder.path() + "/no/such.musicxml");
    EXPECT_EQ(refused.outcome, zubo::ExportResult::Outcome::Failed);
    EXPECT_EQ(refused.message.rfind(folder.path() + "/no/such.musicxml: ", 0), 0u)
        << refused.message;
}

} // namespace
