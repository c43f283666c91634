#include "cli/CommandLine.h"

#include "cli/ArgumentBytes.h"
#include "cli/PlaybackStart.h"
#include "display/OrnStaffRows.h"

#include <QCommandLineParser>
#include <QFileInfo>

namespace zubo {
namespace {

CommandLine usageError(const QString& message) {
    CommandLine commandLine;
    commandLine.mode = CommandLine::Mode::Error;
    commandLine.error = message;
    return commandLine;
}

QString suffixOf(const std::string& path) {
    return QFileInfo(QString::fromStdString(path)).suffix().toLower();
}

bool knownOutputSuffix(const QString& suffix) {
    return suffix == QLatin1String("orn") || suffix == QLatin1String("png") ||
           suffix == QLatin1String("wav") || suffix == QLatin1String("flac") ||
           suffix == QLatin1String("ogg") || suffix == QLatin1String("mid") ||
           suffix == QLatin1String("musicxml");
}

} // namespace

QString usageText() {
    return QStringLiteral(
        "Usage: zubo-sequencer [FILE...]\n"
        "       zubo-sequencer --dump FILE\n"
        "       zubo-sequencer --check FILE...\n"
        "       zubo-sequencer -o OUT FILE\n"
        "       zubo-sequencer -o OUT.png --wrap UNITS FILE\n"
        "       zubo-sequencer --play FILE\n"
        "\n"
        "Without options, opens the composer with the given scores.\n"
        "\n"
        "Options (these run without a window; options and files may come in any order):\n"
        "  --dump FILE           print the settings and every stored cell of a score,\n"
        "                        one line \"cell STEP SLOT MIDI PROG\" per cell\n"
        "  --check FILE...       say for each file whether it is a valid score\n"
        "  -o, --export-to OUT   write the score FILE to OUT; OUT's extension picks\n"
        "                        the format (.orn: score text with CR LF line ends;\n"
        "                        .png: a picture of the staff up to the end mark;\n"
        "                        .wav, .flac, .ogg: the score played, 44100 Hz stereo;\n"
        "                        .mid: a Standard MIDI File of the notes as played;\n"
        "                        .musicxml: MusicXML 4.0 for notation programs);\n"
        "                        for .orn, .png and .musicxml, FILE may be a\n"
        "                        Standard MIDI File (format 0 or 1) put onto the\n"
        "                        staff, with a report of what changed\n"
        "  --play FILE           play the score through the default audio output\n"
        "                        until it has rung out (Ctrl-C stops it, a second\n"
        "                        Ctrl-C ends it at once)\n"
        "  --null-output         with --play, play silently at real-time pace\n"
        "                        without an audio device\n"
        "  --short               with -o OUT.orn, write the short clipboard form\n"
        "                        with LF line ends\n"
        "  --scale N             with -o OUT.png, pixels per unit, 1 to 4 (default 2)\n"
        "  --wrap UNITS          with -o OUT.png, lay the staff out in rows of whole\n"
        "                        measures at most UNITS units wide (at least 184:\n"
        "                        the clef and a 3/4 measure), stacked like a page;\n"
        "                        a measure wider than UNITS gets a row of its own\n"
        "                        (default: one strip)\n"
        "  --float               with -o OUT.wav, 32-bit float samples exactly as\n"
        "                        rendered (default 16-bit, clipped at full scale)\n"
        "  --volume PCT          with audio or MIDI output or --play, the volume in\n"
        "                        percent, 0 to 1000 (default: the \"volume\" setting,\n"
        "                        else 100); MIDI notes get velocity PCT, at most 127\n"
        "  --tempo-emulation T   with audio or MIDI output or --play, round step\n"
        "                        lengths up to 1/32, 1/48 or 1/64 s for T = 1, 2, 3;\n"
        "                        0 keeps them exact\n"
        "                        (default: the \"tempoEmurationType\" setting)\n"
        "  --loops N             with audio or MIDI output or --play, passes of a\n"
        "                        looping score before it rings out,\n"
        "                        1 to 1000 (default 1)\n"
        "  --from STEP           with audio or MIDI output or --play, start at STEP\n"
        "                        (0 to 959, before the end mark), as if played from\n"
        "                        there (default 0)\n"
        "  --instruments DIR     with audio output or --play, your own sounds from DIR\n"
        "                        (default: the \"instrumentsFolder\" setting)\n"
        "  --smooth              with audio output or --play, fade out cut voices and\n"
        "                        interpolate pitched ones (default: the\n"
        "                        \"playbackQuality\" setting)\n"
        "  --verbose             print the diagnostics the composer logs\n"
        "  -h, --help            show this help\n"
        "  --version             show the version\n"
        "\n"
        "A FILE may be - for standard input, or a pipe; score files are read up to\n"
        "1 MiB (1048576 bytes).\n"
        "\n"
        "Exit status: 0 success; 1 an unreadable or invalid score, a failed write,\n"
        "missing sounds or images, no audio output or a lost one; 2 a usage error;\n"
        "130 or 143 when Ctrl-C or SIGTERM stopped --play.\n"
        "\n"
        "Environment: ZUBO_RESOURCES names the folder of the sounds, images and\n"
        "example scores (default: beside the program, else the installed share folder).\n");
}

CommandLine parseCommandLine(const QStringList& arguments) {
    std::vector<std::string> bytes;
    for (const auto& argument : arguments) {
        bytes.push_back(argument.toStdString());
    }
    return parseCommandLine(bytes);
}

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    const ArgumentBytes argumentBytes(arguments);
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    // --dump and --play are flags, not options with a value: their file may
    // come anywhere, and an option after them is never taken for it.
    const QCommandLineOption dump(QStringLiteral("dump"));
    const QCommandLineOption check(QStringLiteral("check"));
    const QCommandLineOption exportTo(QStringList{QStringLiteral("o"), QStringLiteral("export-to")},
                                      QString(), QStringLiteral("OUT"));
    const QCommandLineOption shortForm(QStringLiteral("short"));
    const QCommandLineOption scale(QStringLiteral("scale"), QString(), QStringLiteral("N"));
    const QCommandLineOption wrap(QStringLiteral("wrap"), QString(), QStringLiteral("UNITS"));
    const QCommandLineOption floatSamples(QStringLiteral("float"));
    const QCommandLineOption volume(QStringLiteral("volume"), QString(), QStringLiteral("PCT"));
    const QCommandLineOption tempoEmulation(QStringLiteral("tempo-emulation"), QString(),
                                            QStringLiteral("TYPE"));
    const QCommandLineOption loops(QStringLiteral("loops"), QString(), QStringLiteral("N"));
    const QCommandLineOption smooth(QStringLiteral("smooth"));
    const QCommandLineOption from(QStringLiteral("from"), QString(), QStringLiteral("STEP"));
    const QCommandLineOption instruments(QStringLiteral("instruments"), QString(),
                                         QStringLiteral("DIR"));
    const QCommandLineOption play(QStringLiteral("play"));
    const QCommandLineOption nullOutput(QStringLiteral("null-output"));
    const QCommandLineOption verbose(QStringLiteral("verbose"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOptions({dump, check, exportTo, shortForm, scale, wrap, floatSamples, volume,
                       tempoEmulation, loops, smooth, play, nullOutput, verbose, help, version,
                       from, instruments});
    if (!parser.parse(argumentBytes.texts())) {
        return usageError(parser.errorText());
    }

    CommandLine commandLine;
    for (const auto& file : parser.positionalArguments()) {
        commandLine.files.push_back(argumentBytes.bytes(file));
    }
    commandLine.verbose = parser.isSet(verbose);
    if (parser.isSet(help)) {
        commandLine.mode = CommandLine::Mode::Help;
        return commandLine;
    }
    if (parser.isSet(version)) {
        commandLine.mode = CommandLine::Mode::Version;
        return commandLine;
    }
    for (const auto* option : {&exportTo, &scale, &wrap, &volume, &tempoEmulation, &loops}) {
        if (parser.values(*option).size() > 1) {
            return usageError(QStringLiteral("%1%2 is given more than once")
                                  .arg(option->names().front().size() == 1 ? QLatin1String("-")
                                                                            : QLatin1String("--"),
                                       option->names().front()));
        }
    }
    const int modes = (parser.isSet(dump) ? 1 : 0) + (parser.isSet(check) ? 1 : 0) +
                      (parser.isSet(exportTo) ? 1 : 0) + (parser.isSet(play) ? 1 : 0);
    if (modes > 1) {
        return usageError(QStringLiteral("--dump, --check, -o and --play cannot be combined"));
    }
    if (parser.isSet(nullOutput) && !parser.isSet(play)) {
        return usageError(QStringLiteral("--null-output goes with --play"));
    }
    if (parser.isSet(dump)) {
        if (commandLine.files.size() != 1) {
            return usageError(QStringLiteral("--dump takes exactly one FILE"));
        }
        commandLine.mode = CommandLine::Mode::Dump;
    } else if (parser.isSet(check)) {
        if (commandLine.files.empty()) {
            return usageError(QStringLiteral("--check needs at least one FILE"));
        }
        commandLine.mode = CommandLine::Mode::Check;
    } else if (parser.isSet(exportTo)) {
        if (commandLine.files.size() != 1) {
            return usageError(QStringLiteral("-o OUT takes exactly one input FILE"));
        }
        commandLine.mode = CommandLine::Mode::Export;
        commandLine.output = argumentBytes.bytes(parser.value(exportTo));
        if (!knownOutputSuffix(suffixOf(commandLine.output))) {
            return usageError(
                QStringLiteral(
                    "%1: unknown output format (use .orn, .png, .wav, .flac, .ogg, .mid or "
                    ".musicxml)")
                    .arg(QString::fromStdString(commandLine.output)));
        }
    } else if (parser.isSet(play)) {
        if (commandLine.files.size() != 1) {
            return usageError(QStringLiteral("--play takes exactly one FILE"));
        }
        commandLine.mode = CommandLine::Mode::Play;
        commandLine.nullOutput = parser.isSet(nullOutput);
    }
    const QString suffix = commandLine.mode == CommandLine::Mode::Export
                               ? suffixOf(commandLine.output)
                               : QString();
    if (parser.isSet(shortForm) && suffix != QLatin1String("orn")) {
        return usageError(QStringLiteral("--short goes with -o OUT.orn"));
    }
    if (parser.isSet(scale)) {
        if (suffix != QLatin1String("png")) {
            return usageError(QStringLiteral("--scale N goes with -o OUT.png"));
        }
        bool number = false;
        commandLine.scale = parser.value(scale).toInt(&number);
        if (!number || commandLine.scale < 1 || commandLine.scale > 4) {
            return usageError(QStringLiteral("--scale takes a whole number from 1 to 4"));
        }
    }
    if (parser.isSet(wrap)) {
        if (suffix != QLatin1String("png")) {
            return usageError(QStringLiteral("--wrap UNITS goes with -o OUT.png"));
        }
        bool number = false;
        commandLine.wrap = parser.value(wrap).toInt(&number);
        if (!number || commandLine.wrap < kStaffRowMinWidth) {
            return usageError(QStringLiteral("--wrap takes a whole number of at least %1")
                                  .arg(kStaffRowMinWidth));
        }
    }
    commandLine.shortForm = parser.isSet(shortForm);
    if (parser.isSet(floatSamples) && suffix != QLatin1String("wav")) {
        return usageError(QStringLiteral("--float needs a .wav output"));
    }
    const bool audio = commandLine.mode == CommandLine::Mode::Export &&
                       isAudioExportPath(commandLine.output);
    const bool playing = commandLine.mode == CommandLine::Mode::Play;
    const bool midi = suffix == QLatin1String("mid");
    for (const auto* option : {&volume, &tempoEmulation, &loops, &smooth}) {
        if (parser.isSet(*option) && !audio && !playing && (!midi || option == &smooth)) {
            return usageError(QStringLiteral("--%1 goes with -o OUT.wav, %2, or --play")
                                  .arg(option->names().front(),
                                       option == &smooth ? QStringLiteral(".flac or .ogg")
                                                         : QStringLiteral(".flac, .ogg or .mid")));
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
    if (const QString problem =
            parsePlaybackStart(parser, from, instruments, argumentBytes, commandLine);
        !problem.isEmpty()) {
        return usageError(problem);
    }
    return commandLine;
}

} // namespace zubo
