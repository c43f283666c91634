#include "app/CommandLine.h"
#include "app/Composer.h"
#include "common/Log.h"
#include "sound/OrnWaves.h"

#include <QString>
#include <QStringList>

#include <iostream>

namespace {

QStringList argumentList(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    return arguments;
}

} // namespace

int main(int argc, char** argv) {
    const auto commandLine = zubo::parseCommandLine(argumentList(argc, argv));
    if (commandLine.mode != zubo::CommandLine::Mode::Composer) {
        return zubo::runHeadless(commandLine, std::cout, std::cerr, std::cin);
    }
    zuboLog("Zubo Sequencer Starts!");
    // The sound bank is made once, before any document, and lives until
    // the end.
    const OrnWaves bank;
    const int status = zubo::runComposer(argc, argv, commandLine.files);
    zuboLog("Zubo Sequencer End.");
    return status;
}
