#pragma once

#include "export/AudioExport.h"

#include <QString>
#include <QStringList>

#include <iosfwd>
#include <string>
#include <vector>

namespace zubo {

// What the command line asks for. Without a headless option the composer
// opens the given files. File names are kept as the bytes they were given
// in, whatever their encoding, and used as such.
struct CommandLine {
    enum class Mode { Composer, Dump, Check, Export, Play, Help, Version, Error };

    Mode mode = Mode::Composer;
    std::vector<std::string> files; // the scores to open, check, dump, play or (one) export
    std::string output;             // -o / --export-to
    bool nullOutput = false;        // --null-output: play without a device
    bool shortForm = false;
    bool verbose = false;           // --verbose: the diagnostics the composer logs
    int scale = 2;      // --scale: device pixels per display unit of a picture
    int wrap = 0;       // --wrap: a picture's greatest row width in units; 0 one strip
    AudioExportOptions audio; // --float, --volume, --tempo-emulation, --loops, --from
    std::string instruments;  // --instruments: the folder of the user's sounds
    QString error;      // Mode::Error: a one-line usage error
};

// `arguments` includes the program name first, as argv does.
CommandLine parseCommandLine(const std::vector<std::string>& arguments);
// The same for arguments given as text (in UTF-8 on the way to bytes).
CommandLine parseCommandLine(const QStringList& arguments);

QString usageText();

} // namespace zubo
