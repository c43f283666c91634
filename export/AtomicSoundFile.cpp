#include "export/AtomicSoundFile.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace zubo {
namespace {

// libsndfile prints to standard output when asked about an error number it
// does not know, and its Ogg encoder reports failed writes as -1.
std::string soundError(int number) {
    return number > 0 ? sf_error_number(number) : "the encoder could not write the file";
}

} // namespace

AtomicSoundFile::AtomicSoundFile(std::string path, int format)
    : _file(std::move(path)), _format(format) {}

AtomicSoundFile::~AtomicSoundFile() {
    if (_sound != nullptr) {
        sf_close(_sound);
    }
}

sf_count_t AtomicSoundFile::length(void* self) {
    struct stat status {};
    return ::fstat(static_cast<AtomicSoundFile*>(self)->_file.fd(), &status) == 0 ? status.st_size
                                                                                  : -1;
}

sf_count_t AtomicSoundFile::seek(sf_count_t offset, int whence, void* self) {
    return ::lseek(static_cast<AtomicSoundFile*>(self)->_file.fd(), offset, whence);
}

sf_count_t AtomicSoundFile::read(void* buffer, sf_count_t count, void* self) {
    auto* file = static_cast<AtomicSoundFile*>(self);
    sf_count_t done = 0;
    while (done < count) {
        const ssize_t got = ::read(file->_file.fd(), static_cast<char*>(buffer) + done,
                                   static_cast<std::size_t>(count - done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        done += got;
    }
    return done;
}

sf_count_t AtomicSoundFile::write(const void* buffer, sf_count_t count, void* self) {
    auto* file = static_cast<AtomicSoundFile*>(self);
    const std::span<const std::uint8_t> bytes(static_cast<const std::uint8_t*>(buffer),
                                              static_cast<std::size_t>(count));
    return file->_file.write(bytes) ? count : 0;
}

sf_count_t AtomicSoundFile::tell(void* self) {
    return ::lseek(static_cast<AtomicSoundFile*>(self)->_file.fd(), 0, SEEK_CUR);
}

bool AtomicSoundFile::open() {
    if (!_file.open()) {
        return false;
    }
    SF_VIRTUAL_IO io{&AtomicSoundFile::length, &AtomicSoundFile::seek, &AtomicSoundFile::read,
                     &AtomicSoundFile::write, &AtomicSoundFile::tell};
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 2;
    info.format = _format;
    _sound = sf_open_virtual(&io, SFM_WRITE, &info, this);
    if (_sound == nullptr) {
        _file.fail(soundError(sf_error(nullptr)));
        _file.discard();
        return false;
    }
    sf_command(_sound, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    if ((_format & SF_FORMAT_TYPEMASK) == SF_FORMAT_RF64) {
        sf_command(_sound, SFC_RF64_AUTO_DOWNGRADE, nullptr, SF_TRUE);
    }
    return true;
}

bool AtomicSoundFile::write(std::span<const float> interleaved) {
    const auto frames = static_cast<sf_count_t>(interleaved.size() / 2);
    if (_sound == nullptr || sf_writef_float(_sound, interleaved.data(), frames) != frames) {
        // A failed write of our own already holds the system's reason.
        _file.fail(_sound != nullptr ? soundError(sf_error(_sound)) : "not open");
        return false;
    }
    _frames += frames;
    return true;
}

bool AtomicSoundFile::closeSound() {
    const int closed = sf_close(std::exchange(_sound, nullptr));
    if (closed != 0) {
        _file.fail(soundError(closed));
    }
    return _file.error().empty();
}

bool AtomicSoundFile::commit() {
    if (_sound == nullptr || !closeSound()) {
        _file.discard();
        return false;
    }
    // Read back what reached the temporary: an encoder may have lost a
    // write that it never reported.
    SF_INFO info{};
    SNDFILE* check = sf_open(_file.temporaryPath().c_str(), SFM_READ, &info);
    const sf_count_t found = check != nullptr ? info.frames : -1;
    if (check != nullptr) {
        sf_close(check);
    }
    if (found != _frames) {
        _file.fail("the written file holds " + std::to_string(found < 0 ? 0 : found) + " of " +
                   std::to_string(_frames) + " frames");
        _file.discard();
        return false;
    }
    return _file.commit();
}

} // namespace zubo
