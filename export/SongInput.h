#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

class OrnScore;

namespace zubo {

// A score read from a score text or imported from a Standard MIDI File,
// which is known by its header (or by a name ending in .mid or .midi).
struct SongInput {
    std::unique_ptr<OrnScore> score; // null on failure
    std::vector<std::string> report; // what an import changed; empty for a score text
    std::string error;               // a one-line reason naming the file
};

SongInput readSongInput(const std::string& path, std::istream& in);

// The same for a command: the import's report, or the reason, on `err`
// as the program's lines. Null on failure.
std::unique_ptr<OrnScore> readSong(const std::string& path, std::istream& in, std::ostream& err);

// Whether a file name ends in .mid or .midi.
bool isMidiFileName(const std::string& path);

} // namespace zubo
