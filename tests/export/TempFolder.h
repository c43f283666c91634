#pragma once

// A folder of its own for one test, removed with everything in it when the
// test is over: the export tests have no Qt for a temporary folder.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace exporttest {

class TempFolder {
  public:
    TempFolder() {
        std::string name = (std::filesystem::temp_directory_path() / "zubo-export-XXXXXX").string();
        if (::mkdtemp(name.data()) != nullptr) {
            _path = name;
        }
    }
    ~TempFolder() {
        if (!_path.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(_path, ignored);
        }
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // False when no folder could be made; path() is then empty.
    bool ok() const { return !_path.empty(); }
    const std::string& path() const { return _path; }
    std::string filePath(const std::string& name) const { return _path + "/" + name; }

  private:
    std::string _path;
};

} // namespace exporttest
