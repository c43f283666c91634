#include "app/CommandLine.h"
#include "app/PictureExport.h"
#include "app/PlayCommand.h"
#include "app/ResourceCheck.h"
#include "app/SettingsCheck.h"
#include "common/Log.h"
#include "common/SystemError.h"
#include "document/ExportSettings.h"
#include "document/Preferences.h"
#include "export/MidiExport.h"
#include "export/ScoreCommands.h"
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

int runAudio(const CommandLine& commandLine, std::ostream& out, std::ostream& err,
             std::istream& in) {
    // The one sound bank of the process, made before any document.
    const OrnWaves bank;
    if (!checkSoundBank(bank, err)) {
        return 1;
    }
    warnAboutSettings(*Preferences::shared(), !commandLine.audio.volumePercent,
                      !commandLine.audio.tempoEmulation, err);
    if (commandLine.mode == CommandLine::Mode::Play) {
        PlayOptions options;
        options.audio = commandLine.audio;
        options.nullOutput = commandLine.nullOutput;
        // The position display rewrites one line: only on a terminal.
        options.progress = &out == &std::cout && ::isatty(STDOUT_FILENO) == 1;
        return playScore(commandLine.files.front(), options, out, err, in);
    }
    const AudioExportOptions options =
        withExportSettings(commandLine.audio, *Preferences::shared());
    // A MIDI file's note lengths are the sounds' lengths: it needs the bank too.
    if (isMidiExportPath(commandLine.output)) {
        return exportMidi(commandLine.files.front(), commandLine.output, options, err, in);
    }
    return exportAudio(commandLine.files.front(), commandLine.output, options, err, in);
}

int runExport(const CommandLine& commandLine, std::ostream& out, std::ostream& err,
              std::istream& in) {
    const std::string& output = commandLine.output;
    if (const std::string problem = outputProblem(output); !problem.empty()) {
        err << "zubo-sequencer: " << output << ": " << problem << '\n';
        return 1;
    }
    const std::string suffix = suffixOf(output);
    if (suffix == "orn") {
        return exportScoreText(commandLine.files.front(), output, commandLine.shortForm, err, in);
    }
    if (suffix == "png") {
        if (!checkStaffImages(err)) {
            return 1;
        }
        return exportScorePicture(commandLine.files.front(), output, commandLine.scale,
                                  commandLine.wrap, err, in);
    }
    return runAudio(commandLine, out, err, in);
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
