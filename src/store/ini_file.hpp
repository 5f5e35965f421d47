#pragma once

// Updating one value of an INI file while every other byte stays as it was.

#include <filesystem>
#include <string>
#include <string_view>

namespace vestran {

// The INI text with `key` of `section` set to `value`. Section and key names match
// without regard to ASCII letter case, as Windows matches them. The first matching key
// line is rewritten; a missing key is added at the end of its section, a missing section
// at the end of the text. Every other line, comment and line ending is kept.
std::string withIniValue(std::string_view text, std::string_view section, std::string_view key,
                         std::string_view value);

// Sets the value in the file, creating it when missing, and replaces the file only once
// the new content is complete. Throws Error (Spanish) when the file cannot be read or
// written.
void writeIniValue(const std::filesystem::path& file, std::string_view section,
                   std::string_view key, std::string_view value);

}  // namespace vestran
