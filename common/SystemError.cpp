#include "common/SystemError.h"

#include <cctype>
#include <cerrno>
#include <cstring>

namespace zubo {

std::string systemReason(int errorNumber) {
    char buffer[256];
    // The GNU strerror_r: the text may or may not be put in `buffer`.
    std::string reason = ::strerror_r(errorNumber, buffer, sizeof buffer);
    if (!reason.empty()) {
        reason[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(reason[0])));
    }
    return reason;
}

std::string fileReason(int errorNumber) {
    return errorNumber == ENOENT ? "no such file" : systemReason(errorNumber);
}

} // namespace zubo
