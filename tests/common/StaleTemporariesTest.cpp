#include "common/AtomicFile.h"

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

void put(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// Sets the modification time `age` seconds into the past.
void age(const fs::path& path, int seconds) {
    timespec times[2];
    ::clock_gettime(CLOCK_REALTIME, &times[0]);
    times[0].tv_sec -= seconds;
    times[1] = times[0];
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}

class StaleTemporaries : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string name = (fs::temp_directory_path() / "stale-XXXXXX").string();
        ASSERT_NE(::mkdtemp(name.data()), nullptr);
        dir = name;
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
};

TEST_F(StaleTemporaries, OnlyOldUnlockedOnesOfThatFileGoWhenItIsSaved) {
    struct Case {
        const char* name;
        int ageSeconds;
        bool locked;
        bool removed;
    };
    const std::vector<Case> cases = {
        {".song.orn.zubo-Ab3xYz", 120, false, true},
        {".song.orn.zubo-Qw9rT0", 5, false, false},    // a save may still be under way
        {".song.orn.zubo-Lk4mN1", 120, true, false},   // a save is under way
        {".other.orn.zubo-Ab3xYz", 120, false, false}, // another file's
        {".song.orn.zubo-Ab3xY", 120, false, false},   // not our pattern
        {".song.orn.zubo-Ab3xYz.bak", 120, false, false},
        {"song.orn.zubo-Ab3xYz", 120, false, false},
        {".song.orn.zubo-Ab3-Yz", 120, false, false},
    };
    const fs::path target = dir / "song.orn";
    put(target, "old");
    std::vector<int> locks;
    for (const Case& c : cases) {
        put(dir / c.name, "partial");
        age(dir / c.name, c.ageSeconds);
        if (c.locked) {
            // flock locks belong to the open file: another open conflicts.
            const int fd = ::open((dir / c.name).c_str(), O_RDONLY | O_CLOEXEC);
            ASSERT_EQ(::flock(fd, LOCK_EX), 0);
            locks.push_back(fd);
        }
    }
    const std::string text = "new";
    EXPECT_EQ(zubo::writeFileAtomically(target.string(), std::span(text.data(), text.size())), "");
    for (const Case& c : cases) {
        EXPECT_EQ(fs::exists(fs::symlink_status(dir / c.name)), !c.removed) << c.name;
    }
    for (const int fd : locks) {
        ::close(fd);
    }
}

TEST_F(StaleTemporaries, ATemporaryInUseIsLockedAgainstOtherSaves) {
    zubo::AtomicFile file((dir / "song.orn").string());
    ASSERT_TRUE(file.open());
    const int other = ::open(file.temporaryPath().c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(other, 0);
    EXPECT_NE(::flock(other, LOCK_EX | LOCK_NB), 0);
    ::close(other);
}

} // namespace
