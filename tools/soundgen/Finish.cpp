#include "tools/soundgen/Finish.h"

#include "tools/soundgen/Dsp.h"

#include <algorithm>
#include <cmath>

namespace soundgen {

namespace {

// A one-pole high-pass at 15 Hz: below anything the instruments play.
void blockDc(int rate, std::vector<double>& x) {
    const double r = std::exp(-2.0 * kPi * 15.0 / rate);
    double previousIn = 0.0;
    double previousOut = 0.0;
    for (double& v : x) {
        const double out = v - previousIn + r * previousOut;
        previousIn = v;
        previousOut = out;
        v = out;
    }
}

void fadeEdges(int rate, std::vector<double>& x) {
    const std::size_t in = std::min(x.size(), frames(rate, 0.002));
    for (std::size_t n = 0; n < in; ++n) {
        x[n] *= 0.5 - 0.5 * std::cos(kPi * static_cast<double>(n) / static_cast<double>(in));
    }
    const std::size_t out = std::min(x.size(), frames(rate, 0.02));
    const std::size_t start = x.size() - out;
    for (std::size_t n = 0; n < out; ++n) {
        x[start + n] *=
            0.5 + 0.5 * std::cos(kPi * static_cast<double>(n) / static_cast<double>(out - 1));
    }
}

// The largest RMS, over the channels, of any 400 ms window; a shorter sound
// counts as padded with silence.
double loudestRms(int rate, const std::vector<std::vector<double>>& channels) {
    const std::size_t window = frames(rate, 0.4);
    double loudest = 0.0;
    for (const auto& x : channels) {
        double sum = 0.0;
        for (std::size_t n = 0; n < x.size(); ++n) {
            sum += x[n] * x[n];
            if (n >= window) {
                sum -= x[n - window] * x[n - window];
            }
            loudest = std::max(loudest, sum);
        }
    }
    return std::sqrt(loudest / static_cast<double>(window));
}

} // namespace

Pcm finish(const Sound& sound, Level level) {
    std::vector<std::vector<double>> channels = sound.channels;
    double peak = 0.0;
    for (auto& x : channels) {
        blockDc(sound.rate, x);
        fadeEdges(sound.rate, x);
        for (double v : x) {
            peak = std::max(peak, std::abs(v));
        }
    }
    const double measured = level == Level::Loudness ? loudestRms(sound.rate, channels) : peak;
    const double target = level == Level::Loudness ? kLoudnessDbfs : kPeakDbfs;
    const double gain = measured > 0.0 ? 32768.0 * std::pow(10.0, target / 20.0) / measured : 0.0;
    Pcm pcm{sound.rate, static_cast<int>(channels.size()), {}};
    const std::size_t length = channels.empty() ? 0 : channels.front().size();
    pcm.samples.reserve(length * channels.size());
    for (std::size_t n = 0; n < length; ++n) {
        for (const auto& x : channels) {
            const double v = std::clamp(std::round(x[n] * gain), -32768.0, 32767.0);
            pcm.samples.push_back(static_cast<std::int16_t>(v));
        }
    }
    return pcm;
}

} // namespace soundgen
