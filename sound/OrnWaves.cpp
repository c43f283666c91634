#include "sound/OrnWaves.h"

#include "common/FileRead.h"
#include "common/Log.h"

#include <algorithm>
#include <atomic>
#include <string>
#include <system_error>
#include <utility>

namespace {

// Set once the bank has loaded; the audio thread reads it without a lock.
std::atomic<OrnWaves*> g_me{nullptr};

// Resource numbers of the instrument samples in load order: sample k is the
// resource "sound<numbers[k]>".
constexpr int numbers[24] = {1, 21, 2,  28, 3,  4,  22, 5,  23, 6,  24, 7,
                             8, 9,  10, 11, 12, 25, 13, 29, 14, 26, 15, 27};

// One row per instrument 1..15: the load index of its lower-range sample, of
// its upper-range sample, and the highest note number that uses the upper one
// (0: the instrument has a single sample). The last row is never used.
constexpr int wavedefs[16][3] = {
    {0, 1, 5},   {2, 3, 5},   {4, 0, 0},   {5, 6, 5},  {7, 8, 5},  {9, 10, 5},
    {11, 0, 0},  {12, 0, 0},  {13, 0, 0},  {14, 0, 0}, {15, 0, 0}, {16, 17, 5},
    {18, 19, 7}, {20, 21, 5}, {22, 23, 5}, {0, 0, 0},
};

// The pitch ratio of k semitones up, to six decimals; the second octave is
// exactly twice the first.
constexpr double tone_table[24] = {
    1.0,      1.059463, 1.122462, 1.189207, 1.259921, 1.33484,  1.414214, 1.498307,
    1.587401, 1.681793, 1.781797, 1.887749, 2.0,      2.118926, 2.244924, 2.378414,
    2.519842, 2.66968,  2.828428, 2.996614, 3.174802, 3.363586, 3.563594, 3.775498,
};

// Semitones below note number 1 (G5) of note numbers 1..13, the white keys
// down to B3.
constexpr int semitonesBelowTop[13] = {0, 2, 3, 5, 7, 8, 10, 12, 14, 15, 17, 19, 20};

// The note numbers at which samples play at ratio 1.0: E5 for upper-range
// samples, F4 for lower-range ones.
constexpr int kUpperReference = 3;
constexpr int kLowerReference = 9;

// Room for the largest sample data a wave accepts and a generous header.
constexpr std::size_t kMaxSoundFileBytes = 128u << 20;

float ratio(int note, int reference) {
    const int up = semitonesBelowTop[reference - 1] - semitonesBelowTop[note - 1];
    return static_cast<float>(up >= 0 ? tone_table[up] : 1.0 / tone_table[-up]);
}

std::filesystem::path locate(const std::filesystem::path& dir, int number) {
    const std::string name = "sound" + std::to_string(number);
    for (const char* extension : {".wav", ".WAV"}) {
        auto path = dir / (name + extension);
        std::error_code ec;
        if (std::filesystem::is_regular_file(path, ec)) {
            return path;
        }
    }
    return dir / (name + ".wav");
}

// A missing or unreadable file gives an empty image, which the wave rejects
// like any other bad file. A failure is added to `failures`.
std::shared_ptr<Wave> load(const std::filesystem::path& dir, int number, bool* loaded,
                           std::vector<OrnWaves::LoadFailure>& failures) {
    const auto path = locate(dir, number);
    Debug("fullname=[%s]", path.c_str());
    auto wave = std::make_shared<Wave>();
    const auto file = zubo::readWholeFile(path, kMaxSoundFileBytes);
    *loaded = wave->loadMem(file.bytes);
    if (!*loaded) {
        Debug("wave file [%s] load failed.", path.c_str());
        failures.push_back({path, file.ok() ? "not a WAV sound it can read" : file.error});
    }
    return wave;
}

std::shared_ptr<ToneGenerator> effectTone(std::shared_ptr<const Wave> (OrnWaves::*which)() const) {
    const OrnWaves* bank = OrnWaves::ornWaves();
    return bank ? std::make_shared<ToneGenerator>((bank->*which)()) : nullptr;
}

} // namespace

OrnWaves::OrnWaves(std::filesystem::path resourceDir) : _resourceDir(std::move(resourceDir)) {
    initialize();
    // Published only once loaded, so that a thread that finds the bank also
    // sees its samples.
    g_me.store(this, std::memory_order_release);
}

OrnWaves::~OrnWaves() {
    OrnWaves* self = this;
    g_me.compare_exchange_strong(self, nullptr, std::memory_order_acq_rel);
}

OrnWaves* OrnWaves::ornWaves() {
    return g_me.load(std::memory_order_acquire);
}

bool OrnWaves::initialize() {
    bool all = true;
    bool loaded = true;
    _wavArray.clear();
    _failures.clear();
    for (int number : numbers) {
        auto wave = load(_resourceDir, number, &loaded, _failures);
        if (!loaded) {
            // The samples after a failed one are not attempted.
            all = false;
            break;
        }
        _wavArray.push_back(std::move(wave));
    }
    _endWave = load(_resourceDir, 16, &loaded, _failures);
    all = all && loaded;
    _clickWave = load(_resourceDir, 18, &loaded, _failures);
    all = all && loaded;
    _eraserWave = load(_resourceDir, 20, &loaded, _failures);
    return all && loaded;
}

bool OrnWaves::hasInstrument(int instrument) const {
    if (instrument < 1 || instrument > 15) {
        return false;
    }
    const int* def = wavedefs[instrument - 1];
    return waveAt(def[0]) != nullptr && (def[2] == 0 || waveAt(def[1]) != nullptr);
}

std::shared_ptr<const Wave> OrnWaves::waveAt(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= _wavArray.size()) {
        return nullptr;
    }
    return _wavArray[static_cast<std::size_t>(index)];
}

void OrnWaves::UserSamples::replace(int instrument, bool upperOnly,
                                    std::shared_ptr<const Wave> wave) {
    const int* def = wavedefs[instrument - 1];
    if (!upperOnly) {
        waves[static_cast<std::size_t>(def[0])] = wave;
        atF4[static_cast<std::size_t>(def[0])] = true;
    }
    if (def[2] != 0) {
        waves[static_cast<std::size_t>(def[1])] = std::move(wave);
        atF4[static_cast<std::size_t>(def[1])] = !upperOnly;
    }
}

bool OrnWaves::UserSamples::empty() const {
    return std::all_of(waves.begin(), waves.end(), [](const auto& wave) { return !wave; });
}

bool OrnWaves::hasUpperRegister(int instrument) {
    return instrument >= 1 && instrument <= 15 && wavedefs[instrument - 1][2] != 0;
}

void OrnWaves::setUserSamples(std::unique_ptr<const UserSamples> samples) {
    _userSamples.store(samples.get(), std::memory_order_seq_cst);
    if (_ownUserSamples) {
        _retiredUserSamples.push_back(std::move(_ownUserSamples));
    }
    _ownUserSamples = std::move(samples);
    reclaimUserSamples();
}

void OrnWaves::reclaimUserSamples() {
    // A reader that counted itself after the pointer changed reads the new
    // set; one still counted may hold an old one.
    if (_userSampleReaders.load(std::memory_order_seq_cst) != 0) {
        return;
    }
    // A set whose sounds a voice still holds waits: the voice may end on the
    // audio thread, which must not free a sound.
    // A sound of both registers is held twice by its set.
    std::erase_if(_retiredUserSamples, [](const std::unique_ptr<const UserSamples>& set) {
        return std::all_of(set->waves.begin(), set->waves.end(), [&](const auto& wave) {
            return !wave ||
                   wave.use_count() == std::count(set->waves.begin(), set->waves.end(), wave);
        });
    });
}

std::shared_ptr<ToneGenerator> OrnWaves::voice(int instrument, int note, bool userSounds) {
    const OrnWaves* bank = ornWaves();
    if (!bank || instrument < 1 || instrument > 15 || note < 1 || note > 13) {
        return nullptr;
    }
    const int* def = wavedefs[instrument - 1];
    const bool upper = note <= def[2];
    const int index = upper ? def[1] : def[0];
    std::shared_ptr<const Wave> wave;
    bool atF4 = !upper;
    if (userSounds) {
        bank->_userSampleReaders.fetch_add(1, std::memory_order_seq_cst);
        if (const UserSamples* user = bank->_userSamples.load(std::memory_order_seq_cst);
            user != nullptr && user->waves[static_cast<std::size_t>(index)]) {
            wave = user->waves[static_cast<std::size_t>(index)];
            atF4 = user->atF4[static_cast<std::size_t>(index)];
        }
        bank->_userSampleReaders.fetch_sub(1, std::memory_order_seq_cst);
    }
    if (!wave) {
        wave = bank->waveAt(index);
    }
    if (!wave) {
        return nullptr;
    }
    auto tone = std::make_shared<ToneGenerator>(std::move(wave));
    tone->setTone(ratio(note, atF4 ? kLowerReference : kUpperReference));
    return tone;
}

std::shared_ptr<ToneGenerator> OrnWaves::allocTone(int instrument, int note) {
    return voice(instrument, note, true);
}

std::shared_ptr<ToneGenerator> OrnWaves::tone(int instrument, int note) {
    return allocTone(instrument, note);
}

std::shared_ptr<ToneGenerator> OrnWaves::ourTone(int instrument, int note) {
    return voice(instrument, note, false);
}

std::shared_ptr<ToneGenerator> OrnWaves::endTone() {
    return effectTone(&OrnWaves::endWave);
}

std::shared_ptr<ToneGenerator> OrnWaves::eraserTone() {
    return effectTone(&OrnWaves::eraserWave);
}

std::shared_ptr<ToneGenerator> OrnWaves::clickTone() {
    return effectTone(&OrnWaves::clickWave);
}
