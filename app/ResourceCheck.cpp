#include "app/ResourceCheck.h"

#include "common/ResourceDir.h"
#include "sound/OrnWaves.h"

#include <QImage>
#include <QImageReader>
#include <QString>
#include <ostream>
#include <string>
#include <system_error>

namespace zubo {
namespace {

constexpr const char* kInstrumentNames[15] = {"Zubo",   "Rezedo", "Dozevid", "Star", "Flower",
                                              "Pocket", "Dog",    "Cat",     "Pig",  "Goose",
                                              "Ruzed",  "Plane",  "Ship",    "Car",  "Heart"};

constexpr const char* kImageNames[5] = {"buttons", "clef", "eraser_etc", "zubo_icons",
                                        "zubo_running"};

// The image file the icon atlas would load for `name`: the XPM first, then
// any other format Qt reads; empty when there is none.
std::filesystem::path imageFile(const std::string& name) {
    QList<QByteArray> formats{QByteArrayLiteral("xpm")};
    for (const auto& format : QImageReader::supportedImageFormats()) {
        if (!formats.contains(format)) {
            formats.append(format);
        }
    }
    std::error_code ec;
    for (const auto& format : formats) {
        const auto path = resourceDir() / (name + "." + format.toStdString());
        if (std::filesystem::is_regular_file(path, ec)) {
            return path;
        }
    }
    return {};
}

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
            silent += (silent.empty() ? "" : ", ") + std::string(kInstrumentNames[instrument - 1]);
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
        const auto path = imageFile(name);
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
