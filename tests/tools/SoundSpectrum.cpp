#include "tools/SoundSpectrum.h"

#include "tools/SoundAnalysis.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace soundtest {

namespace {

// In-place radix-2 FFT; the size is a power of two.
void fft(std::vector<std::complex<double>>& a) {
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; (j & bit) != 0; bit >>= 1) {
            j ^= bit;
        }
        j ^= bit;
        if (i < j) {
            std::swap(a[i], a[j]);
        }
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const double angle = -2.0 * std::numbers::pi / static_cast<double>(len);
        const std::complex<double> turn(std::cos(angle), std::sin(angle));
        for (std::size_t i = 0; i < n; i += len) {
            std::complex<double> w(1.0, 0.0);
            for (std::size_t k = 0; k < len / 2; ++k) {
                const auto u = a[i + k];
                const auto v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
                w *= turn;
            }
        }
    }
}

double total(const std::vector<double>& power) {
    double sum = 0.0;
    for (double p : power) {
        sum += p;
    }
    return sum;
}

} // namespace

std::vector<double> powerSpectrum(const std::vector<float>& x) {
    constexpr std::size_t n = kSpectrumSize;
    std::vector<double> power(n / 2, 0.0);
    std::vector<std::complex<double>> frame(n);
    for (std::size_t start = 0; start == 0 || start + n / 2 < x.size(); start += n / 2) {
        for (std::size_t k = 0; k < n; ++k) {
            const double window =
                0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(k) / n);
            const double v = start + k < x.size() ? x[start + k] : 0.0;
            frame[k] = window * v;
        }
        fft(frame);
        for (std::size_t k = 0; k < n / 2; ++k) {
            power[k] += std::norm(frame[k]);
        }
    }
    return power;
}

double centroid(const std::vector<double>& power, int rate) {
    double weighted = 0.0;
    for (std::size_t k = 0; k < power.size(); ++k) {
        weighted += static_cast<double>(k) * power[k];
    }
    const double sum = total(power);
    return sum > 0.0 ? weighted / sum * rate / static_cast<double>(kSpectrumSize) : 0.0;
}

double bandPowerDb(const std::vector<double>& power, int rate, double low, double high) {
    const double binHz = static_cast<double>(rate) / static_cast<double>(kSpectrumSize);
    double sum = 0.0;
    for (std::size_t k = 0; k < power.size(); ++k) {
        const double hz = static_cast<double>(k) * binHz;
        if (hz >= low && hz < high) {
            sum += power[k];
        }
    }
    return 10.0 * std::log10(std::max(sum, 1e-30) / std::max(total(power), 1e-30));
}

std::vector<double> thirdOctaveBands(const std::vector<double>& power, int rate) {
    std::vector<double> bands;
    for (int k = -13; k <= 12; ++k) {
        const double centre = 1000.0 * std::exp2(k / 3.0);
        const double db =
            bandPowerDb(power, rate, centre * std::exp2(-1.0 / 6.0), centre * std::exp2(1.0 / 6.0));
        bands.push_back(std::max(db, -60.0));
    }
    return bands;
}

double bandDistance(const std::vector<double>& a, const std::vector<double>& b) {
    double sum = 0.0;
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t k = 0; k < n; ++k) {
        sum += (a[k] - b[k]) * (a[k] - b[k]);
    }
    return n > 0 ? std::sqrt(sum / static_cast<double>(n)) : 0.0;
}

std::vector<float> played(const std::vector<float>& x, double ratio) {
    std::vector<float> out;
    for (double pos = 0.0; pos + 1.0 < static_cast<double>(x.size()); pos += ratio) {
        const auto n = static_cast<std::size_t>(pos);
        const double frac = pos - static_cast<double>(n);
        out.push_back(static_cast<float>(x[n] * (1.0 - frac) + x[n + 1] * frac));
    }
    return out;
}

std::vector<double> envelopeDb(const std::vector<float>& x, int rate, double seconds) {
    const auto block = std::max<std::size_t>(1, static_cast<std::size_t>(seconds * rate));
    std::vector<double> out;
    for (std::size_t start = 0; start + block <= x.size(); start += block) {
        double sum = 0.0;
        for (std::size_t n = start; n < start + block; ++n) {
            sum += static_cast<double>(x[n]) * x[n];
        }
        out.push_back(toDb(std::sqrt(sum / static_cast<double>(block))));
    }
    return out;
}

double ringTime(const std::vector<float>& x, int rate) {
    const auto env = envelopeDb(x, rate, 0.01);
    if (env.empty()) {
        return 0.0;
    }
    const double loudest = *std::max_element(env.begin(), env.end());
    std::size_t last = 0;
    for (std::size_t k = 0; k < env.size(); ++k) {
        if (env[k] >= loudest - 20.0) {
            last = k + 1;
        }
    }
    return static_cast<double>(last) * 0.01;
}

} // namespace soundtest
