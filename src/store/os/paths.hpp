#pragma once

// Paths as UTF-8 text and back, the same on every system: names from the command line,
// the environment and the windows are UTF-8 inside the program.

#include <filesystem>
#include <string>
#include <string_view>

namespace vestran::os {

// Builds a path from UTF-8 text on every system.
std::filesystem::path pathFromUtf8(std::string_view utf8);

// The path as UTF-8 text.
std::string pathToUtf8(const std::filesystem::path& path);

// The path as the user's system writes it, for messages: backslashes on Windows.
std::string pathForUser(const std::filesystem::path& path);

}  // namespace vestran::os
