#include "export/MusicXmlExport.h"

#include "common/AtomicFile.h"
#include "export/ExportSignals.h"
#include "export/XmlWriter.h"
#include "score/Instruments.h"
#include "score/OrnScore.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <string_view>
#include <vector>

namespace zubo {
namespace {

// One part's keys (MIDI, lowest first) at each step before the end mark.
using PartSteps = std::vector<std::vector<int>>;

// The note types of one to four quarter notes.
struct Length {
    const char* type;
    bool dotted;
};
constexpr std::array<Length, 4> kLengths = {
    {{"quarter", false}, {"half", false}, {"half", true}, {"whole", false}}};

void writeLength(XmlWriter& xml, int quarters) {
    const Length& length = kLengths[static_cast<std::size_t>(quarters - 1)];
    xml.text("duration", std::to_string(quarters));
    xml.text("voice", "1");
    xml.text("type", length.type);
    if (length.dotted) {
        xml.empty("dot");
    }
}

void writeRest(XmlWriter& xml, int quarters) {
    xml.open("note");
    xml.empty("rest");
    writeLength(xml, quarters);
    xml.close();
}

void writeChord(XmlWriter& xml, const std::vector<int>& keys, int quarters) {
    // The white keys' letters by the key's place in its octave.
    constexpr std::string_view kLetters = "C D EF G A B";
    for (std::size_t i = 0; i < keys.size(); ++i) {
        xml.open("note");
        if (i > 0) {
            xml.empty("chord");
        }
        xml.open("pitch");
        xml.text("step", std::string(1, kLetters[static_cast<std::size_t>(keys[i] % 12)]));
        xml.text("octave", std::to_string(keys[i] / 12 - 1));
        xml.close();
        writeLength(xml, quarters);
        xml.close();
    }
}

void writeAttributes(XmlWriter& xml, const OrnScore& score, int measure, bool first) {
    xml.open("attributes");
    xml.text("divisions", "1");
    xml.open("key");
    xml.text("fifths", "0");
    xml.close();
    xml.open("time");
    xml.text("beats", std::to_string(measure));
    xml.text("beat-type", "4");
    xml.close();
    xml.open("clef");
    xml.text("sign", "G");
    xml.text("line", "2");
    xml.close();
    xml.close();
    if (first) {
        const std::string tempo = std::to_string(score.tempo());
        xml.open("direction", {{"placement", "above"}});
        xml.open("direction-type");
        xml.open("metronome");
        xml.text("beat-unit", "quarter");
        xml.text("per-minute", tempo);
        xml.close();
        xml.close();
        xml.empty("sound", {{"tempo", tempo}});
        xml.close();
    }
}

// One measure of a part: a rest up to its first note, then each chord until
// the next one or the measure's end (or the end mark, in a last measure it
// does not fill, whose rest completes it); a measure without notes is one
// rest.
void writeMeasure(XmlWriter& xml, const PartSteps& steps, int start, int measure) {
    const int stop = std::clamp(static_cast<int>(steps.size()), start, start + measure);
    int at = start;
    while (at < stop && steps[static_cast<std::size_t>(at)].empty()) {
        ++at;
    }
    if (at == stop) {
        writeRest(xml, measure);
        return;
    }
    if (at > start) {
        writeRest(xml, at - start);
    }
    while (at < stop) {
        int next = at + 1;
        while (next < stop && steps[static_cast<std::size_t>(next)].empty()) {
            ++next;
        }
        writeChord(xml, steps[static_cast<std::size_t>(at)], next - at);
        at = next;
    }
    if (stop < start + measure) {
        writeRest(xml, start + measure - stop);
    }
}

} // namespace

std::string musicXmlText(const OrnScore& score) {
    const int end = std::clamp(score.end(), 0, OrnScore::maxLength());
    const int measure = score.measure() == 3 ? 3 : 4;
    std::array<PartSteps, 16> parts;
    for (int step = 0; step < end; ++step) {
        for (int y = OrnScore::maxNotes() - 1; y >= 0; --y) {
            if (const int note = score.noteAt(step, y); note != 0) {
                PartSteps& part = parts[static_cast<std::size_t>(score.progAt(step, y))];
                part.resize(static_cast<std::size_t>(end));
                part[static_cast<std::size_t>(step)].push_back(ornNoteToMidiNote(note));
            }
        }
    }
    std::vector<int> used;
    for (int instrument = 1; instrument <= 15; ++instrument) {
        if (!parts[static_cast<std::size_t>(instrument)].empty()) {
            used.push_back(instrument);
        }
    }
    // A song without notes still has a staff: one part of rests.
    if (used.empty()) {
        used.push_back(1);
        parts[1].resize(static_cast<std::size_t>(end));
    }

    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
                      "<!DOCTYPE score-partwise PUBLIC \"-//Recordare//DTD MusicXML 4.0 "
                      "Partwise//EN\" \"http://www.musicxml.org/dtds/partwise.dtd\">\n";
    XmlWriter xml(out);
    xml.open("score-partwise", {{"version", "4.0"}});
    xml.open("identification");
    xml.open("encoding");
    xml.text("software", "Zubo Sequencer");
    xml.close();
    xml.close();
    xml.open("part-list");
    for (std::size_t i = 0; i < used.size(); ++i) {
        xml.open("score-part", {{"id", "P" + std::to_string(i + 1)}});
        xml.text("part-name", kInstrumentNames[static_cast<std::size_t>(used[i] - 1)]);
        xml.close();
    }
    xml.close();
    const int measures = std::max(1, (end + measure - 1) / measure);
    for (std::size_t i = 0; i < used.size(); ++i) {
        xml.open("part", {{"id", "P" + std::to_string(i + 1)}});
        for (int m = 0; m < measures; ++m) {
            xml.open("measure", {{"number", std::to_string(m + 1)}});
            if (m == 0) {
                writeAttributes(xml, score, measure, i == 0);
            }
            writeMeasure(xml, parts[static_cast<std::size_t>(used[i])], m * measure, measure);
            xml.close();
        }
        xml.close();
    }
    xml.close();
    return out;
}

ExportResult exportMusicXml(const OrnScore& score, const std::string& output) {
    const std::string text = musicXmlText(score);
    const ExportSignalGuard signalGuard;
    const std::string error = writeFileAtomically(output, std::span<const char>(text));
    if (!error.empty()) {
        return ExportResult::failed(output + ": " + error);
    }
    return ExportResult::written();
}

bool isMusicXmlExportPath(const std::string& output) {
    std::string suffix = std::filesystem::path(output).extension().string();
    std::transform(suffix.begin(), suffix.end(), suffix.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return suffix == ".musicxml";
}

} // namespace zubo
