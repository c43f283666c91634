#include "cli/ResourceCheck.h"

#include "common/ResourceDir.h"
#include "display/MyIcons.h"
#include "score/Instruments.h"
#include "sound/OrnWaves.h"

#include <QImage>
#include <QImageReader>
#include <QString>
#include <ostream>
#include <string>
#include <system_error>

namespace zubo {
namespace {

constexpr const char* kImageNames[5] = {"buttons", "clef", "eraser_etc", "zubo_icons",
                                        "zubo_running"};

} // namespace

bool checkSoundBank(const OrnWaves& bank, std::ostream& err) {
    const auto& failures = bank.loadFailures();
    // The bank stops at the first instrument sample that fails, then loads
    // the three effect sounds: nothing loaded when all of these failed.
    if (bank.waveCount() == 0 && failures.size() == 4) {
        err << "zubo-sequencer: no instrument sounds in " << bank.folder().string()
            << " (sound1.wav ... sound29.wav)\n";
        return false;
    }
    std::string silent;
    for (int instrument = 1; instrument <= 15; ++instrument) {
        if (!bank.hasInstrument(instrument)) {
            silent += (silent.empty() ? "" : ", ") +
                      std::string(kInstrumentNames[static_cast<std::size_t>(instrument - 1)]);
        }
    }
    if (!silent.empty() && !failures.empty()) {
        err << "zubo-sequencer: warning: " << failures.front().path.string() << ": "
            << failures.front().reason << "; silent: " << silent << '\n';
    }
    return true;
}

bool checkStaffImages(std::ostream& err) {
    std::string missing;
    for (const char* name : kImageNames) {
        const auto path = MyIcons::imageFile(resourceDir(), name);
        if (path.empty() || QImage(QString::fromStdString(path.string())).isNull()) {
            missing += (missing.empty() ? "" : ", ") +
                       (path.empty() ? std::string(name) + ".xpm"
                                     : path.filename().string() + " (unreadable)");
        }
    }
    if (!missing.empty()) {
        err << "zubo-sequencer: staff images missing in " << resourceDir().string() << ": "
            << missing << '\n';
        return false;
    }
    return true;
}

} // namespace zubo
