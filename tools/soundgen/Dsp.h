#pragma once

// Building blocks of the instrument recipes: a seeded noise source, envelope
// shapes, resonant filters and an additive oscillator bank. Everything works in
// double precision on whole buffers; nothing here depends on time or addresses,
// so a recipe renders the same frames on every run.

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace soundgen {

inline constexpr double kPi = 3.14159265358979323846;

// A small fixed-seed generator (splitmix64): the same seed gives the same noise
// on every platform, unlike the standard distributions.
class Rng {
  public:
    explicit Rng(std::uint64_t seed) : _state(seed) {}
    std::uint64_t next();
    // Uniform in [-1, 1).
    double bipolar();
    // Uniform in [0, 1).
    double unit();

  private:
    std::uint64_t _state;
};

// Frequency of `semitones` above `hz`.
double transpose(double hz, double semitones);

// 0 before `start`, rising along a raised cosine to 1 at `start + length`.
double riseAt(double t, double start, double length);

// A percussive envelope: a raised-cosine attack of `attack` seconds, then an
// exponential decay with time constant `tau`.
double strike(double t, double attack, double tau);

// A sustained envelope: raised-cosine attack, a hold at `sustain` after an
// exponential settle from 1 with time constant `settle`, and a raised-cosine
// release that ends at `end`.
struct Sustain {
    double attack;
    double settle;
    double sustain;
    double releaseStart;
    double end;
    double at(double t) const;
};

// A resonance in a spectral envelope: the gain a harmonic at `hz` receives.
struct Formant {
    double hz;
    double bandwidth;
    double gain;
    double at(double hz) const;
    // A sharper resonance of the same width: its skirts fall twice as fast
    // (in dB), so harmonics away from the peak take little from it.
    double peakAt(double hz) const;
};

// Sum of formant gains at `hz`, plus `floor`.
double formantGain(std::span<const Formant> formants, double hz, double floor);

// Linear blend of two formant sets (same size), for vowel glides.
std::vector<Formant> blend(std::span<const Formant> a, std::span<const Formant> b, double x);

// Second-order section (RBJ cookbook forms).
class Biquad {
  public:
    static Biquad lowpass(int rate, double hz, double q);
    static Biquad highpass(int rate, double hz, double q);
    static Biquad bandpass(int rate, double hz, double q);
    double process(double x);
    // Moves a band-pass centre without resetting its state (for sweeps).
    void retuneBandpass(int rate, double hz, double q);

  private:
    void set(int rate, double hz, double q, int kind);
    double _b0 = 0, _b1 = 0, _b2 = 0, _a1 = 0, _a2 = 0;
    double _x1 = 0, _x2 = 0, _y1 = 0, _y2 = 0;
};

// Filters a whole buffer through `filter`.
void apply(Biquad filter, std::vector<double>& buffer);

// Additive synthesis: partial k sounds at ratios[k] x pitch(t) with amplitude
// gain(k, t, hz). Gains are evaluated every few frames and interpolated, so
// recipes may use costly spectral envelopes. A partial fades out as it nears
// `bandLimit`, so that a glide never switches one on or off abruptly and no
// partial aliases when the player pitches the sample up. Start phases come
// from `phases` to spread the partials' peaks (a lower crest factor than
// aligned sines at the same timbre).
struct Additive {
    int rate;
    double seconds;
    double bandLimit;
    std::vector<double> ratios;
    std::function<double(double)> pitch;
    std::function<double(std::size_t, double, double)> gain;
    std::vector<double> render(Rng& phases) const;
};

// Ratios 1, 2, ..., count.
std::vector<double> harmonics(int count);

// `seconds` of white noise in [-1, 1).
std::vector<double> noise(int rate, double seconds, Rng& rng);

// Filtered noise shaped by `envelope(t)`: breath, mallet knocks, swishes.
// A steep low-pass at `bandLimit` keeps it, like the partials, from aliasing
// when the player pitches the sample up.
std::vector<double> shapedNoise(int rate, double seconds, double bandLimit, Biquad filter,
                                const std::function<double(double)>& envelope, Rng& rng);

// Root mean square of a buffer (0 for an empty one).
double rms(const std::vector<double>& buffer);

// Adds `gain` x `from` into `into` (over the shorter of the two).
void mixInto(std::vector<double>& into, const std::vector<double>& from, double gain);
// Mixes into `out` noise through `filter` that follows the `level` envelope:
// the breath, rasp or wind that rides on a voiced sound.
void addShapedNoise(std::vector<double>& out, int rate, double seconds, double bandLimit,
                    Biquad filter, const Sustain& level, double gain, Rng& rng);

// Damps the last `seconds` of `buffer` along a raised cosine, as a hand
// stops a bar or string: ringing sounds end in silence within their length.
void damp(int rate, double seconds, std::vector<double>& buffer);

// Drives `buffer` into a soft clipper (tanh, `drive` times its peak) for a
// growl, then low-passes it at `bandLimit` to remove the clipper's highest
// products.
void saturate(int rate, double bandLimit, double drive, std::vector<double>& buffer);

// Frames for `seconds` at `rate`.
std::size_t frames(int rate, double seconds);

} // namespace soundgen
