#include "cli/HeadlessRun.h"
#include "cli/PlayCommand.h"
#include "cli/PlaybackStart.h"
#include "cli/ResourceCheck.h"
#include "cli/SettingsCheck.h"
#include "common/Log.h"
#include "common/SystemError.h"
#include "display/PictureExport.h"
#include "document/ExportSettings.h"
#include "document/Preferences.h"
#include "export/MidiExport.h"
#include "export/MusicXmlExport.h"
#include "export/ScoreCommands.h"
#include "export/ScoreInput.h"
#include "export/SongInput.h"
#include "sound/OrnWaves.h"

#include <QFileInfo>
#include <QtGlobal>
#include <cerrno>
#include <iostream>
#include <ostream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace zubo {
namespace {

QtMessageHandler g_qtHandler = nullptr;

// Qt's own notes ("XDG_RUNTIME_DIR not set" and the like) are diagnostics
// too; its critical and fatal messages still get through.
void quietQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        g_qtHandler(type, context, message);
    }
}

// The headless commands print what they were asked for and their own
// messages; the composer's log lines and Qt's notes only with --verbose.
class QuietDiagnostics {
  public:
    explicit QuietDiagnostics(bool verbose) : _logWas(zuboLogEnabled()), _verbose(verbose) {
        if (!_verbose) {
            zuboSetLogEnabled(false);
            g_qtHandler = qInstallMessageHandler(quietQtMessage);
        }
    }
    ~QuietDiagnostics() {
        if (!_verbose) {
            qInstallMessageHandler(g_qtHandler);
            zuboSetLogEnabled(_logWas);
        }
    }
    QuietDiagnostics(const QuietDiagnostics&) = delete;
    QuietDiagnostics& operator=(const QuietDiagnostics&) = delete;

  private:
    bool _logWas;
    bool _verbose;
};

// Why `output` cannot be written, found before any work is done, or empty.
// The writers report everything else themselves.
std::string outputProblem(const std::string& output) {
    struct stat status {};
    if (::stat(output.c_str(), &status) == 0) {
        return S_ISDIR(status.st_mode) ? "is a directory" : "";
    }
    return errno == ELOOP ? systemReason(errno) : "";
}

std::string suffixOf(const std::string& path) {
    return QFileInfo(QString::fromStdString(path)).suffix().toLower().toStdString();
}

// The exit code of an export, with its message on `err` as the program's.
int reported(const ExportResult& result, std::ostream& err) {
    if (!result.message.empty()) {
        err << "zubo-sequencer: " << result.message << '\n';
    }
    switch (result.outcome) {
    case ExportResult::Outcome::Written:
        return 0;
    case ExportResult::Outcome::Failed:
        return 1;
    case ExportResult::Outcome::BadRequest:
        return 2;
    }
    return 1;
}

int runAudio(const CommandLine& commandLine, std::ostream& out, std::ostream& err,
             std::istream& in) {
    const std::string& input = commandLine.files.front();
    const std::string& output = commandLine.output;
    const bool midi = commandLine.mode == CommandLine::Mode::Export && isMidiExportPath(output);
    // A request no file can answer is a usage error, whatever the score.
    if (commandLine.mode == CommandLine::Mode::Export && !midi) {
        if (const ExportResult request = checkAudioRequest(output, commandLine.audio);
            !request.ok()) {
            return reported(request, err);
        }
    }
    // The one sound bank of the process, made before any document. A MIDI
    // file's note lengths are the sounds' lengths: it needs the bank too.
    const OrnWaves bank;
    if (!checkSoundBank(bank, err)) {
        return 1;
    }
    warnAboutSettings(*Preferences::shared(), !commandLine.audio.volumePercent,
                      !commandLine.audio.tempoEmulation, err);
    if (!midi && !useInstruments(commandLine, err)) {
        return 1;
    }
    if (commandLine.mode == CommandLine::Mode::Play) {
        PlayOptions options;
        options.audio = commandLine.audio;
        options.nullOutput = commandLine.nullOutput;
        // The position display rewrites one line: only on a terminal.
        options.progress = &out == &std::cout && ::isatty(STDOUT_FILENO) == 1;
        return playScore(input, options, out, err, in);
    }
    const auto score = readValidScore(input, in, err);
    if (!score) {
        return 1;
    }
    if (!checkStartStep(*score, commandLine.audio.from, err)) {
        return 2;
    }
    const AudioExportOptions options =
        withExportSettings(commandLine.audio, *Preferences::shared());
    return reported(midi ? exportMidi(*score, output, midiExportOptions(options))
                         : exportAudio(*score, output, options),
                    err);
}

int runExport(const CommandLine& commandLine, std::ostream& out, std::ostream& err,
              std::istream& in) {
    const std::string& output = commandLine.output;
    if (const std::string problem = outputProblem(output); !problem.empty()) {
        err << "zubo-sequencer: " << output << ": " << problem << '\n';
        return 1;
    }
    const std::string suffix = suffixOf(output);
    if (suffix != "orn" && suffix != "png" && suffix != "musicxml") {
        return runAudio(commandLine, out, err, in);
    }
    if (suffix == "png" && !checkStaffImages(err)) {
        return 1;
    }
    // A MIDI file comes in through the import, which reports what it changed.
    const auto score = readSong(commandLine.files.front(), in, err);
    if (!score) {
        return 1;
    }
    if (suffix == "musicxml") {
        return reported(exportMusicXml(*score, output), err);
    }
    return reported(suffix == "orn"
                        ? exportScoreText(*score, output, commandLine.shortForm)
                        : exportScorePicture(*score, output, commandLine.scale, commandLine.wrap),
                    err);
}

int runMode(const CommandLine& commandLine, std::ostream& out, std::ostream& err,
            std::istream& in) {
    switch (commandLine.mode) {
    case CommandLine::Mode::Composer:
        return 0;
    case CommandLine::Mode::Help:
        out << usageText().toStdString();
        return 0;
    case CommandLine::Mode::Version:
        out << "zubo-sequencer " << ZUBO_VERSION << '\n';
        return 0;
    case CommandLine::Mode::Error:
        err << "zubo-sequencer: " << commandLine.error.toStdString() << '\n'
            << "Try 'zubo-sequencer --help' for more information.\n";
        return 2;
    case CommandLine::Mode::Play:
        return runAudio(commandLine, out, err, in);
    case CommandLine::Mode::Dump:
        return dumpScore(commandLine.files.front(), out, err, in);
    case CommandLine::Mode::Check:
        return checkScores(commandLine.files, out, err, in);
    case CommandLine::Mode::Export:
        return runExport(commandLine, out, err, in);
    }
    return 2;
}

} // namespace

int runHeadless(const CommandLine& commandLine, std::ostream& out, std::ostream& err,
                std::istream& in) {
    const QuietDiagnostics quiet(commandLine.verbose);
    int status = runMode(commandLine, out, err, in);
    // What was printed only counts once it is out: a full disk or a closed
    // pipe on standard output is a failure like any other.
    errno = 0;
    out.flush();
    if (!out.good()) {
        const int reason = errno;
        err << "zubo-sequencer: standard output: "
            << (reason != 0 ? systemReason(reason) : std::string("write error")) << '\n';
        status = status == 0 ? 1 : status;
    }
    return status;
}

} // namespace zubo
