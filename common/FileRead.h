#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zubo {

struct FileContents {
    std::vector<std::uint8_t> bytes;
    std::string error; // empty on success, else a one-line reason without the path

    bool ok() const { return error.empty(); }
};

// What readWholeFile accepts besides a regular file.
enum class FileKinds {
    RegularOrPipe, // a pipe is read until its writer ends it, which may take forever
    RegularOnly,   // for readers that must never wait, such as the composer's window
};

// Reads a whole regular file or pipe (symbolic links followed) of at most
// maxBytes. Missing files, folders, devices, unreadable and oversized files
// give an error, never a partial read; a named pipe without a writer reads
// as empty.
FileContents readWholeFile(const std::filesystem::path& path, std::size_t maxBytes,
                           FileKinds kinds = FileKinds::RegularOrPipe);

} // namespace zubo
