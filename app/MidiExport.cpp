#include "app/MidiExport.h"

#include "app/ExportSignals.h"
#include "app/MidiFile.h"
#include "app/MidiTimeline.h"
#include "app/ScoreInput.h"
#include "common/AtomicFile.h"
#include "document/MyDocument.h"
#include "document/Preferences.h"

#include <QFileInfo>
#include <QString>
#include <algorithm>
#include <cmath>
#include <ostream>

namespace zubo {

int midiVelocity(float gain) {
    const double velocity = std::round(100.0 * static_cast<double>(gain));
    return static_cast<int>(std::clamp(velocity, 1.0, 127.0));
}

bool isMidiExportPath(const std::string& output) {
    return QFileInfo(QString::fromStdString(output))
               .suffix()
               .compare(QLatin1String("mid"), Qt::CaseInsensitive) == 0;
}

int exportMidi(const std::string& input, const std::string& output,
               const AudioExportOptions& options, std::ostream& err, std::istream& in) {
    auto score = readValidScore(input, in, err);
    if (!score) {
        return 1;
    }
    // The document reads the volume and tempo emulation settings exactly as
    // playback and the audio export do.
    MyDocument document(Preferences::shared());
    document.stopObserving();
    document.updateVolume();
    document.updateTempoEmurationCoefficient();
    const float gain = options.volumePercent ? static_cast<float>(*options.volumePercent / 100.0)
                                             : document.syncData()->volume();
    const int coefficient = options.tempoEmulation
                                ? MyDocument::coefficientForType(*options.tempoEmulation)
                                : document.tempoEmurationCoefficient();

    const MidiTimeline timeline = midiTimeline(*score, coefficient, options.loops);
    const ExportSignalGuard signalGuard;
    AtomicFile file(output);
    if (!file.open() ||
        !writeMidiFile(
            timeline, midiVelocity(gain),
            [&file](std::span<const std::uint8_t> bytes) { return file.write(bytes); }) ||
        !file.commit()) {
        err << "zubo-sequencer: " << output << ": " << file.error() << '\n';
        return 1;
    }
    return 0;
}

} // namespace zubo
