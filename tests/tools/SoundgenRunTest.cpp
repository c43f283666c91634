// soundgen itself: run twice into fresh folders, it must write the same
// bytes each time, and the same bytes the build installed.

#include "tools/SoundAnalysis.h"
#include "tools/SoundTable.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace soundtest {
namespace {

class ScratchDir {
  public:
    ScratchDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "soundgen-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) {
            _path = pattern;
        }
    }
    ~ScratchDir() {
        std::error_code ignored;
        if (!_path.empty()) {
            std::filesystem::remove_all(_path, ignored);
        }
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& path() const { return _path; }

  private:
    std::filesystem::path _path;
};

int runSoundgen(const std::filesystem::path& dir) {
    const std::string command = std::string("'") + SOUNDGEN_EXECUTABLE + "' '" + dir.string() + "'";
    return std::system(command.c_str());
}

TEST(Soundgen, WritesTheSameBytesOnEveryRun) {
    ScratchDir first;
    ScratchDir second;
    ASSERT_FALSE(first.path().empty());
    ASSERT_FALSE(second.path().empty());
    ASSERT_EQ(runSoundgen(first.path()), 0);
    ASSERT_EQ(runSoundgen(second.path()), 0);
    for (const Expected& e : kSounds) {
        const auto a = readBytes((first.path() / fileName(e.number)).string());
        const auto b = readBytes((second.path() / fileName(e.number)).string());
        const auto built = readBytes(resourcePath(e.number));
        ASSERT_GT(a.size(), 44u) << fileName(e.number);
        EXPECT_EQ(a, b) << fileName(e.number) << " differs between two runs";
        EXPECT_EQ(a, built) << fileName(e.number) << " differs from the build's copy";
    }
}

TEST(Soundgen, FailsWithoutAnOutputFolder) {
    const std::string command = std::string("'") + SOUNDGEN_EXECUTABLE + "' 2>/dev/null";
    EXPECT_NE(std::system(command.c_str()), 0);
}

} // namespace
} // namespace soundtest
