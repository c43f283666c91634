#pragma once

#include "common/AtomicFile.h"

#include <sndfile.h>
#include <span>
#include <string>

namespace zubo {

// A 44100 Hz stereo sound file that replaces its target atomically (see
// AtomicFile). libsndfile writes through our own I/O functions, so that
// every failed write is seen: sf_close() drops the error of its last one.
// Before the rename the temporary is read back and must hold every frame.
class AtomicSoundFile {
  public:
    // `format` is a libsndfile major format and subtype. A RF64 file turns
    // into a plain WAV file when it stays under 4 GiB.
    AtomicSoundFile(std::string path, int format);
    ~AtomicSoundFile();
    AtomicSoundFile(const AtomicSoundFile&) = delete;
    AtomicSoundFile& operator=(const AtomicSoundFile&) = delete;

    bool open();
    // Interleaved stereo frames; samples beyond full scale are clipped.
    bool write(std::span<const float> interleaved);
    bool commit();

    // The file that commit() replaces (symbolic links followed).
    const std::string& targetPath() const { return _file.targetPath(); }
    const std::string& error() const { return _file.error(); }

  private:
    static sf_count_t length(void* self);
    static sf_count_t seek(sf_count_t offset, int whence, void* self);
    static sf_count_t read(void* buffer, sf_count_t count, void* self);
    static sf_count_t write(const void* buffer, sf_count_t count, void* self);
    static sf_count_t tell(void* self);
    bool closeSound();

    AtomicFile _file;
    int _format;
    SNDFILE* _sound = nullptr;
    sf_count_t _frames = 0;
};

} // namespace zubo
