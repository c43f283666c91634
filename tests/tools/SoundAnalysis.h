#pragma once

// Measurements on a generated sound, made independently of the player: the
// file is read with libsndfile and judged as a listener's meter would.

#include <optional>
#include <string>
#include <vector>

namespace soundtest {

struct Audio {
    int rate = 0;
    int format = 0;                           // libsndfile's format word
    std::vector<std::vector<float>> channels; // each in [-1, 1)

    std::size_t frames() const { return channels.empty() ? 0 : channels.front().size(); }
    double seconds() const { return static_cast<double>(frames()) / rate; }
    // The average of the channels, as a mono listener hears it.
    std::vector<float> mono() const;
};

// Reads a WAV file, or nothing when libsndfile cannot.
std::optional<Audio> readAudio(const std::string& path);

// Reads a file's bytes whole (empty when it cannot be read).
std::vector<unsigned char> readBytes(const std::string& path);

double toDb(double amplitude);

// Highest absolute sample of any channel.
double peak(const Audio& audio);

// The loudest 400 ms of the sound (a momentary loudness meter): the largest
// RMS, over the channels, of any 400 ms window; a shorter sound is measured
// as if padded with silence to 400 ms.
double loudestRms(const Audio& audio);

// Mean of one channel.
double mean(const std::vector<float>& x);

// Largest absolute sample in [from, to) frames.
double peakIn(const std::vector<float>& x, std::size_t from, std::size_t to);

// Result of a pitch measurement over a window of the sound.
struct Pitch {
    double coarseHz = 0.0; // from the autocorrelation (the period the ear hears)
    double hz = 0.0;       // the spectral peak of that fundamental, interpolated
};

// Pitch of `x` between `from` and `to` seconds: the period from a normalised
// difference function (the first clear dip, so an octave error shows), then
// the exact frequency from the spectral peak within a semitone and a half of it.
Pitch measurePitch(const std::vector<float>& x, int rate, double from, double to);

// Cents from `reference` to `hz`.
double cents(double hz, double reference);

// Brightness: the spectrum's RMS frequency (its second moment), found from
// the first difference, whose power grows with the square of frequency.
double rmsFrequency(const std::vector<float>& x, int rate);

// Highest normalised autocorrelation for periods of 1 to 20 ms: near 1 for a
// pitched tone, low for noise.
double periodicity(const std::vector<float>& x, int rate);

} // namespace soundtest
