#include "common/ResourceDir.h"

#include <cstdlib>
#include <string>
#include <system_error>

namespace zubo {
namespace {

std::filesystem::path executableDir() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : exe.parent_path();
}

std::filesystem::path locate() {
    if (const char* env = std::getenv("ZUBO_RESOURCES"); env && *env) {
        return env;
    }
    const auto exeDir = executableDir();
    std::error_code ec;
    for (const auto& candidate :
         {exeDir / ".." / "resources", exeDir / ".." / "share" / "zubo-sequencer"}) {
        if (std::filesystem::is_directory(candidate, ec)) {
            return std::filesystem::weakly_canonical(candidate, ec);
        }
    }
    return exeDir / ".." / "resources";
}

} // namespace

const std::filesystem::path& resourceDir() {
    static const std::filesystem::path dir = locate();
    return dir;
}

std::filesystem::path findResource(std::string_view name,
                                   std::initializer_list<std::string_view> extensions) {
    std::error_code ec;
    for (auto ext : extensions) {
        auto path = resourceDir() / (std::string(name) + std::string(ext));
        if (std::filesystem::is_regular_file(path, ec)) {
            return path;
        }
    }
    return {};
}

} // namespace zubo
