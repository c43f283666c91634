#include "export/ExportSignals.h"

#include "common/AtomicFile.h"

#include <unistd.h>

namespace zubo {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Only async-signal-safe calls: the path was published before the file existed.
extern "C" void removeTemporaryAndExit(int signal) {
    if (const char* temporary = pendingTemporaryPath()) {
        ::unlink(temporary);
    }
    ::_exit(128 + signal);
}

} // namespace

ExportSignalGuard::ExportSignalGuard() {
    struct sigaction action {};
    action.sa_handler = removeTemporaryAndExit;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < 3; ++i) {
        ::sigaction(kSignals[i], &action, &_previous[i]);
    }
}

ExportSignalGuard::~ExportSignalGuard() {
    for (int i = 0; i < 3; ++i) {
        ::sigaction(kSignals[i], &_previous[i], nullptr);
    }
}

} // namespace zubo
