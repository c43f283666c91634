#pragma once

#include "cli/ArgumentBytes.h"
#include "cli/CommandLine.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <iosfwd>

class OrnScore;

namespace zubo {

// --from STEP and --instruments DIR, which go with the audio exports and
// --play (--from with MIDI files too). Fills `commandLine` and returns a
// usage error, or an empty text.
QString parsePlaybackStart(const QCommandLineParser& parser, const QCommandLineOption& from,
                           const QCommandLineOption& instruments, const ArgumentBytes& bytes,
                           CommandLine& commandLine);

// Puts the user's sounds in the shared bank: from --instruments, else the
// "instrumentsFolder" setting. False after saying why the folder cannot be
// used; a file that cannot is a warning, and with --verbose the files with
// other names are listed.
bool useInstruments(const CommandLine& commandLine, std::ostream& err);

// Whether the step a render starts at lies before the score's end mark;
// else says so on `err` (a usage error, exit status 2).
bool checkStartStep(const OrnScore& score, int from, std::ostream& err);

} // namespace zubo
