#pragma once

#include <string>

namespace zubo {

// The system's reason for an errno value as this program's messages put
// it, beginning in lower case: "no space left on device", "too many levels
// of symbolic links". Thread-safe.
std::string systemReason(int errorNumber);
// The same for a file that could not be reached, where a missing file is
// simply "no such file".
std::string fileReason(int errorNumber);

} // namespace zubo
