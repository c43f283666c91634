#include "common/AtomicFile.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::span<const std::uint8_t> bytesOf(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::string contentsOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void put(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

mode_t modeOf(const fs::path& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
}

class AtomicFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string name = (fs::temp_directory_path() / "atomic-XXXXXX").string();
        ASSERT_NE(::mkdtemp(name.data()), nullptr);
        dir = name;
    }
    void TearDown() override { fs::remove_all(dir); }
    // Every entry of the folder: nothing may be left behind but what a test made.
    std::size_t entries() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), {}));
    }
    fs::path dir;
};

TEST_F(AtomicFileTest, ReplacesWhatThePathNames) {
    const mode_t fresh = [] {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return static_cast<mode_t>(0666 & ~mask);
    }();
    struct Case {
        const char* name;
        std::function<void(const fs::path&)> make; // builds the old state at "out"
        const char* written;                       // the file that receives the text
        mode_t mode;
    } const cases[] = {
        {"new file", [](const fs::path&) {}, "out", fresh},
        {"mode kept",
         [](const fs::path& d) {
             put(d / "out", "old");
             fs::permissions(d / "out", fs::perms(0640));
         },
         "out", 0640},
        {"executable kept",
         [](const fs::path& d) {
             put(d / "out", "old");
             fs::permissions(d / "out", fs::perms(0751));
         },
         "out", 0751},
        {"relative link",
         [](const fs::path& d) {
             put(d / "real", "old");
             fs::permissions(d / "real", fs::perms(0600));
             fs::create_symlink("real", d / "out");
         },
         "real", 0600},
        {"chain of links",
         [](const fs::path& d) {
             fs::create_directory(d / "sub");
             put(d / "sub/real", "old");
             fs::create_symlink("sub/real", d / "mid");
             fs::create_symlink(d / "mid", d / "out");
         },
         "sub/real", fresh},
        {"dangling link", [](const fs::path& d) { fs::create_symlink("later", d / "out"); },
         "later", fresh},
        // Only root can give the file away; for anyone else it stays theirs.
        {"owner kept",
         [](const fs::path& d) {
             put(d / "out", "old");
             [[maybe_unused]] int r = ::chown((d / "out").c_str(), 4321, 4321);
         },
         "out", fresh},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(dir);
        fs::create_directory(dir);
        c.make(dir);
        const bool wasLink = fs::is_symlink(dir / "out");
        struct stat old {};
        const bool existed = ::stat((dir / c.written).c_str(), &old) == 0;
        EXPECT_EQ(zubo::writeFileAtomically((dir / "out").string(), std::string("new\r\n")), "");
        struct stat now {};
        ASSERT_EQ(::stat((dir / c.written).c_str(), &now), 0);
        if (existed) {
            EXPECT_EQ(now.st_uid, old.st_uid);
            EXPECT_EQ(now.st_gid, old.st_gid);
        }
        EXPECT_EQ(contentsOf(dir / c.written), "new\r\n");
        EXPECT_EQ(modeOf(dir / c.written), c.mode);
        EXPECT_EQ(fs::is_symlink(dir / "out"), wasLink);
        EXPECT_EQ(zubo::pendingTemporaryPath(), nullptr);
    }
}

TEST_F(AtomicFileTest, RefusesWhatCannotBeReplaced) {
    put(dir / "keep", "old");
    fs::create_directory(dir / "folder");
    ::mkfifo((dir / "fifo").c_str(), 0644);
    fs::create_symlink("loop2", dir / "loop1");
    fs::create_symlink("loop1", dir / "loop2");
    const struct {
        const char* name;
        const char* reason;
    } cases[] = {
        {"folder", "Is a directory"},
        {"fifo", "not a regular file"},
        {"loop1", "Too many levels of symbolic links"},
        {"missing/out", "No such file or directory"},
    };
    const std::size_t before = entries();
    for (const auto& c : cases) {
        EXPECT_EQ(zubo::writeFileAtomically((dir / c.name).string(), bytesOf("new")), c.reason)
            << c.name;
    }
    EXPECT_EQ(entries(), before);
    EXPECT_TRUE(fs::is_fifo(dir / "fifo"));
}

TEST_F(AtomicFileTest, TemporaryIsHiddenBesideTheTargetAndPublished) {
    put(dir / "out.wav", "old");
    zubo::AtomicFile file((dir / "out.wav").string());
    ASSERT_TRUE(file.open()) << file.error();
    const fs::path temporary = file.temporaryPath();
    EXPECT_EQ(temporary.parent_path(), dir);
    EXPECT_EQ(temporary.filename().string().rfind(".out.wav.zubo-", 0), 0u) << temporary;
    EXPECT_EQ(temporary.filename().string().size(), std::string(".out.wav.zubo-XXXXXX").size());
    EXPECT_STREQ(zubo::pendingTemporaryPath(), file.temporaryPath().c_str());
    ASSERT_TRUE(file.write(bytesOf("partial")));
    file.discard();
    EXPECT_FALSE(fs::exists(temporary));
    EXPECT_EQ(zubo::pendingTemporaryPath(), nullptr);
    EXPECT_EQ(contentsOf(dir / "out.wav"), "old");
}

// A child process writes under a file-size limit: the write fails part way
// (as it does on a full disk), for root too, and the old file must survive.
TEST_F(AtomicFileTest, FailedWriteKeepsTheOldFile) {
    const std::string old(3000, 'o');
    const struct {
        const char* name;
        std::size_t size;
        rlim_t limit;
    } cases[] = {
        {"cut in the first write", 1 << 20, 1024},
        {"nothing fits", 10, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        put(dir / "keep.orn", old);
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{c.limit, c.limit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            const std::string error = zubo::writeFileAtomically((dir / "keep.orn").string(),
                                                                bytesOf(std::string(c.size, 'n')));
            const ssize_t sent = ::write(pipeFds[1], error.data(), error.size());
            ::_exit(error.empty() || sent < 0 ? 0 : 1);
        }
        ::close(pipeFds[1]);
        char reason[256] = {};
        const ssize_t got = ::read(pipeFds[0], reason, sizeof reason - 1);
        ::close(pipeFds[0]);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
        EXPECT_EQ(std::string(reason, got > 0 ? static_cast<std::size_t>(got) : 0),
                  "File too large");
        EXPECT_EQ(contentsOf(dir / "keep.orn"), old);
        EXPECT_EQ(entries(), 1u);
    }
}

} // namespace
