#include "common/FileRead.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>

namespace zubo {

FileContents readWholeFile(const std::filesystem::path& path, std::size_t maxBytes) {
    FileContents out;
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status)) {
        out.error = "no such file";
        return out;
    }
    if (std::filesystem::is_directory(status)) {
        out.error = "is a directory";
        return out;
    }
    if (!std::filesystem::is_regular_file(status)) {
        out.error = "not a regular file";
        return out;
    }
    // Opened without blocking and checked again once open: a FIFO or device
    // put in the file's place since the check above is never waited on.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        out.error = std::strerror(errno);
        return out;
    }
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        ::close(fd);
        out.error = "not a regular file";
        return out;
    }
    std::unique_ptr<FILE, int (*)(FILE*)> file(::fdopen(fd, "rb"), &std::fclose);
    if (!file) {
        out.error = std::strerror(errno);
        ::close(fd);
        return out;
    }
    // Read one byte past the limit so that a file that grew since stat() is
    // still caught as too large.
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[65536];
    while (true) {
        const std::size_t got = std::fread(chunk, 1, sizeof chunk, file.get());
        bytes.insert(bytes.end(), chunk, chunk + got);
        if (bytes.size() > maxBytes) {
            out.error = "larger than " + std::to_string(maxBytes) + " bytes";
            return out;
        }
        if (got < sizeof chunk) {
            break;
        }
    }
    if (std::ferror(file.get())) {
        out.error = "read error";
        return out;
    }
    out.bytes = std::move(bytes);
    return out;
}

} // namespace zubo
