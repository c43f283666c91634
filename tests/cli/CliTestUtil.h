#pragma once

#include "cli/HeadlessRun.h"
#include "export/SoundFrames.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <csignal>
#include <sstream>
#include <string>
#include <vector>
#include <sys/resource.h>

namespace apptest {

struct Run {
    int code;
    std::string out;
    std::string err;
};

// Runs the command line in-process, as `zubo-sequencer args...`.
inline Run run(const QStringList& args, const std::string& input = {}) {
    std::ostringstream out, err;
    std::istringstream in(input);
    const int code =
        zubo::runHeadless(zubo::parseCommandLine(QStringList{"zubo-sequencer"} + args), out, err, in);
    return {code, out.str(), err.str()};
}

// The interleaved frames of a sound file, empty when it cannot be read.
inline std::vector<float> readFrames(const QString& path) {
    return exporttest::readSoundFrames(path.toLocal8Bit().toStdString());
}

#ifdef ZUBO_TEST_BIN_DIR
inline QString program() {
    return QString::fromLocal8Bit(ZUBO_TEST_BIN_DIR) + QStringLiteral("/zubo-sequencer");
}

// Runs the program itself in a child process whose files cannot grow past
// `maxFileBytes`, with SIGXFSZ ignored: its writes then fail part way as on a
// full disk, for root too. A run that does not end within a minute is killed
// and gives code -1.
inline Run runWithFileSizeLimit(const QStringList& args, rlim_t maxFileBytes) {
    QProcess process;
    process.setChildProcessModifier([maxFileBytes] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{maxFileBytes, maxFileBytes};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    });
    process.start(program(), args);
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return {-1, {}, {}};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}
#endif

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(bytes);
    }
}

inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace apptest
