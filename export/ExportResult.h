#pragma once

#include <string>
#include <utility>

namespace zubo {

// What an export came to. The message is in the user's words and names the
// file ("song.wav: No space left on device"); the command line puts the
// program's name before it and turns the outcome into its exit code, the
// composer shows it in an alert.
struct ExportResult {
    enum class Outcome {
        Written,    // the whole file is in place
        Failed,     // bad input or a failed write: nothing was left behind
        BadRequest, // the options cannot make such a file
    };

    Outcome outcome = Outcome::Written;
    std::string message;

    bool ok() const { return outcome == Outcome::Written; }

    static ExportResult written() { return {}; }
    static ExportResult failed(std::string message) {
        return {Outcome::Failed, std::move(message)};
    }
    static ExportResult badRequest(std::string message) {
        return {Outcome::BadRequest, std::move(message)};
    }
};

} // namespace zubo
