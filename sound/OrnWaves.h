#pragma once

#include "common/ResourceDir.h"
#include "sound/ToneGenerator.h"
#include "sound/Wave.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

// The process-wide sound bank: the 24 instrument samples and the three effect
// sounds, loaded once at start-up, and the voices made from them for an
// instrument (1..15) and a staff note number (1..13).
//
// main creates the one bank before any document opens and destroys it at the
// end; the constructor registers it as the shared instance and the destructor
// withdraws it. Nothing creates it on demand. After loading our sounds are
// only read, so the audio thread and the main thread use them without a lock.
// The user's own sounds (UserSamples) can be swapped in and out while voices
// play: the audio thread picks them up at its next voice, without a lock, and
// a replaced set is freed on the main thread once nothing can still use it.
class OrnWaves {
public:
    // Loads every sound from `resourceDir`, where the sound "soundN" is the
    // file soundN.wav or soundN.WAV.
    explicit OrnWaves(std::filesystem::path resourceDir = zubo::resourceDir());
    ~OrnWaves();
    OrnWaves(const OrnWaves&) = delete;
    OrnWaves& operator=(const OrnWaves&) = delete;

    // The shared instance, or nullptr while none exists.
    static OrnWaves* ornWaves();

    // (Re)loads all sounds from the resource folder; true when every
    // instrument sample and effect sound loaded. The instrument samples load
    // in a fixed order that stops at the first failure; the effect sounds
    // load whatever happened before, and one that fails is kept empty.
    // Start-up only: never while a voice may be playing.
    bool initialize();

    // A sound that did not load: its file, and why ("no such file", ...).
    struct LoadFailure {
        std::filesystem::path path;
        std::string reason;
    };
    // The failures of the last load, in load order.
    const std::vector<LoadFailure>& loadFailures() const { return _failures; }
    const std::filesystem::path& folder() const { return _resourceDir; }
    // Whether every sample instrument 1..15 plays from loaded.
    bool hasInstrument(int instrument) const;

    // Instrument sample `index` in load order (0..23), nullptr when it did
    // not load.
    std::shared_ptr<const Wave> waveAt(int index) const;
    // How many instrument samples loaded.
    std::size_t waveCount() const { return _wavArray.size(); }
    std::shared_ptr<const Wave> endWave() const { return _endWave; }
    std::shared_ptr<const Wave> eraserWave() const { return _eraserWave; }
    std::shared_ptr<const Wave> clickWave() const { return _clickWave; }

    // Sounds of the user's that replace ours: per sample slot (the load
    // order of ours), the sound and whether it plays as recorded at F4.
    struct UserSamples {
        std::array<std::shared_ptr<const Wave>, 24> waves;
        std::array<bool, 24> atF4{};
        // Instrument 1..15's sound: both registers, at F4, or the upper only.
        void replace(int instrument, bool upperOnly, std::shared_ptr<const Wave> wave);
        bool empty() const;
    };
    // Whether instrument 1..15 has a sample of its own for its upper notes.
    static bool hasUpperRegister(int instrument);
    // Makes `samples` (null: none) the user's sounds from the next voice on.
    // Main thread.
    void setUserSamples(std::unique_ptr<const UserSamples> samples);
    const UserSamples* userSamples() const { return _userSamples.load(std::memory_order_acquire); }
    // Frees the replaced sets that no reader and no voice can still use.
    // Main thread.
    void reclaimUserSamples();
    std::size_t retiredUserSampleCount() const { return _retiredUserSamples.size(); }

    // A new voice for an instrument and note number, at the pitch ratio of
    // the note, on the user's sound where there is one; nullptr when there
    // is no bank, the numbers are out of range or the sample did not load.
    // allocTone is the one the audio thread uses (a single allocation); tone
    // is the same for the main thread; ourTone ignores the user's sounds.
    static std::shared_ptr<ToneGenerator> allocTone(int instrument, int note);
    static std::shared_ptr<ToneGenerator> tone(int instrument, int note);
    static std::shared_ptr<ToneGenerator> ourTone(int instrument, int note);
    // A new voice at ratio 1.0 on an effect sound; nullptr when there is no
    // bank. Main thread only.
    static std::shared_ptr<ToneGenerator> endTone();
    static std::shared_ptr<ToneGenerator> eraserTone();
    static std::shared_ptr<ToneGenerator> clickTone();

private:
    static std::shared_ptr<ToneGenerator> voice(int instrument, int note, bool userSounds);

    std::vector<std::shared_ptr<Wave>> _wavArray;
    // The user's sounds in use (owned by _ownUserSamples), and the threads
    // between reading that pointer and taking their sample from it.
    std::atomic<const UserSamples*> _userSamples{nullptr};
    mutable std::atomic<int> _userSampleReaders{0};
    std::unique_ptr<const UserSamples> _ownUserSamples;
    std::vector<std::unique_ptr<const UserSamples>> _retiredUserSamples;
    std::shared_ptr<Wave> _endWave;
    std::shared_ptr<Wave> _eraserWave;
    std::shared_ptr<Wave> _clickWave;
    std::filesystem::path _resourceDir;
    std::vector<LoadFailure> _failures;
};
