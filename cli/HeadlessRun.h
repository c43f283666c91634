#pragma once

#include "cli/CommandLine.h"

#include <iosfwd>

namespace zubo {

// Runs a headless mode and returns the exit code: 0 success, 1 a failure
// with the input, the output or the resources, 2 a usage error; --play also
// 130 or 143 when SIGINT or SIGTERM stopped it.
int runHeadless(const CommandLine& commandLine, std::ostream& out, std::ostream& err,
                std::istream& in);

} // namespace zubo
