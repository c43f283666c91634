#include "export/ScoreCommands.h"

#include "common/AtomicFile.h"
#include "export/ExportSignals.h"
#include "export/ScoreInput.h"
#include "score/OrnScore.h"

#include <memory>
#include <ostream>

namespace zubo {
namespace {

int countNotesBeforeEnd(const OrnScore& score) {
    int count = 0;
    for (int index = 0; index < OrnScore::maxLength(); ++index) {
        for (int y = 0; y < OrnScore::maxNotes(); ++y) {
            count += score.noteAt(index, y) != 0 ? 1 : 0;
        }
    }
    return count;
}

} // namespace

int dumpScore(const std::string& path, std::ostream& out, std::ostream& err, std::istream& in) {
    const auto input = readScoreInput(path, in);
    if (!input.ok()) {
        err << "zubo-sequencer: " << input.error << '\n';
        return 1;
    }
    const auto score = std::make_unique<OrnScore>(input.bytes);
    out << "valid " << (score->isValid() ? "YES" : "NO") << '\n'
        << "tempo " << score->tempo() << '\n'
        << "measure " << score->measure() << '\n'
        << "end " << score->end() << '\n'
        << "loop " << (score->loop() ? "YES" : "NO") << '\n';
    for (int index = 0; index < OrnScore::maxLength(); ++index) {
        for (int y = 0; y < OrnScore::maxNotes(); ++y) {
            const OrnNote& cell = score->cellAt(index, y);
            if (cell.midiNote != -1 || cell.prog != 0) {
                out << "cell " << index << ' ' << y << ' ' << cell.midiNote << ' ' << cell.prog
                    << '\n';
            }
        }
    }
    return score->isValid() ? 0 : 1;
}

int checkScores(const std::vector<std::string>& paths, std::ostream& out, std::ostream& err,
                std::istream& in) {
    int status = 0;
    for (const auto& path : paths) {
        const auto input = readScoreInput(path, in);
        if (!input.ok()) {
            err << "zubo-sequencer: " << input.error << '\n';
            status = 1;
            continue;
        }
        const auto score = std::make_unique<OrnScore>(input.bytes);
        if (!score->isValid()) {
            out << path << ": not a valid score\n";
            status = 1;
            continue;
        }
        out << path << ": valid score, tempo " << score->tempo() << ", " << score->measure()
            << "/4, end " << score->end() << ", loop " << (score->loop() ? "on" : "off") << ", "
            << countNotesBeforeEnd(*score) << " notes\n";
    }
    return status;
}

ExportResult exportScoreText(const OrnScore& score, const std::string& output, bool shortForm) {
    std::vector<std::uint8_t> text;
    if (shortForm) {
        const std::string form = score.toString();
        text.assign(form.begin(), form.end());
    } else {
        text = score.data();
    }
    const ExportSignalGuard signalGuard;
    const std::string error = writeFileAtomically(output, text);
    if (!error.empty()) {
        return ExportResult::failed(output + ": " + error);
    }
    return ExportResult::written();
}

} // namespace zubo
