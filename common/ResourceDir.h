#pragma once

#include <filesystem>
#include <initializer_list>
#include <string_view>

namespace zubo {

// The folder that holds the sounds, images and example scores: $ZUBO_RESOURCES
// when set, else the build tree's folder beside bin/, else the installed share
// folder. Looked up once and remembered.
const std::filesystem::path& resourceDir();

// The resource called `name` with the first of `extensions` that exists in
// resourceDir(), or an empty path when none does.
std::filesystem::path findResource(std::string_view name,
                                   std::initializer_list<std::string_view> extensions);

} // namespace zubo
