#pragma once

// The few file operations the store needs from the operating system: exclusive opening
// and replacing a file's content in one step.

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
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

// A file open for this process alone: on Windows by share mode, elsewhere by an
// open-file-description lock over the whole file, which other programs see. Closing
// (or destroying) releases it.
class ExclusiveFile {
 public:
  ExclusiveFile() = default;
  ~ExclusiveFile();
  ExclusiveFile(ExclusiveFile&& other) noexcept;
  ExclusiveFile& operator=(ExclusiveFile&& other) noexcept;
  ExclusiveFile(const ExclusiveFile&) = delete;
  ExclusiveFile& operator=(const ExclusiveFile&) = delete;

  // Opens an existing file, for writing where allowed, and takes it.
  // Throws FileHeld when another program holds it, FileError otherwise.
  static ExclusiveFile open(const std::filesystem::path& path);

  bool isOpen() const;
  const std::filesystem::path& path() const { return path_; }

  // The whole content. Throws FileError.
  std::string readAll() const;

  // Replaces the whole content in one step: the new content goes to a temporary file
  // beside this one, which then takes this file's place and stays held. A failure or a
  // crash leaves the earlier content intact. Throws FileError.
  void replaceContent(std::string_view bytes);

  void close() noexcept;

 private:
  static ExclusiveFile createBeside(const std::filesystem::path& target,
                                    std::filesystem::path& created);
  void writeAll(std::string_view bytes);
  friend void writeFileAtomically(const std::filesystem::path& target, std::string_view bytes);

#ifdef _WIN32
  void* handle_ = nullptr;
#else
  int fd_ = -1;
#endif
  std::filesystem::path path_;
};

// Writes `bytes` to `target` through a temporary file beside it that replaces the target
// only once complete: a failure or a crash leaves the earlier file intact. Throws FileError.
void writeFileAtomically(const std::filesystem::path& target, std::string_view bytes);

// Builds a path from UTF-8 text on every system.
std::filesystem::path pathFromUtf8(std::string_view utf8);

// The path as UTF-8 text, for messages.
std::string pathToUtf8(const std::filesystem::path& path);

}  // namespace vestran::os
