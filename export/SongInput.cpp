#include "export/SongInput.h"

#include "export/MidiImport.h"
#include "export/MidiReader.h"
#include "export/ScoreInput.h"
#include "score/OrnScore.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <ostream>

namespace zubo {

bool isMidiFileName(const std::string& path) {
    std::string suffix = std::filesystem::path(path).extension().string();
    std::transform(suffix.begin(), suffix.end(), suffix.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return suffix == ".mid" || suffix == ".midi";
}

SongInput readSongInput(const std::string& path, std::istream& in) {
    SongInput song;
    const ScoreInput input = readScoreInput(path, in, kMaxMidiFileBytes);
    const bool midiName = isMidiFileName(path);
    if (!input.ok()) {
        const bool tooLarge = input.error.find(": larger than ") != std::string::npos;
        song.error = midiName && tooLarge ? path + ": not a Standard MIDI File (larger than 16 MiB)"
                                          : input.error;
        return song;
    }
    if (midiName || isMidiData(input.bytes)) {
        MidiImportResult imported = importMidi(input.bytes);
        if (!imported.ok()) {
            song.error = path + ": " + imported.error;
            return song;
        }
        song.score = std::move(imported.score);
        song.report = importReport(imported.counts);
        return song;
    }
    if (input.bytes.size() > kMaxScoreFileBytes) {
        song.error = (path == "-" ? std::string("standard input") : path) + ": larger than " +
                     std::to_string(kMaxScoreFileBytes) + " bytes";
        return song;
    }
    auto score = std::make_unique<OrnScore>(input.bytes);
    if (!score->isValid()) {
        song.error = path + ": not a valid score";
        return song;
    }
    song.score = std::move(score);
    return song;
}

std::unique_ptr<OrnScore> readSong(const std::string& path, std::istream& in, std::ostream& err) {
    SongInput song = readSongInput(path, in);
    if (!song.score) {
        err << "zubo-sequencer: " << song.error << '\n';
    }
    for (const std::string& line : song.report) {
        err << "zubo-sequencer: " << path << ": " << line << '\n';
    }
    return std::move(song.score);
}

} // namespace zubo
