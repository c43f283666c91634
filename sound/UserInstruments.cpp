#include "sound/UserInstruments.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <samplerate.h>
#include <sndfile.h>
#include <system_error>

namespace {

constexpr std::array<const char*, 15> kNames = {"Zubo",   "Rezedo", "Dozevid", "Star", "Flower",
                                                "Pocket", "Dog",    "Cat",     "Pig",  "Goose",
                                                "Ruzed",  "Plane",  "Ship",    "Car",  "Heart"};
constexpr int kRate = 44100;
constexpr double kMaxSeconds = 10.0;
constexpr std::uintmax_t kMaxFileBytes = 16u << 20;

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The instrument a file name stands for and whether it is the upper register
// only; nullopt for any other name.
std::optional<std::pair<int, bool>> instrumentOf(const std::filesystem::path& file) {
    const std::string extension = lower(file.extension().string());
    if (extension != ".wav" && extension != ".flac" && extension != ".ogg") {
        return std::nullopt;
    }
    const std::string stem = lower(file.stem().string());
    for (int i = 1; i <= 15; ++i) {
        const std::string name = lower(kNames[static_cast<std::size_t>(i - 1)]);
        if (stem == name) {
            return std::pair{i, false};
        }
        if (stem == name + "-high") {
            return std::pair{i, true};
        }
    }
    return std::nullopt;
}

void putLittleEndian(std::vector<std::uint8_t>& bytes, std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i) {
        bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

// 16-bit PCM at 44100 Hz as a WAV image, which the wave reads like ours.
std::shared_ptr<Wave> waveOf(const std::vector<float>& samples, int channels) {
    std::vector<std::uint8_t> image = {'R', 'I', 'F', 'F'};
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    putLittleEndian(image, 36 + dataBytes, 4);
    for (const char c : {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '}) {
        image.push_back(static_cast<std::uint8_t>(c));
    }
    putLittleEndian(image, 16, 4);
    putLittleEndian(image, 1, 2);
    putLittleEndian(image, static_cast<std::uint32_t>(channels), 2);
    putLittleEndian(image, kRate, 4);
    putLittleEndian(image, static_cast<std::uint32_t>(kRate * channels * 2), 4);
    putLittleEndian(image, static_cast<std::uint32_t>(channels * 2), 2);
    putLittleEndian(image, 16, 2);
    for (const char c : {'d', 'a', 't', 'a'}) {
        image.push_back(static_cast<std::uint8_t>(c));
    }
    putLittleEndian(image, dataBytes, 4);
    for (const float sample : samples) {
        const long value = std::lround(std::clamp(sample, -1.0f, 1.0f) * 32767.0f);
        putLittleEndian(image, static_cast<std::uint32_t>(static_cast<std::int16_t>(value)), 2);
    }
    auto wave = std::make_shared<Wave>();
    return wave->loadMem(image) ? wave : nullptr;
}

// The sound of one file, or why it cannot be used (for the warning).
std::shared_ptr<Wave> readSound(const std::filesystem::path& path, std::string& problem) {
    std::error_code ec;
    if (std::filesystem::file_size(path, ec) > kMaxFileBytes && !ec) {
        problem = "larger than 16 MiB";
        return nullptr;
    }
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        std::string reason = sf_strerror(nullptr);
        if (!reason.empty() && reason.back() == '.') {
            reason.pop_back();
        }
        problem = "not a sound file (" + reason + ")";
        return nullptr;
    }
    const auto close = [&] { sf_close(file); };
    if (info.channels < 1 || info.channels > 2 || info.samplerate < 1) {
        close();
        problem = "not a sound file (only mono and stereo sounds can be used)";
        return nullptr;
    }
    if (static_cast<double>(info.frames) > kMaxSeconds * info.samplerate) {
        close();
        problem = "longer than 10 s";
        return nullptr;
    }
    std::vector<float> samples(static_cast<std::size_t>(info.frames * info.channels));
    const sf_count_t read = sf_readf_float(file, samples.data(), info.frames);
    close();
    if (read <= 0) {
        problem = "not a sound file (it holds no sound)";
        return nullptr;
    }
    samples.resize(static_cast<std::size_t>(read * info.channels));
    if (info.samplerate != kRate) {
        const double ratio = static_cast<double>(kRate) / info.samplerate;
        std::vector<float> resampled(
            static_cast<std::size_t>(std::ceil(static_cast<double>(read) * ratio) + 1) *
            static_cast<std::size_t>(info.channels));
        SRC_DATA data{};
        data.data_in = samples.data();
        data.input_frames = static_cast<long>(read);
        data.data_out = resampled.data();
        data.output_frames = static_cast<long>(resampled.size()) / info.channels;
        data.src_ratio = ratio;
        if (const int error = src_simple(&data, SRC_SINC_MEDIUM_QUALITY, info.channels);
            error != 0) {
            problem = "not a sound file (" + std::string(src_strerror(error)) + ")";
            return nullptr;
        }
        resampled.resize(static_cast<std::size_t>(data.output_frames_gen * info.channels));
        samples = std::move(resampled);
    }
    auto wave = waveOf(samples, info.channels);
    if (!wave) {
        problem = "not a sound file (it holds no sound)";
    }
    return wave;
}

} // namespace

const char* instrumentName(int instrument) {
    return instrument >= 1 && instrument <= 15 ? kNames[static_cast<std::size_t>(instrument - 1)]
                                               : "";
}

UserInstrumentsLoad loadUserInstruments(const std::filesystem::path& folder) {
    UserInstrumentsLoad load;
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) {
        load.folderError = "no such folder";
        return load;
    }
    std::vector<std::filesystem::path> files;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        if (it->is_regular_file(ec)) {
            files.push_back(it->path());
        }
    }
    if (ec) {
        load.folderError = ec.message();
        return load;
    }
    std::sort(files.begin(), files.end());
    load.samples = std::make_unique<OrnWaves::UserSamples>();
    for (const auto& path : files) {
        const std::string name = path.filename().string();
        const auto which = instrumentOf(path);
        if (!which || (which->second && !OrnWaves::hasUpperRegister(which->first))) {
            load.ignored.push_back(name);
            continue;
        }
        std::string problem;
        auto wave = readSound(path, problem);
        if (!wave) {
            load.warnings.push_back(name + ": " + problem + "; " + instrumentName(which->first) +
                                    " keeps its own sound");
            continue;
        }
        load.samples->replace(which->first, which->second, std::move(wave));
    }
    return load;
}
