#include "app/CommandLine.h"

#include "app/PictureExport.h"
#include "app/PlayCommand.h"
#include "app/ScoreCommands.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include <unistd.h>

#include <iostream>
#include <ostream>
#include <string>
#include <vector>

#ifndef ZUBO_VERSION
#define ZUBO_VERSION "0"
#endif

namespace zubo {
namespace {

CommandLine usageError(const QString& message) {
    CommandLine commandLine;
    commandLine.mode = CommandLine::Mode::Error;
    commandLine.error = message;
    return commandLine;
}

std::string local(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

} // namespace

QString usageText() {
    return QStringLiteral(
        "Usage: zubo-sequencer [FILE...]\n"
        "       zubo-sequencer --dump FILE\n"
        "       zubo-sequencer --check FILE...\n"
        "       zubo-sequencer -o OUT FILE\n"
        "       zubo-sequencer --play FILE\n"
        "\n"
        "Without options, opens the composer with the given scores.\n"
        "\n"
        "Options (these run without a window):\n"
        "  --dump FILE           print the settings and every stored cell of a score\n"
        "                        (FILE may be - for standard input)\n"
        "  --check FILE...       say for each file whether it is a valid score\n"
        "  -o, --export-to OUT   write the score FILE to OUT; OUT's extension picks\n"
        "                        the format (.orn: score text with CR LF line ends;\n"
        "                        .png: a picture of the staff up to the end mark;\n"
        "                        .wav, .flac, .ogg: the score played, 44100 Hz stereo)\n"
        "  --play FILE           play the score through the default audio output\n"
        "                        until it has rung out (Ctrl-C stops it)\n"
        "  --null-output         with --play, play silently at real-time pace\n"
        "                        without an audio device\n"
        "  --short               with -o OUT.orn, write the short clipboard form\n"
        "                        with LF line ends\n"
        "  --scale N             with -o OUT.png, pixels per unit, 1 to 4 (default 2)\n"
        "  --float               with -o OUT.wav, 32-bit float samples exactly as\n"
        "                        rendered (default 16-bit, clipped at full scale)\n"
        "  --volume PCT          with audio output or --play, the volume in percent (default:\n"
        "                        the \"volume\" preference, else 100)\n"
        "  --tempo-emulation T   with audio output or --play, round step lengths up to 1/32,\n"
        "                        1/48 or 1/64 s for T = 1, 2, 3; 0 keeps them exact\n"
        "                        (default: the \"tempoEmurationType\" preference)\n"
        "  --loops N             with audio output or --play, passes of a looping score\n"
        "                        before it rings out (default 1)\n"
        "  --smooth              with audio output or --play, fade out cut voices and\n"
        "                        interpolate pitched ones (default: the\n"
        "                        \"playbackQuality\" preference)\n"
        "  -h, --help            show this help\n"
        "  --version             show the version\n");
}

CommandLine parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption dump(QStringLiteral("dump"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption check(QStringLiteral("check"));
    const QCommandLineOption exportTo(QStringList{QStringLiteral("o"), QStringLiteral("export-to")},
                                      QString(), QStringLiteral("OUT"));
    const QCommandLineOption shortForm(QStringLiteral("short"));
    const QCommandLineOption scale(QStringLiteral("scale"), QString(), QStringLiteral("N"));
    const QCommandLineOption floatSamples(QStringLiteral("float"));
    const QCommandLineOption volume(QStringLiteral("volume"), QString(), QStringLiteral("PCT"));
    const QCommandLineOption tempoEmulation(QStringLiteral("tempo-emulation"), QString(),
                                            QStringLiteral("TYPE"));
    const QCommandLineOption loops(QStringLiteral("loops"), QString(), QStringLiteral("N"));
    const QCommandLineOption smooth(QStringLiteral("smooth"));
    const QCommandLineOption play(QStringLiteral("play"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption nullOutput(QStringLiteral("null-output"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOptions({dump, check, exportTo, shortForm, scale, floatSamples, volume, tempoEmulation,
                       loops, smooth, play, nullOutput, help, version});
    if (!parser.parse(arguments)) {
        return usageError(parser.errorText());
    }

    CommandLine commandLine;
    commandLine.files = parser.positionalArguments();
    if (parser.isSet(help)) {
        commandLine.mode = CommandLine::Mode::Help;
        return commandLine;
    }
    if (parser.isSet(version)) {
        commandLine.mode = CommandLine::Mode::Version;
        return commandLine;
    }
    const int modes = (parser.isSet(dump) ? 1 : 0) + (parser.isSet(check) ? 1 : 0) +
                      (parser.isSet(exportTo) ? 1 : 0) + (parser.isSet(play) ? 1 : 0);
    if (modes > 1) {
        return usageError(QStringLiteral("--dump, --check, -o and --play cannot be combined"));
    }
    if (parser.isSet(nullOutput) && !parser.isSet(play)) {
        return usageError(QStringLiteral("--null-output goes with --play"));
    }
    if (parser.isSet(shortForm) && !parser.isSet(exportTo)) {
        return usageError(QStringLiteral("--short goes with -o"));
    }
    if (parser.isSet(dump)) {
        if (parser.values(dump).size() > 1 || !commandLine.files.isEmpty()) {
            return usageError(QStringLiteral("--dump takes exactly one FILE"));
        }
        commandLine.mode = CommandLine::Mode::Dump;
        commandLine.dumpFile = parser.value(dump);
    } else if (parser.isSet(check)) {
        if (commandLine.files.isEmpty()) {
            return usageError(QStringLiteral("--check needs at least one FILE"));
        }
        commandLine.mode = CommandLine::Mode::Check;
    } else if (parser.isSet(exportTo)) {
        if (parser.values(exportTo).size() > 1 || commandLine.files.size() != 1) {
            return usageError(QStringLiteral("-o OUT takes exactly one input FILE"));
        }
        commandLine.mode = CommandLine::Mode::Export;
        commandLine.output = parser.value(exportTo);
        commandLine.shortForm = parser.isSet(shortForm);
    } else if (parser.isSet(play)) {
        if (parser.values(play).size() > 1 || !commandLine.files.isEmpty()) {
            return usageError(QStringLiteral("--play takes exactly one FILE"));
        }
        commandLine.mode = CommandLine::Mode::Play;
        commandLine.playFile = parser.value(play);
        commandLine.nullOutput = parser.isSet(nullOutput);
    }
    if (parser.isSet(scale)) {
        const bool picture =
            commandLine.mode == CommandLine::Mode::Export &&
            QFileInfo(commandLine.output).suffix().toLower() == QLatin1String("png");
        if (!picture || parser.values(scale).size() > 1) {
            return usageError(QStringLiteral("--scale N goes once with -o OUT.png"));
        }
        bool number = false;
        commandLine.scale = parser.value(scale).toInt(&number);
        if (!number || commandLine.scale < 1 || commandLine.scale > 4) {
            return usageError(QStringLiteral("--scale takes a whole number from 1 to 4"));
        }
    }
    const bool audio = commandLine.mode == CommandLine::Mode::Export &&
                       isAudioExportPath(local(commandLine.output));
    if (parser.isSet(floatSamples) && !audio) {
        return usageError(QStringLiteral("--float goes with -o OUT.wav, .flac or .ogg"));
    }
    const bool playing = commandLine.mode == CommandLine::Mode::Play;
    for (const auto* option : {&volume, &tempoEmulation, &loops, &smooth}) {
        if (parser.isSet(*option) && !audio && !playing) {
            return usageError(QStringLiteral("--%1 goes with -o OUT.wav, .flac or .ogg, or --play")
                                  .arg(option->names().front()));
        }
    }
    commandLine.audio.floatSamples = parser.isSet(floatSamples);
    commandLine.audio.smooth = parser.isSet(smooth);
    if (parser.isSet(volume)) {
        bool number = false;
        const double percent = parser.value(volume).toDouble(&number);
        if (!number || !(percent >= 0.0) || percent > 1000.0) {
            return usageError(QStringLiteral("--volume takes a percentage from 0 to 1000"));
        }
        commandLine.audio.volumePercent = percent;
    }
    if (parser.isSet(tempoEmulation)) {
        bool number = false;
        const int type = parser.value(tempoEmulation).toInt(&number);
        if (!number || type < 0 || type > 3) {
            return usageError(QStringLiteral("--tempo-emulation takes 0, 1, 2 or 3"));
        }
        commandLine.audio.tempoEmulation = type;
    }
    if (parser.isSet(loops)) {
        bool number = false;
        commandLine.audio.loops = parser.value(loops).toInt(&number);
        if (!number || commandLine.audio.loops < 1 || commandLine.audio.loops > 1000) {
            return usageError(QStringLiteral("--loops takes a whole number from 1 to 1000"));
        }
    }
    return commandLine;
}

int runHeadless(const CommandLine& commandLine, std::ostream& out, std::ostream& err,
                std::istream& in) {
    switch (commandLine.mode) {
    case CommandLine::Mode::Composer:
        return 0;
    case CommandLine::Mode::Help:
        out << local(usageText());
        return 0;
    case CommandLine::Mode::Version:
        out << "zubo-sequencer " << ZUBO_VERSION << '\n';
        return 0;
    case CommandLine::Mode::Error:
        err << "zubo-sequencer: " << local(commandLine.error) << '\n'
            << "Try 'zubo-sequencer --help' for more information.\n";
        return 2;
    case CommandLine::Mode::Play: {
        PlayOptions options;
        options.audio = commandLine.audio;
        options.nullOutput = commandLine.nullOutput;
        // The position display rewrites one line: only on a terminal.
        options.progress = &out == &std::cout && ::isatty(STDOUT_FILENO) == 1;
        return playScore(local(commandLine.playFile), options, out, err, in);
    }
    case CommandLine::Mode::Dump:
        return dumpScore(local(commandLine.dumpFile), out, err, in);
    case CommandLine::Mode::Check: {
        std::vector<std::string> paths;
        for (const auto& file : commandLine.files) {
            paths.push_back(local(file));
        }
        return checkScores(paths, out, err, in);
    }
    case CommandLine::Mode::Export: {
        const QString suffix = QFileInfo(commandLine.output).suffix().toLower();
        if (suffix == QLatin1String("orn")) {
            return exportScoreText(local(commandLine.files.front()), local(commandLine.output),
                                   commandLine.shortForm, err, in);
        }
        if (suffix == QLatin1String("png")) {
            if (commandLine.shortForm) {
                err << "zubo-sequencer: --short goes with -o OUT.orn\n";
                return 2;
            }
            return exportScorePicture(local(commandLine.files.front()), local(commandLine.output),
                                      commandLine.scale, err, in);
        }
        if (isAudioExportPath(local(commandLine.output))) {
            if (commandLine.shortForm) {
                err << "zubo-sequencer: --short goes with -o OUT.orn\n";
                return 2;
            }
            return exportAudio(local(commandLine.files.front()), local(commandLine.output),
                               commandLine.audio, err, in);
        }
        err << "zubo-sequencer: " << local(commandLine.output)
            << ": unknown output format (use .orn, .png, .wav, .flac or .ogg)\n";
        return 2;
    }
    }
    return 2;
}

} // namespace zubo
