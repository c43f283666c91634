#include "common/Log.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>

namespace {

std::atomic<bool> g_logEnabled{true};

} // namespace

void zuboSetLogEnabled(bool enabled) {
    g_logEnabled.store(enabled);
}

bool zuboLogEnabled() {
    return g_logEnabled.load();
}

void zuboLog(const char* format, ...) {
    if (!g_logEnabled.load()) {
        return;
    }
    char line[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    std::fprintf(stderr, "%s\n", line);
}
