// soundgen OUTPUT_DIR: synthesises the 27 sound resources (sound1.wav ...)
// into OUTPUT_DIR. The output depends on nothing but this program, so every
// build writes the same bytes.

#include "tools/soundgen/Catalogue.h"
#include "tools/soundgen/Finish.h"
#include "tools/soundgen/WavFile.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: soundgen OUTPUT_DIR\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        std::fprintf(stderr, "soundgen: %s: %s\n", dir.c_str(), ec.message().c_str());
        return 1;
    }
    for (const soundgen::Entry& entry : soundgen::catalogue()) {
        const soundgen::Pcm pcm =
            soundgen::finish(soundgen::render(entry),
                             entry.pitch > 0.0 ? soundgen::Level::Loudness : soundgen::Level::Peak);
        const auto path = dir / ("sound" + std::to_string(entry.number) + ".wav");
        const std::string error = soundgen::writeWav(path.string(), pcm);
        if (!error.empty()) {
            std::fprintf(stderr, "soundgen: %s\n", error.c_str());
            return 1;
        }
    }
    return 0;
}
