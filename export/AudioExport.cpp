#include "export/AudioExport.h"

#include "export/AtomicSoundFile.h"
#include "export/ExportSignals.h"
#include "score/OrnScore.h"
#include "sound/OrnPlayer.h"
#include "sound/ScoreRender.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sndfile.h>
#include <span>
#include <sys/statvfs.h>

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

// A render's size in bytes before any ring-out: what it needs at least.
// In floating point, as a far end mark times many loops passes any integer.
double minimumBytes(const OrnScore& score, int coefficient, int loops, int from, int format) {
    const double end = static_cast<double>(std::max(score.end(), 0));
    const double steps = std::max(end - from, 0.0) + (score.loop() ? (loops - 1) * end : 0.0);
    const double frames = OrnPlayer::stepLength(score.tempo(), coefficient) * steps;
    const int sampleBytes = (format & SF_FORMAT_SUBMASK) == SF_FORMAT_FLOAT ? 4 : 2;
    return frames * 2 * sampleBytes;
}

// Free bytes for an unprivileged writer on the file system holding `path`,
// or -1 when unknown.
long long freeBytesAt(const std::string& path) {
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    struct statvfs status {};
    if (::statvfs(folder.c_str(), &status) != 0) {
        return -1;
    }
    return static_cast<long long>(status.f_bavail) * static_cast<long long>(status.f_frsize);
}

// A RIFF file counts its size in 32 bits. Beyond the ring-out, which lasts
// seconds, a render can only grow by this margin over its minimum.
constexpr double kRiffLimit = 4294967295.0;
constexpr double kRingOutMargin = 64.0 * 1024 * 1024;

std::string megabytes(double bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.0f MB", std::ceil(bytes / 1e6));
    return text;
}

} // namespace

bool isAudioExportPath(const std::string& output) {
    return formatFor(extensionOf(output), false) != 0;
}

ExportResult checkAudioRequest(const std::string& output, const AudioExportOptions& options) {
    const std::string ext = extensionOf(output);
    if (options.floatSamples && ext != ".wav") {
        return ExportResult::badRequest("--float needs a .wav output");
    }
    if (formatFor(ext, options.floatSamples) == 0) {
        return ExportResult::badRequest(output + ": unknown output format");
    }
    return ExportResult::written();
}

ExportResult exportAudio(const OrnScore& score, const std::string& output,
                         const AudioExportOptions& options) {
    if (ExportResult request = checkAudioRequest(output, options); !request.ok()) {
        return request;
    }
    int format = formatFor(extensionOf(output), options.floatSamples);

    OrnPlayer player(&score);
    player.syncData()->setVolume(options.settings.gain);
    player.setTempoEmurationCoefficient(options.settings.tempoEmurationCoefficient);
    player.setSmoothPlayback(options.settings.smooth);

    // Compressed formats have no size known beforehand; a WAV file's is
    // known up to the ring-out. Files that may pass 4 GiB are written as
    // RF64, which turns into plain WAV at the end if it stayed smaller.
    double needed = 0.0;
    if ((format & SF_FORMAT_TYPEMASK) == SF_FORMAT_WAV) {
        needed = minimumBytes(score, options.settings.tempoEmurationCoefficient, options.loops,
                              options.from, format);
        if (needed + kRingOutMargin >= kRiffLimit) {
            format = SF_FORMAT_RF64 | (format & SF_FORMAT_SUBMASK);
        }
    }
    const ExportSignalGuard signalGuard;
    AtomicSoundFile file(output, format);
    if (!file.open()) {
        return ExportResult::failed(output + ": " + file.error());
    }
    const long long available = freeBytesAt(file.targetPath());
    if (available >= 0 && needed > static_cast<double>(available)) {
        return ExportResult::failed(output + ": needs at least " + megabytes(needed) +
                                    ", but only " + megabytes(static_cast<double>(available)) +
                                    " are free there");
    }
    renderScore(player, score, {options.loops, options.from},
                [&](std::span<const float> block) { return file.write(block); });
    if (!file.commit()) {
        return ExportResult::failed(output + ": " + file.error());
    }
    return ExportResult::written();
}

} // namespace zubo
