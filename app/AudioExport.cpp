#include "app/AudioExport.h"

#include "app/ScoreInput.h"
#include "document/MyDocument.h"
#include "document/Preferences.h"
#include "document/ScoreRender.h"
#include "sound/OrnWaves.h"

#include <sndfile.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <ostream>
#include <sys/stat.h>
#include <unistd.h>

namespace zubo {
namespace {

std::string extensionOf(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

int formatFor(const std::string& ext, bool floatSamples) {
    if (ext == ".wav") {
        return SF_FORMAT_WAV | (floatSamples ? SF_FORMAT_FLOAT : SF_FORMAT_PCM_16);
    }
    if (ext == ".flac") {
        return SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    }
    if (ext == ".ogg") {
        return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    }
    return 0;
}

// A temporary file beside the output, renamed over it only when complete,
// so that a failed export never leaves a partial file or harms an old one.
class PendingFile {
public:
    explicit PendingFile(const std::string& output) : _output(output) {
        _temporary = output + ".XXXXXX";
        _fd = ::mkstemp(_temporary.data());
        if (_fd >= 0) {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            ::fchmod(_fd, 0666 & ~mask);
        }
    }
    ~PendingFile() {
        if (!_committed && _fd >= 0) {
            ::unlink(_temporary.c_str());
        }
    }
    int fd() const { return _fd; }
    bool commit() {
        _committed = std::rename(_temporary.c_str(), _output.c_str()) == 0;
        return _committed;
    }

private:
    std::string _output;
    std::string _temporary;
    int _fd = -1;
    bool _committed = false;
};

} // namespace

bool isAudioExportPath(const std::string& output) {
    return formatFor(extensionOf(output), false) != 0;
}

int exportAudio(const std::string& input, const std::string& output,
                const AudioExportOptions& options, std::ostream& err, std::istream& in) {
    const std::string ext = extensionOf(output);
    if (options.floatSamples && ext != ".wav") {
        err << "zubo-sequencer: --float needs a .wav output\n";
        return 2;
    }
    const int format = formatFor(ext, options.floatSamples);
    if (format == 0) {
        err << "zubo-sequencer: " << output << ": unknown output format\n";
        return 2;
    }
    auto score = readValidScore(input, in, err);
    if (!score) {
        return 1;
    }

    const OrnWaves bank;
    MyDocument document(Preferences::shared());
    document.stopObserving();
    document.replaceScore(std::move(score));
    document.updateVolume();
    document.updateTempoEmurationCoefficient();
    if (options.volumePercent) {
        document.syncData()->setVolume(static_cast<float>(*options.volumePercent / 100.0));
    }
    if (options.tempoEmulation) {
        document.setTempoEmurationCoefficient(MyDocument::coefficientForType(*options.tempoEmulation));
    }

    PendingFile file(output);
    if (file.fd() < 0) {
        err << "zubo-sequencer: " << output << ": " << std::strerror(errno) << '\n';
        return 1;
    }
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 2;
    info.format = format;
    SNDFILE* sound = sf_open_fd(file.fd(), SFM_WRITE, &info, SF_TRUE);
    if (sound == nullptr) {
        err << "zubo-sequencer: " << output << ": " << sf_strerror(nullptr) << '\n';
        return 1;
    }
    // Samples beyond full scale are clipped, never wrapped round.
    sf_command(sound, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    bool written = true;
    renderScore(document, options.loops, [&](std::span<const float> block) {
        const auto frames = static_cast<sf_count_t>(block.size() / 2);
        written = sf_writef_float(sound, block.data(), frames) == frames;
        return written;
    });
    if (!written) {
        err << "zubo-sequencer: " << output << ": " << sf_strerror(sound) << '\n';
        sf_close(sound);
        return 1;
    }
    if (sf_close(sound) != 0 || !file.commit()) {
        err << "zubo-sequencer: " << output << ": could not be written\n";
        return 1;
    }
    return 0;
}

} // namespace zubo
