#include "common/FileRead.h"

#include "common/SystemError.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zubo {
namespace {

// Closes the descriptor when the read is done, whichever way.
class Descriptor {
  public:
    explicit Descriptor(int fd) : _fd(fd) {}
    ~Descriptor() {
        if (_fd >= 0) {
            ::close(_fd);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return _fd; }

  private:
    int _fd;
};

} // namespace

FileContents readWholeFile(const std::filesystem::path& path, std::size_t maxBytes,
                           FileKinds kinds) {
    FileContents out;
    // Opened without waiting, so that a FIFO without a writer reads as empty
    // instead of blocking; what kind of file it is comes from the descriptor
    // itself, so it cannot change between the check and the read.
    const Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0) {
        out.error = fileReason(errno);
        return out;
    }
    struct stat status {};
    if (::fstat(file.get(), &status) != 0) {
        out.error = fileReason(errno);
        return out;
    }
    if (S_ISDIR(status.st_mode)) {
        out.error = "is a directory";
        return out;
    }
    const bool pipeAllowed = kinds == FileKinds::RegularOrPipe && S_ISFIFO(status.st_mode);
    if (!S_ISREG(status.st_mode) && !pipeAllowed) {
        out.error = "not a regular file";
        return out;
    }
    // A pipe is read as it comes: waiting for its writer from here on.
    ::fcntl(file.get(), F_SETFL, ::fcntl(file.get(), F_GETFL) & ~O_NONBLOCK);
    // Read one byte past the limit so that a file that grew since it was
    // opened, or a pipe that goes on, is still caught as too large.
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[65536];
    while (true) {
        const ssize_t got = ::read(file.get(), chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            out.error = fileReason(errno);
            return out;
        }
        if (got == 0) {
            break;
        }
        bytes.insert(bytes.end(), chunk, chunk + got);
        if (bytes.size() > maxBytes) {
            out.error = "larger than " + std::to_string(maxBytes) + " bytes";
            return out;
        }
    }
    out.bytes = std::move(bytes);
    return out;
}

} // namespace zubo
