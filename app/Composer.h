#pragma once

#include <QStringList>

namespace zubo {

// The composer: a window for each of `files` (an untitled one when there
// are none), until the last window closes. The sound bank must exist.
// With ZUBO_QUIT_AFTER_PAINT set, it quits once the first window has been
// painted (for start-up measurements).
int runComposer(int& argc, char** argv, const QStringList& files);

} // namespace zubo
