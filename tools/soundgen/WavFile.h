#pragma once

#include "tools/soundgen/Finish.h"

#include <string>

namespace soundgen {

// Writes `pcm` as a 16-bit PCM WAV file: RIFF, a 16-byte "fmt " chunk and the
// "data" chunk right after it, which is what the player accepts. Returns an
// empty string on success, else a one-line reason.
std::string writeWav(const std::string& path, const Pcm& pcm);

} // namespace soundgen
