#include "cli/PlaybackStart.h"

#include "document/InstrumentsFolder.h"
#include "document/Preferences.h"
#include "score/OrnScore.h"

#include <QFile>
#include <QFileInfo>
#include <ostream>

namespace zubo {

QString parsePlaybackStart(const QCommandLineParser& parser, const QCommandLineOption& from,
                           const QCommandLineOption& instruments, const ArgumentBytes& bytes,
                           CommandLine& commandLine) {
    const bool playing = commandLine.mode == CommandLine::Mode::Play;
    const bool audio =
        commandLine.mode == CommandLine::Mode::Export && isAudioExportPath(commandLine.output);
    const bool midi = commandLine.mode == CommandLine::Mode::Export &&
                      QFileInfo(QString::fromStdString(commandLine.output)).suffix().toLower() ==
                          QLatin1String("mid");
    for (const auto* option : {&from, &instruments}) {
        if (parser.values(*option).size() > 1) {
            return QStringLiteral("--%1 is given more than once").arg(option->names().front());
        }
    }
    if (parser.isSet(from)) {
        if (!audio && !midi && !playing) {
            return QStringLiteral("--from goes with -o OUT.wav, .flac, .ogg or .mid, or --play");
        }
        bool number = false;
        const int step = parser.value(from).toInt(&number);
        if (!number || step < 0 || step >= OrnScore::maxLength()) {
            return QStringLiteral("--from takes a step from 0 to %1")
                .arg(OrnScore::maxLength() - 1);
        }
        commandLine.audio.from = step;
    }
    if (parser.isSet(instruments)) {
        if (!audio && !playing) {
            return QStringLiteral("--instruments goes with -o OUT.wav, .flac or .ogg, or --play");
        }
        commandLine.instruments = bytes.bytes(parser.value(instruments));
    }
    return {};
}

bool useInstruments(const CommandLine& commandLine, std::ostream& err) {
    const QString folder = commandLine.instruments.empty()
                               ? instrumentsFolderSetting(*Preferences::shared())
                               : QFile::decodeName(commandLine.instruments.c_str());
    const InstrumentsChange change = useInstrumentsFolder(folder);
    if (!change.error.isEmpty()) {
        err << "zubo-sequencer: " << change.error.toStdString() << '\n';
        return false;
    }
    for (const QString& warning : change.warnings) {
        err << "zubo-sequencer: " << warning.toStdString() << '\n';
    }
    if (commandLine.verbose && !change.ignored.isEmpty()) {
        err << "zubo-sequencer: not an instrument's name, ignored in " << folder.toStdString()
            << ": " << change.ignored.join(QStringLiteral(", ")).toStdString() << '\n';
    }
    return true;
}

bool checkStartStep(const OrnScore& score, int from, std::ostream& err) {
    if (from < score.end()) {
        return true;
    }
    err << "zubo-sequencer: --from " << from << " is at or past the end mark (step " << score.end()
        << ")\n";
    return false;
}

} // namespace zubo
