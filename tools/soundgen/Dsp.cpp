#include "tools/soundgen/Dsp.h"

#include <algorithm>
#include <cmath>

namespace soundgen {

std::uint64_t Rng::next() {
    _state += 0x9E3779B97F4A7C15ULL;
    std::uint64_t z = _state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

double Rng::unit() {
    // The top 53 bits fill a double's mantissa exactly.
    return static_cast<double>(next() >> 11) * 0x1.0p-53;
}

double Rng::bipolar() {
    return unit() * 2.0 - 1.0;
}

double transpose(double hz, double semitones) {
    return hz * std::exp2(semitones / 12.0);
}

double riseAt(double t, double start, double length) {
    if (t <= start) {
        return 0.0;
    }
    if (t >= start + length) {
        return 1.0;
    }
    return 0.5 - 0.5 * std::cos(kPi * (t - start) / length);
}

double strike(double t, double attack, double tau) {
    if (t < 0.0) {
        return 0.0;
    }
    return riseAt(t, 0.0, attack) * std::exp(-t / tau);
}

double Sustain::at(double t) const {
    if (t < 0.0 || t >= end) {
        return 0.0;
    }
    const double body = sustain + (1.0 - sustain) * std::exp(-std::max(0.0, t - attack) / settle);
    const double release = 1.0 - riseAt(t, releaseStart, end - releaseStart);
    return riseAt(t, 0.0, attack) * body * release;
}

double Formant::at(double f) const {
    const double x = (f - hz) / (bandwidth * 0.5);
    return gain / std::sqrt(1.0 + x * x);
}

double Formant::peakAt(double f) const {
    const double x = (f - hz) / (bandwidth * 0.5);
    return gain / (1.0 + x * x);
}

double formantGain(std::span<const Formant> formants, double hz, double floor) {
    double sum = floor;
    for (const Formant& f : formants) {
        sum += f.at(hz);
    }
    return sum;
}

std::vector<Formant> blend(std::span<const Formant> a, std::span<const Formant> b, double x) {
    std::vector<Formant> out;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        out.push_back({a[i].hz + (b[i].hz - a[i].hz) * x,
                       a[i].bandwidth + (b[i].bandwidth - a[i].bandwidth) * x,
                       a[i].gain + (b[i].gain - a[i].gain) * x});
    }
    return out;
}

namespace {

struct Coefficients {
    double b0, b1, b2, a0, a1, a2;
};

Coefficients rbj(int rate, double hz, double q, int kind) {
    const double w = 2.0 * kPi * hz / rate;
    const double alpha = std::sin(w) / (2.0 * q);
    const double c = std::cos(w);
    switch (kind) {
    case 0: // low-pass
        return {(1 - c) / 2, 1 - c, (1 - c) / 2, 1 + alpha, -2 * c, 1 - alpha};
    case 1: // high-pass
        return {(1 + c) / 2, -(1 + c), (1 + c) / 2, 1 + alpha, -2 * c, 1 - alpha};
    default: // band-pass, 0 dB at the centre
        return {alpha, 0, -alpha, 1 + alpha, -2 * c, 1 - alpha};
    }
}

} // namespace

Biquad Biquad::lowpass(int rate, double hz, double q) {
    Biquad b;
    b.set(rate, hz, q, 0);
    return b;
}

Biquad Biquad::highpass(int rate, double hz, double q) {
    Biquad b;
    b.set(rate, hz, q, 1);
    return b;
}

Biquad Biquad::bandpass(int rate, double hz, double q) {
    Biquad b;
    b.set(rate, hz, q, 2);
    return b;
}

void Biquad::retuneBandpass(int rate, double hz, double q) {
    set(rate, hz, q, 2);
}

void Biquad::set(int rate, double hz, double q, int kind) {
    const Coefficients k = rbj(rate, hz, q, kind);
    _b0 = k.b0 / k.a0;
    _b1 = k.b1 / k.a0;
    _b2 = k.b2 / k.a0;
    _a1 = k.a1 / k.a0;
    _a2 = k.a2 / k.a0;
}

double Biquad::process(double x) {
    const double y = _b0 * x + _b1 * _x1 + _b2 * _x2 - _a1 * _y1 - _a2 * _y2;
    _x2 = _x1;
    _x1 = x;
    _y2 = _y1;
    _y1 = y;
    return y;
}

void apply(Biquad filter, std::vector<double>& buffer) {
    for (double& x : buffer) {
        x = filter.process(x);
    }
}

std::size_t frames(int rate, double seconds) {
    return static_cast<std::size_t>(std::lround(seconds * rate));
}

std::vector<double> Additive::render(Rng& phases) const {
    // Gains and pitch change slowly next to the waveform: they are evaluated
    // every 32 frames (0.7 ms), and within a block each partial is a phasor
    // turned by a fixed step, which spares a sine per frame and partial.
    constexpr std::size_t kControl = 32;
    const std::size_t count = frames(rate, seconds);
    const std::size_t partials = ratios.size();
    std::vector<double> out(count, 0.0);
    std::vector<double> phase(partials);
    for (double& p : phase) {
        p = phases.unit() * 2.0 * kPi;
    }
    std::vector<double> from(partials, 0.0);
    std::vector<double> to(partials, 0.0);
    auto gainsAt = [&](std::size_t frame, std::vector<double>& into) {
        const double t = static_cast<double>(frame) / rate;
        const double f = pitch(t);
        for (std::size_t k = 0; k < partials; ++k) {
            const double hz = ratios[k] * f;
            // Fade over the last fifth below the band limit.
            const double fade = std::clamp((bandLimit - hz) / (0.2 * bandLimit), 0.0, 1.0);
            into[k] = fade > 0.0 ? gain(k, t, hz) * fade : 0.0;
        }
    };
    gainsAt(0, to);
    for (std::size_t start = 0; start < count; start += kControl) {
        from.swap(to);
        gainsAt(start + kControl, to);
        const std::size_t length = std::min(count, start + kControl) - start;
        const double middle = (static_cast<double>(start) + kControl / 2.0) / rate;
        const double step = 2.0 * kPi * pitch(middle) / rate;
        for (std::size_t k = 0; k < partials; ++k) {
            const double turn = step * ratios[k];
            if (from[k] != 0.0 || to[k] != 0.0) {
                const double dc = std::cos(turn);
                const double ds = std::sin(turn);
                double c = std::cos(phase[k]);
                double si = std::sin(phase[k]);
                const double slope = (to[k] - from[k]) / kControl;
                for (std::size_t i = 0; i < length; ++i) {
                    out[start + i] += (from[k] + slope * static_cast<double>(i)) * si;
                    const double next = c * dc - si * ds;
                    si = si * dc + c * ds;
                    c = next;
                }
            }
            phase[k] = std::fmod(phase[k] + turn * static_cast<double>(length), 2.0 * kPi);
        }
    }
    return out;
}

void damp(int rate, double seconds, std::vector<double>& buffer) {
    const std::size_t length = std::min(buffer.size(), frames(rate, seconds));
    const std::size_t start = buffer.size() - length;
    for (std::size_t n = 0; n < length; ++n) {
        buffer[start + n] *=
            0.5 + 0.5 * std::cos(kPi * static_cast<double>(n) / static_cast<double>(length));
    }
}

void saturate(int rate, double bandLimit, double drive, std::vector<double>& buffer) {
    double peak = 0.0;
    for (double x : buffer) {
        peak = std::max(peak, std::abs(x));
    }
    if (peak == 0.0) {
        return;
    }
    Biquad first = Biquad::lowpass(rate, bandLimit, 0.54);
    Biquad second = Biquad::lowpass(rate, bandLimit, 1.31);
    for (double& x : buffer) {
        x = second.process(first.process(std::tanh(drive * x / peak)));
    }
}

std::vector<double> harmonics(int count) {
    std::vector<double> r;
    for (int k = 1; k <= count; ++k) {
        r.push_back(k);
    }
    return r;
}

std::vector<double> noise(int rate, double seconds, Rng& rng) {
    std::vector<double> out(frames(rate, seconds));
    for (double& x : out) {
        x = rng.bipolar();
    }
    return out;
}

std::vector<double> shapedNoise(int rate, double seconds, double bandLimit, Biquad filter,
                                const std::function<double(double)>& envelope, Rng& rng) {
    std::vector<double> out = noise(rate, seconds, rng);
    Biquad first = Biquad::lowpass(rate, bandLimit, 0.54);
    Biquad second = Biquad::lowpass(rate, bandLimit, 1.31);
    for (std::size_t n = 0; n < out.size(); ++n) {
        const double shaped = second.process(first.process(filter.process(out[n])));
        out[n] = shaped * envelope(static_cast<double>(n) / rate);
    }
    return out;
}

double rms(const std::vector<double>& buffer) {
    double sum = 0.0;
    for (double x : buffer) {
        sum += x * x;
    }
    return buffer.empty() ? 0.0 : std::sqrt(sum / static_cast<double>(buffer.size()));
}

void mixInto(std::vector<double>& into, const std::vector<double>& from, double gain) {
    const std::size_t count = std::min(into.size(), from.size());
    for (std::size_t n = 0; n < count; ++n) {
        into[n] += gain * from[n];
    }
}

void addShapedNoise(std::vector<double>& out, int rate, double seconds, double bandLimit,
                    Biquad filter, const Sustain& level, double gain, Rng& rng) {
    mixInto(out,
            shapedNoise(
                rate, seconds, bandLimit, filter, [&level](double t) { return level.at(t); }, rng),
            gain);
}

} // namespace soundgen
