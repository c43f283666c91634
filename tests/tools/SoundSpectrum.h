#pragma once

// Spectral and envelope meters for comparing sounds with one another: how
// bright, how long and how alike they are as a listener hears them.

#include <cstddef>
#include <vector>

namespace soundtest {

// The average power spectrum of `x`: Hann-windowed frames of kSpectrumSize
// overlapping by half (a sound shorter than one frame is padded with
// silence). Bin k lies at k x rate / kSpectrumSize. Loud frames weigh more,
// as they do for the ear.
inline constexpr std::size_t kSpectrumSize = 4096;
std::vector<double> powerSpectrum(const std::vector<float>& x);

// The spectrum's centre of gravity, in Hz.
double centroid(const std::vector<double>& power, int rate);

// Power in 1/3-octave bands (centres 1000 x 2^(k/3) Hz, 50 Hz to 16 kHz),
// in dB relative to the whole spectrum, each floored at -60 dB so that
// bands with nothing in them do not dominate a comparison.
std::vector<double> thirdOctaveBands(const std::vector<double>& power, int rate);

// Root mean square difference of two band spectra, in dB.
double bandDistance(const std::vector<double>& a, const std::vector<double>& b);

// Power between `low` and `high` Hz, in dB relative to the whole spectrum.
double bandPowerDb(const std::vector<double>& power, int rate, double low, double high);

// `x` played `ratio` times faster (and higher), linearly interpolated.
std::vector<float> played(const std::vector<float>& x, double ratio);

// RMS level of consecutive blocks of `seconds`, in dB.
std::vector<double> envelopeDb(const std::vector<float>& x, int rate, double seconds);

// Time from the start until the 10 ms envelope falls for good more than
// 20 dB under its loudest block.
double ringTime(const std::vector<float>& x, int rate);

} // namespace soundtest
