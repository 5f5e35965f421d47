#pragma once

// Updating one value of an INI file while every other byte stays as it was.

#include <filesystem>
#include <string>
#include <string_view>

#include "store/errors.hpp"

namespace vestran {

// The INI file could not be read or written.
class ArchivoIniError : public Error {
 public:
  using Error::Error;
};

// The INI text with `key` of `section` set to `value`. Section and key names match
// without regard to ASCII letter case, as Windows matches them. The first matching key
// line is rewritten; a missing key is added at the end of its section, a missing section
// at the end of the text. Every other line, comment and line ending is kept.
std::string textoConValorIni(std::string_view text, std::string_view section, std::string_view key,
                             std::string_view value);

// Sets the value in the file, creating it when missing, and replaces the file only once
// the new content is complete. A symbolic link is followed: its target is updated. A
// read-only file is not replaced. Throws ArchivoIniError when the file cannot be read or
// written.
void escribirValorIni(const std::filesystem::path& file, std::string_view section,
                      std::string_view key, std::string_view value);

}  // namespace vestran
