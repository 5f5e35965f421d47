#pragma once

// How the file layer fails: another program holds the file, or the system refused.

#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

namespace vestran::os {

// Another program holds the file.
class FileHeld : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A file operation failed; what() says which, on which file and why, in Spanish.
class FileError : public std::runtime_error {
 public:
  FileError(const std::string& message, std::error_code code)
      : std::runtime_error(message), code_(code) {}
  std::error_code code() const { return code_; }

 private:
  std::error_code code_;
};

// The reason of a failed file operation, in Spanish.
std::string describe(std::error_code code);

// Whether the failure is a full disk (or a file that may grow no more).
bool isDiskFull(std::error_code code);

// "<what> '<path>': <reason>" as a FileError.
[[noreturn]] void throwFileError(const std::string& what, const std::filesystem::path& path,
                                 std::error_code code);

}  // namespace vestran::os
