#include "export/ScoreInput.h"

#include "common/FileRead.h"

#include <iterator>
#include <ostream>

namespace zubo {

ScoreInput readScoreInput(const std::string& path, std::istream& in) {
    return readScoreInput(path, in, kMaxScoreFileBytes);
}

ScoreInput readScoreInput(const std::string& path, std::istream& in, std::size_t maxBytes) {
    ScoreInput input;
    if (path == "-") {
        std::vector<char> chunk(65536);
        while (in) {
            in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
            const auto got = static_cast<std::size_t>(in.gcount());
            input.bytes.insert(input.bytes.end(), chunk.begin(),
                               chunk.begin() + static_cast<std::ptrdiff_t>(got));
            if (input.bytes.size() > maxBytes) {
                input.bytes.clear();
                input.error = "standard input: larger than " + std::to_string(maxBytes) + " bytes";
                return input;
            }
        }
        return input;
    }
    auto contents = readWholeFile(path, maxBytes);
    if (!contents.ok()) {
        input.error = path + ": " + contents.error;
        return input;
    }
    input.bytes = std::move(contents.bytes);
    return input;
}

std::unique_ptr<OrnScore> readValidScore(const std::string& path, std::istream& in,
                                         std::string& error) {
    auto input = readScoreInput(path, in);
    if (!input.ok()) {
        error = input.error;
        return nullptr;
    }
    auto score = std::make_unique<OrnScore>(input.bytes);
    if (!score->isValid()) {
        error = path + ": not a valid score";
        return nullptr;
    }
    return score;
}

std::unique_ptr<OrnScore> readValidScore(const std::string& path, std::istream& in,
                                         std::ostream& err) {
    std::string error;
    auto score = readValidScore(path, in, error);
    if (!score) {
        err << "zubo-sequencer: " << error << '\n';
    }
    return score;
}

} // namespace zubo
