#pragma once

#include "sound/OrnWaves.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

// The user's own instrument sounds, read from one folder: a file named after
// an instrument ("Star.wav", any case; WAV, FLAC or Ogg, mono or stereo, at
// any rate, at most 10 s and 16 MiB) replaces both of its registers and is
// played as if recorded at F4; "Star-high.wav" replaces only the upper
// register and is played as if recorded at E5. Files are read with libsndfile
// and resampled to 44100 Hz with libsamplerate. Main thread only.
struct UserInstrumentsLoad {
    // Why the folder itself could not be read ("no such folder"), else empty.
    std::string folderError;
    // The sounds that loaded (the instruments without one keep ours).
    std::unique_ptr<OrnWaves::UserSamples> samples;
    // A file that names an instrument but could not be used, one line each:
    // "Cat.wav: not a sound file (the reason); Cat keeps its own sound".
    std::vector<std::string> warnings;
    // The files whose names are no instrument's.
    std::vector<std::string> ignored;
};

UserInstrumentsLoad loadUserInstruments(const std::filesystem::path& folder);

// The name of instrument 1..15 ("Zubo" ... "Heart").
const char* instrumentName(int instrument);
