#pragma once

#include <QStringList>

namespace zubo {

// The composer: a window for each of `files` (an untitled one when there
// are none), until the last window closes. The sound bank must exist.
// It first offers the unsaved documents of a run that ended in a crash.
// SIGTERM, SIGHUP and SIGINT keep every unsaved document for the next start
// and end it with 128 + the signal's number.
// With ZUBO_QUIT_AFTER_PAINT set, it quits once every window it opened has
// been painted (for start-up measurements); ZUBO_RECOVERY_INTERVAL_MS shortens
// the 30 s between copies kept for recovery (for tests).
int runComposer(int& argc, char** argv, const QStringList& files);

} // namespace zubo
