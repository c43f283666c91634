#include "common/AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <limits.h>
#include <pthread.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace zubo {
namespace {

std::atomic<const char*> g_pendingTemporary{nullptr};
static_assert(std::atomic<const char*>::is_always_lock_free);

// The signals that remove a pending temporary are held back while one is
// created or removed, so that no temporary is ever left unpublished.
class SignalsHeld {
  public:
    SignalsHeld() {
        sigset_t held;
        sigemptyset(&held);
        sigaddset(&held, SIGINT);
        sigaddset(&held, SIGTERM);
        sigaddset(&held, SIGHUP);
        pthread_sigmask(SIG_BLOCK, &held, &_previous);
    }
    ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &_previous, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

  private:
    sigset_t _previous;
};

std::string directoryOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The mode a new file gets under the process umask. The umask is read from
// the kernel's status of the process instead of being set and restored,
// which would change it for a moment under the other threads.
mode_t creationMode() {
    mode_t mask = 022;
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with("Umask:")) {
            char* end = nullptr;
            const unsigned long value = std::strtoul(line.c_str() + 6, &end, 8);
            if (end != line.c_str() + 6 && value <= 0777) {
                mask = static_cast<mode_t>(value);
            }
            break;
        }
    }
    return 0666 & ~mask;
}

constexpr const char* kTemporaryInfix = ".zubo-";
// mkostemp's six letters and digits.
constexpr std::size_t kUniqueLength = 6;
constexpr time_t kStaleSeconds = 60;

bool isTemporaryOf(const std::string& name, const std::string& prefix) {
    if (name.size() != prefix.size() + kUniqueLength || !name.starts_with(prefix)) {
        return false;
    }
    for (std::size_t i = prefix.size(); i < name.size(); ++i) {
        const char c = name[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) {
            return false;
        }
    }
    return true;
}

// Removes what saves of `target` that were killed mid-write left beside it:
// temporaries older than a minute that no save under way holds locked.
void removeStaleTemporaries(const std::string& target) {
    const std::string folder = directoryOf(target);
    const std::string prefix = "." + nameOf(target) + kTemporaryInfix;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return;
    }
    const time_t now = ::time(nullptr);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (!isTemporaryOf(name, prefix)) {
            continue;
        }
        const std::string path = folder + '/' + name;
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode) ||
            now - status.st_mtime < kStaleSeconds) {
            continue;
        }
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            ::unlink(path.c_str());
        }
        ::close(fd);
    }
    ::closedir(dir);
}

void unpublish(const std::string& temporary) {
    const char* expected = temporary.c_str();
    g_pendingTemporary.compare_exchange_strong(expected, nullptr);
}

} // namespace

AtomicFile::AtomicFile(std::string path) : _path(std::move(path)) {}

AtomicFile::~AtomicFile() {
    discard();
}

bool AtomicFile::failWithErrno() {
    fail(std::strerror(errno));
    return false;
}

void AtomicFile::fail(const std::string& reason) {
    if (_error.empty()) {
        _error = reason;
    }
}

bool AtomicFile::resolveTarget() {
    // Linux gives up after 40 links; so do we.
    constexpr int kMaxLinks = 40;
    std::string current = _path;
    for (int links = 0;; ++links) {
        struct stat status {};
        if (::lstat(current.c_str(), &status) != 0) {
            if (errno != ENOENT) {
                return failWithErrno();
            }
            break; // a new file (or a dangling link's target)
        }
        if (!S_ISLNK(status.st_mode)) {
            break;
        }
        if (links == kMaxLinks) {
            errno = ELOOP;
            return failWithErrno();
        }
        char link[PATH_MAX];
        const ssize_t length = ::readlink(current.c_str(), link, sizeof link);
        if (length < 0) {
            return failWithErrno();
        }
        if (static_cast<std::size_t>(length) == sizeof link) {
            errno = ENAMETOOLONG;
            return failWithErrno();
        }
        std::string next(link, static_cast<std::size_t>(length));
        current = next.front() == '/' ? next : directoryOf(current) + '/' + next;
    }
    _target = current;
    return true;
}

bool AtomicFile::open() {
    if (_fd >= 0 || !_error.empty() || !resolveTarget()) {
        return false;
    }
    mode_t mode = creationMode();
    struct stat status {};
    const bool exists = ::stat(_target.c_str(), &status) == 0;
    if (exists) {
        if (S_ISDIR(status.st_mode)) {
            errno = EISDIR;
            return failWithErrno();
        }
        if (!S_ISREG(status.st_mode)) {
            fail("not a regular file");
            return false;
        }
        // Replacing by rename would get past a file the user made read-only.
        if (::access(_target.c_str(), W_OK) != 0) {
            return failWithErrno();
        }
        mode = status.st_mode & 07777;
    } else if (errno != ENOENT) {
        return failWithErrno();
    }
    removeStaleTemporaries(_target);
    std::string temporary =
        directoryOf(_target) + "/." + nameOf(_target) + kTemporaryInfix + "XXXXXX";
    const SignalsHeld held;
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        return failWithErrno();
    }
    // The lock tells other saves that this temporary is in use; it goes
    // with the process, so a killed save's temporary is free to remove.
    ::flock(fd, LOCK_EX | LOCK_NB);
    _fd = fd;
    _temporary = std::move(temporary);
    g_pendingTemporary.store(_temporary.c_str());
    // Only root may give a file away, and a group only to its members: a
    // replacement owned by the writer is what any other save would give.
    if (exists && (status.st_uid != ::geteuid() || status.st_gid != ::getegid())) {
        [[maybe_unused]] const int kept = ::fchown(_fd, status.st_uid, status.st_gid);
    }
    if (::fchmod(_fd, mode) != 0) {
        failWithErrno();
        discard();
        return false;
    }
    return true;
}

bool AtomicFile::write(std::span<const std::uint8_t> bytes) {
    if (_fd < 0 || !_error.empty()) {
        return false;
    }
    while (!bytes.empty()) {
        const ssize_t written = ::write(_fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return failWithErrno();
        }
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
    return true;
}

bool AtomicFile::commit() {
    if (_fd < 0 || !_error.empty()) {
        discard();
        return false;
    }
    // Data that only sits in the page cache can still fail to reach the
    // disk: fsync reports that, and close reports what is left.
    if (::fsync(_fd) != 0) {
        failWithErrno();
        discard();
        return false;
    }
    const int fd = std::exchange(_fd, -1);
    if (::close(fd) != 0) {
        failWithErrno();
        discard();
        return false;
    }
    const SignalsHeld held;
    if (std::rename(_temporary.c_str(), _target.c_str()) != 0) {
        failWithErrno();
        discard();
        return false;
    }
    unpublish(_temporary);
    _temporary.clear();
    // The new contents are already safe; syncing the folder only makes the
    // rename itself survive a crash, so its failure does not undo the write.
    const int folder = ::open(directoryOf(_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

void AtomicFile::discard() {
    if (_fd >= 0) {
        ::close(std::exchange(_fd, -1));
    }
    if (!_temporary.empty()) {
        const SignalsHeld held;
        unpublish(_temporary);
        ::unlink(_temporary.c_str());
        _temporary.clear();
    }
}

std::string writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
    AtomicFile file(path);
    if (!file.open() || !file.write(bytes) || !file.commit()) {
        return file.error();
    }
    return {};
}

std::string writeFileAtomically(const std::string& path, std::span<const char> bytes) {
    return writeFileAtomically(
        path, std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

const char* pendingTemporaryPath() {
    return g_pendingTemporary.load();
}

} // namespace zubo
