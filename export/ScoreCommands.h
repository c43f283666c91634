#pragma once

#include "export/ExportResult.h"

#include <iosfwd>
#include <string>
#include <vector>

class OrnScore;

namespace zubo {

// The headless commands over score texts. Each returns the process's exit
// code: 0 success, 1 an invalid or unreadable score or a failed write.

// Prints the score's settings and every stored cell that is not empty.
int dumpScore(const std::string& path, std::ostream& out, std::ostream& err, std::istream& in);
// One line per file: a summary of a valid score, or why it is not one.
int checkScores(const std::vector<std::string>& paths, std::ostream& out, std::ostream& err,
                std::istream& in);
// Writes the score as text: the full form with CR LF, or the short
// (clipboard) form with LF. The write is atomic.
ExportResult exportScoreText(const OrnScore& score, const std::string& output, bool shortForm);

} // namespace zubo
