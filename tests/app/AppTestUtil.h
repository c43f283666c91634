#pragma once

#include "app/CommandLine.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <sstream>
#include <string>

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
