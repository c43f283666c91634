// The main of every test executable. It points the program's resource lookup
// at the build's resources, keeps Qt off any real display, and gives each
// test process a settings and data folder of its own, so that tests never
// touch the user's settings or kept documents and never see each other's. A
// value already set in the environment wins.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

int main(int argc, char** argv) {
    setenv("ZUBO_RESOURCES", ZUBO_TEST_RESOURCE_DIR, 0);
    setenv("ZUBO_SOURCE_DIR", ZUBO_TEST_SOURCE_DIR, 0);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);

    std::string settings = (std::filesystem::temp_directory_path() / "zubo-test-XXXXXX").string();
    const bool ownSettings = mkdtemp(settings.data()) != nullptr;
    if (ownSettings) {
        setenv("XDG_CONFIG_HOME", settings.c_str(), 1);
        setenv("XDG_DATA_HOME", settings.c_str(), 1);
    }

    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();

    if (ownSettings) {
        std::error_code ec;
        std::filesystem::remove_all(settings, ec);
    }
    return result;
}
