#pragma once

#include "common/ResourceDir.h"
#include "sound/ToneGenerator.h"
#include "sound/Wave.h"

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
// withdraws it. Nothing creates it on demand. After loading the bank is only
// read, so the audio thread and the main thread use it without a lock.
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

    // A new voice for an instrument and note number, at the pitch ratio of
    // the note; nullptr when there is no bank, the numbers are out of range
    // or the sample did not load. allocTone is the one the audio thread uses
    // (a single allocation); tone is the same for the main thread.
    static std::shared_ptr<ToneGenerator> allocTone(int instrument, int note);
    static std::shared_ptr<ToneGenerator> tone(int instrument, int note);
    // A new voice at ratio 1.0 on an effect sound; nullptr when there is no
    // bank. Main thread only.
    static std::shared_ptr<ToneGenerator> endTone();
    static std::shared_ptr<ToneGenerator> eraserTone();
    static std::shared_ptr<ToneGenerator> clickTone();

private:
    std::vector<std::shared_ptr<Wave>> _wavArray;
    std::shared_ptr<Wave> _endWave;
    std::shared_ptr<Wave> _eraserWave;
    std::shared_ptr<Wave> _clickWave;
    std::filesystem::path _resourceDir;
    std::vector<LoadFailure> _failures;
};
