#include "app/CommandLine.h"
#include "app/ResourceCheck.h"
#include "app/ScoreCommands.h"
#include "common/Log.h"
#include "common/ResourceDir.h"
#include "sound/OrnWaves.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {


// Until the composer window exists, starting the program checks the
// example scores that ship with it.
int checkExamples() {
    std::vector<std::string> examples;
    std::error_code ec;
    for (const auto& entry :
         std::filesystem::directory_iterator(zubo::resourceDir() / "examples", ec)) {
        if (entry.path().extension() == ".orn") {
            examples.push_back(entry.path().string());
        }
    }
    std::sort(examples.begin(), examples.end());
    std::cout << "Zubo Sequencer: the composer window is coming; meanwhile, the example "
                 "scores:\n";
    if (examples.empty()) {
        std::cout << "(no example scores found in " << zubo::resourceDir().string() << ")\n";
        return 1;
    }
    return zubo::checkScores(examples, std::cout, std::cerr, std::cin);
}

} // namespace

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
    const int status = checkExamples();
    zuboLog("Zubo Sequencer End.");
    return status;
}
