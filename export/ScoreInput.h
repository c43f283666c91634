#pragma once

#include "score/OrnScore.h"

#include <cstddef>
#include <cstdint>
#include <istream>
#include <memory>
#include <string>
#include <vector>

namespace zubo {

// The command line reads score texts of at most this size.
constexpr std::size_t kMaxScoreFileBytes = 1024 * 1024;

struct ScoreInput {
    std::vector<std::uint8_t> bytes;
    std::string error; // a one-line reason naming the file; empty on success

    bool ok() const { return error.empty(); }
};

// Reads a score text from a file, or from `in` when path is "-".
ScoreInput readScoreInput(const std::string& path, std::istream& in);
// The same with another limit, for inputs that may be other files.
ScoreInput readScoreInput(const std::string& path, std::istream& in, std::size_t maxBytes);

// Reads and loads a score for a command that needs a valid one. On failure
// returns nullptr and sets `error` to a one-line reason naming the file.
std::unique_ptr<OrnScore> readValidScore(const std::string& path, std::istream& in,
                                         std::string& error);
// The same, saying the reason on `err` as the program's one-line error.
std::unique_ptr<OrnScore> readValidScore(const std::string& path, std::istream& in,
                                         std::ostream& err);

} // namespace zubo
