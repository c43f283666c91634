#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace zubo {

// Replaces a file atomically: the new contents go to a hidden temporary
// ".NAME.zubo-XXXXXX" beside the target, are flushed and synced, and are
// renamed over the target only when every write succeeded. A failure at any
// point leaves the old file byte for byte as it was.
//
// The temporary takes the old file's permission bits (new files get 0666
// less the umask) and, where the system allows it, its owner and group. A
// symbolic link is followed, so the file it points to is replaced and the
// link stays. Replacing by rename gives the target a new inode: a hard link
// to the old file keeps the old contents.
//
// The temporary is locked (flock) while in use. Temporaries of this very
// target older than a minute that no one holds locked were left by saves
// that were killed, and are removed when the target is next opened.
//
// While a temporary exists it is published to `pendingTemporaryPath()`, so
// that a signal handler can remove it. Paths are in the local 8-bit
// encoding of the file system. Errors are one line: the system's reason,
// without the path.
class AtomicFile {
  public:
    explicit AtomicFile(std::string path);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary. False with error() when the target cannot be
    // replaced (a folder, not a regular file, not writable, a link loop) or
    // the temporary cannot be made.
    bool open();
    // The temporary's descriptor, for writers that take one; -1 before open().
    int fd() const { return _fd; }
    const std::string& temporaryPath() const { return _temporary; }
    // The file that commit() replaces: the path with symbolic links followed.
    const std::string& targetPath() const { return _target; }

    // Writes all of `bytes` at the descriptor's position.
    bool write(std::span<const std::uint8_t> bytes);
    // Syncs and closes the temporary and renames it over the target.
    bool commit();
    // Removes the temporary; the target is left alone.
    void discard();

    const std::string& error() const { return _error; }
    // Records a failure found by a writer that uses fd() directly.
    void fail(const std::string& reason);

  private:
    bool failWithErrno();
    bool resolveTarget();

    std::string _path;
    std::string _target;
    std::string _temporary;
    std::string _error;
    int _fd = -1;
};

// One call for a whole contents: an empty string on success, else the
// reason. The second form takes text and Qt's byte arrays as they are.
std::string writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);
std::string writeFileAtomically(const std::string& path, std::span<const char> bytes);

// The temporary file of the AtomicFile now open in this process, or nullptr.
// Safe to read from a signal handler.
const char* pendingTemporaryPath();

} // namespace zubo
