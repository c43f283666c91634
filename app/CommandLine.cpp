#include "app/CommandLine.h"

#include "app/PictureExport.h"
#include "app/ScoreCommands.h"

#include <QCommandLineParser>
#include <QFileInfo>

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
        "\n"
        "Without options, opens the composer with the given scores.\n"
        "\n"
        "Options (these run without a window):\n"
        "  --dump FILE           print the settings and every stored cell of a score\n"
        "                        (FILE may be - for standard input)\n"
        "  --check FILE...       say for each file whether it is a valid score\n"
        "  -o, --export-to OUT   write the score FILE to OUT; OUT's extension picks\n"
        "                        the format (.orn: score text with CR LF line ends;\n"
        "                        .png: a picture of the staff up to the end mark)\n"
        "  --short               with -o OUT.orn, write the short clipboard form\n"
        "                        with LF line ends\n"
        "  --scale N             with -o OUT.png, pixels per unit, 1 to 4 (default 2)\n"
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
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOptions({dump, check, exportTo, shortForm, scale, help, version});
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
                      (parser.isSet(exportTo) ? 1 : 0);
    if (modes > 1) {
        return usageError(QStringLiteral("--dump, --check and -o cannot be combined"));
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
        err << "zubo-sequencer: " << local(commandLine.output)
            << ": unknown output format (use .orn or .png)\n";
        return 2;
    }
    }
    return 2;
}

} // namespace zubo
