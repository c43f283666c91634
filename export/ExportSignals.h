#pragma once

#include <csignal>

namespace zubo {

// While an export runs, Ctrl-C, SIGTERM and SIGHUP remove the export's
// temporary file (the AtomicFile pending in this process) and end the
// process at once with 128 + the signal's number, as a shell reports it.
// The previous handlers come back when the guard ends.
class ExportSignalGuard {
  public:
    ExportSignalGuard();
    ~ExportSignalGuard();
    ExportSignalGuard(const ExportSignalGuard&) = delete;
    ExportSignalGuard& operator=(const ExportSignalGuard&) = delete;

  private:
    struct sigaction _previous[3];
};

} // namespace zubo
