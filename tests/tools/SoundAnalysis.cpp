#include "tools/SoundAnalysis.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <numbers>
#include <sndfile.h>

namespace soundtest {

std::vector<float> Audio::mono() const {
    std::vector<float> out(frames(), 0.0f);
    for (const auto& c : channels) {
        for (std::size_t n = 0; n < out.size(); ++n) {
            out[n] += c[n] / static_cast<float>(channels.size());
        }
    }
    return out;
}

std::optional<Audio> readAudio(const std::string& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        return std::nullopt;
    }
    std::vector<short> interleaved(static_cast<std::size_t>(info.frames * info.channels));
    const sf_count_t got = sf_readf_short(file, interleaved.data(), info.frames);
    sf_close(file);
    if (got != info.frames || info.channels < 1) {
        return std::nullopt;
    }
    Audio audio;
    audio.rate = info.samplerate;
    audio.format = info.format;
    const auto channels = static_cast<std::size_t>(info.channels);
    audio.channels.assign(channels, std::vector<float>(static_cast<std::size_t>(got)));
    for (std::size_t n = 0; n < static_cast<std::size_t>(got); ++n) {
        for (std::size_t c = 0; c < channels; ++c) {
            audio.channels[c][n] = interleaved[n * channels + c] / 32768.0f;
        }
    }
    return audio;
}

std::vector<unsigned char> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

double toDb(double amplitude) {
    return 20.0 * std::log10(std::max(amplitude, 1e-12));
}

double peak(const Audio& audio) {
    double p = 0.0;
    for (const auto& c : audio.channels) {
        p = std::max(p, peakIn(c, 0, c.size()));
    }
    return p;
}

double loudestRms(const Audio& audio) {
    const auto window = static_cast<std::size_t>(0.4 * audio.rate);
    double loudest = 0.0;
    for (const auto& c : audio.channels) {
        // Running sum of squares over a window sliding one frame at a time.
        double sum = 0.0;
        for (std::size_t n = 0; n < c.size(); ++n) {
            sum += static_cast<double>(c[n]) * c[n];
            if (n >= window) {
                sum -= static_cast<double>(c[n - window]) * c[n - window];
            }
            loudest = std::max(loudest, sum);
        }
    }
    return std::sqrt(loudest / static_cast<double>(window));
}

double mean(const std::vector<float>& x) {
    double sum = 0.0;
    for (float v : x) {
        sum += v;
    }
    return x.empty() ? 0.0 : sum / static_cast<double>(x.size());
}

double peakIn(const std::vector<float>& x, std::size_t from, std::size_t to) {
    double p = 0.0;
    for (std::size_t n = from; n < std::min(to, x.size()); ++n) {
        p = std::max(p, static_cast<double>(std::abs(x[n])));
    }
    return p;
}

double cents(double hz, double reference) {
    return 1200.0 * std::log2(hz / reference);
}

namespace {

// Cumulative-mean-normalised difference (as in the YIN estimator): 0 at a
// lag where the signal repeats exactly, around 1 where it does not.
double coarsePeriod(const std::vector<double>& x, int rate) {
    const std::size_t maxLag = static_cast<std::size_t>(rate / 60);
    const std::size_t span = x.size() - maxLag;
    std::vector<double> d(maxLag + 1, 0.0);
    double running = 0.0;
    std::size_t best = 0;
    for (std::size_t lag = 1; lag <= maxLag; ++lag) {
        double sum = 0.0;
        for (std::size_t n = 0; n < span; ++n) {
            const double diff = x[n] - x[n + lag];
            sum += diff * diff;
        }
        running += sum;
        d[lag] = running > 0.0 ? sum * static_cast<double>(lag) / running : 1.0;
        if (best == 0 || d[lag] < d[best]) {
            best = lag;
        }
    }
    // The first dip that comes close to the deepest one is the period: later
    // dips at two or three periods are as deep, and choosing them would halve
    // the pitch.
    const double threshold = std::max(0.2, d[best] + 0.1);
    for (std::size_t lag = 2; lag < maxLag; ++lag) {
        if (d[lag] < threshold && d[lag] <= d[lag - 1] && d[lag] <= d[lag + 1]) {
            best = lag;
            break;
        }
    }
    const double a = d[best - 1];
    const double b = d[best];
    const double c = d[best + 1];
    const double denom = a - 2.0 * b + c;
    const double shift = denom > 0.0 ? 0.5 * (a - c) / denom : 0.0;
    return static_cast<double>(best) + shift;
}

// Magnitude of the windowed signal's spectrum at `hz` (Goertzel).
double magnitudeAt(const std::vector<double>& x, int rate, double hz) {
    const double w = 2.0 * std::numbers::pi * hz / rate;
    const double k = 2.0 * std::cos(w);
    double s1 = 0.0;
    double s2 = 0.0;
    for (double v : x) {
        const double s0 = v + k * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return std::sqrt(std::max(0.0, s1 * s1 + s2 * s2 - k * s1 * s2));
}

} // namespace

Pitch measurePitch(const std::vector<float>& x, int rate, double from, double to) {
    const auto first = static_cast<std::size_t>(from * rate);
    const auto last = std::min(x.size(), static_cast<std::size_t>(to * rate));
    std::vector<double> segment(x.begin() + static_cast<std::ptrdiff_t>(first),
                                x.begin() + static_cast<std::ptrdiff_t>(last));
    Pitch pitch;
    pitch.coarseHz = rate / coarsePeriod(segment, rate);

    // A Hann window, then a search in steps of one cent, refined by a
    // parabola through the log magnitudes around the best step.
    const std::size_t size = segment.size();
    for (std::size_t n = 0; n < size; ++n) {
        segment[n] *= 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(n) /
                                           static_cast<double>(size - 1));
    }
    auto logMagnitude = [&](double c) {
        return std::log(magnitudeAt(segment, rate, pitch.coarseHz * std::exp2(c / 1200.0)) + 1e-12);
    };
    int bestCents = -150;
    double bestValue = logMagnitude(-150.0);
    for (int c = -149; c <= 150; ++c) {
        const double value = logMagnitude(c);
        if (value > bestValue) {
            bestValue = value;
            bestCents = c;
        }
    }
    const double a = logMagnitude(bestCents - 1.0);
    const double c = logMagnitude(bestCents + 1.0);
    const double denom = a - 2.0 * bestValue + c;
    const double shift = denom < 0.0 ? 0.5 * (a - c) / denom : 0.0;
    pitch.hz = pitch.coarseHz * std::exp2((bestCents + shift) / 1200.0);
    return pitch;
}

double rmsFrequency(const std::vector<float>& x, int rate) {
    double power = 0.0;
    double slope = 0.0;
    for (std::size_t n = 1; n < x.size(); ++n) {
        const double d = static_cast<double>(x[n]) - x[n - 1];
        power += static_cast<double>(x[n]) * x[n];
        slope += d * d;
    }
    // A sine at f has a first difference 2 sin(pi f / rate) times as large.
    const double ratio = std::min(1.0, std::sqrt(slope / power) / 2.0);
    return rate * std::asin(ratio) / std::numbers::pi;
}

double periodicity(const std::vector<float>& x, int rate) {
    const auto minLag = static_cast<std::size_t>(0.001 * rate);
    const auto maxLag = static_cast<std::size_t>(0.02 * rate);
    double best = 0.0;
    for (std::size_t lag = minLag; lag <= maxLag && lag < x.size(); ++lag) {
        double cross = 0.0;
        double a = 0.0;
        double b = 0.0;
        for (std::size_t n = 0; n + lag < x.size(); ++n) {
            cross += static_cast<double>(x[n]) * x[n + lag];
            a += static_cast<double>(x[n]) * x[n];
            b += static_cast<double>(x[n + lag]) * x[n + lag];
        }
        if (a > 0.0 && b > 0.0) {
            best = std::max(best, cross / std::sqrt(a * b));
        }
    }
    return best;
}

} // namespace soundtest
