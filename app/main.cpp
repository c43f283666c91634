#include "cli/HeadlessRun.h"
#include "cli/ResourceCheck.h"
#include "common/Log.h"
#include "composer/Composer.h"
#include "document/PathBytes.h"
#include "sound/OrnWaves.h"

#include <QString>
#include <QStringList>

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const auto commandLine = zubo::parseCommandLine(std::vector<std::string>(argv, argv + argc));
    if (commandLine.mode != zubo::CommandLine::Mode::Composer) {
        return zubo::runHeadless(commandLine, std::cout, std::cerr, std::cin);
    }
    zuboLog("Zubo Sequencer Starts!");
    // The sound bank is made once, before any document, and lives until
    // the end.
    const OrnWaves bank;
    zubo::checkSoundBank(bank, std::cerr);
    QStringList files;
    for (const std::string& file : commandLine.files) {
        files << zubo::pathText(QByteArray::fromStdString(file));
    }
    const int status = zubo::runComposer(argc, argv, files);
    zuboLog("Zubo Sequencer End.");
    return status;
}
