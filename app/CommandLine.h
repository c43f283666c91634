#pragma once

#include "app/AudioExport.h"

#include <QString>
#include <QStringList>

#include <iosfwd>

namespace zubo {

// What the command line asks for. Without a headless option the composer
// opens the given files.
struct CommandLine {
    enum class Mode { Composer, Dump, Check, Export, Play, Help, Version, Error };

    Mode mode = Mode::Composer;
    QStringList files;  // the scores to open, check, or (one) export
    QString dumpFile;   // --dump
    QString output;     // -o / --export-to
    QString playFile;   // --play
    bool nullOutput = false; // --null-output: play without a device
    bool shortForm = false;
    int scale = 2;      // --scale: device pixels per display unit of a picture
    AudioExportOptions audio; // --float, --volume, --tempo-emulation, --loops
    QString error;      // Mode::Error: a one-line usage error
};

// `arguments` includes the program name first, as argv does.
CommandLine parseCommandLine(const QStringList& arguments);

// Runs a headless mode and returns the exit code: 0 success, 1 a failure
// with the input or output, 2 a usage error.
int runHeadless(const CommandLine& commandLine, std::ostream& out, std::ostream& err,
                std::istream& in);

QString usageText();

} // namespace zubo
