#include "export/MidiImport.h"

#include <string>

namespace zubo {
namespace {

std::string counted(int count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string stepName(const MidiImportCounts& counts) {
    if (counts.quartersPerStep > 1) {
        return std::to_string(counts.quartersPerStep) + " quarter notes";
    }
    switch (counts.stepsPerQuarter) {
    case 2:
        return "an eighth note";
    case 3:
        return "an eighth-note triplet";
    case 4:
        return "a sixteenth note";
    default:
        return "a quarter note";
    }
}

} // namespace

std::vector<std::string> importReport(const MidiImportCounts& counts) {
    std::vector<std::string> lines;
    lines.push_back("imported " + counted(counts.imported, "note", "notes") + " (a step is " +
                    stepName(counts) + ")");
    if (counts.cut) {
        lines.emplace_back("the file was cut short: what it holds was imported");
    }
    if (counts.songOctaves != 0) {
        const int octaves = counts.songOctaves < 0 ? -counts.songOctaves : counts.songOctaves;
        lines.push_back(std::string("the song moved ") +
                        (counts.songOctaves > 0 ? "up " : "down ") +
                        counted(octaves, "octave", "octaves"));
    }
    if (counts.movedByOctaves > 0) {
        lines.push_back(counted(counts.movedByOctaves, "note", "notes") + " moved by octaves");
    }
    if (counts.blackKeys > 0) {
        lines.push_back(counted(counts.blackKeys, "black key", "black keys") +
                        " moved to the white key below");
    }
    const std::pair<int, const char*> leftOut[] = {
        {counts.tooMany, "more than three at once"},
        {counts.sameKey, "one key twice at once"},
        {counts.pastLast, "past the last step"},
        {counts.pastEnd, "after the end mark"},
    };
    for (const auto& [count, why] : leftOut) {
        if (count > 0) {
            lines.push_back(std::to_string(count) + " left out (" + why + ")");
        }
    }
    if (counts.percussion > 0) {
        lines.push_back("the percussion channel left out (" +
                        counted(counts.percussion, "note", "notes") + ")");
    }
    if (counts.tempoChanges > 0) {
        lines.push_back(counted(counts.tempoChanges, "later tempo change", "later tempo changes") +
                        " ignored");
    }
    if (counts.signature != 0) {
        lines.push_back("the time signature " + std::to_string(counts.signature >> 8) + "/" +
                        std::to_string(1 << std::min(counts.signature & 0xFF, 30)) + " became 4/4");
    }
    return lines;
}

} // namespace zubo
