#pragma once

// The few file operations the store needs from the operating system: exclusive opening,
// replacing a file in one step, and the temporary files that make that possible. One
// implementation per system: os_file_posix.cpp and os_file_windows.cpp.

#include <filesystem>
#include <optional>
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
// open-file-description lock over the whole file, which other programs and other opens in
// this process see. Closing (or destroying) releases it.
class ExclusiveFile {
 public:
  ExclusiveFile() = default;
  ~ExclusiveFile();
  ExclusiveFile(ExclusiveFile&& other) noexcept;
  ExclusiveFile& operator=(ExclusiveFile&& other) noexcept;
  ExclusiveFile(const ExclusiveFile&) = delete;
  ExclusiveFile& operator=(const ExclusiveFile&) = delete;

  // Opens an existing regular file, for writing where allowed, and takes it. Never waits:
  // throws FileHeld when another program holds it, FileError otherwise (a folder or a
  // named pipe is refused without being opened for reading).
  static ExclusiveFile open(const std::filesystem::path& path);

  // Opens the file, creating it empty when missing, and takes it, as open() does.
  static ExclusiveFile openOrCreate(const std::filesystem::path& path);

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
  // A new, held, empty temporary file beside `target` (see temporaryPathFor).
  static ExclusiveFile createTemporaryBeside(const std::filesystem::path& target);
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
// only once complete: a failure or a crash leaves the earlier file intact. A symbolic link
// is followed: its target gets the new content. Throws FileError.
void writeFileAtomically(const std::filesystem::path& target, std::string_view bytes);

// Gives `from` the name `to` in one step, replacing any file of that name; both lie in
// one folder. Throws FileError; then both files are as they were.
void replaceFile(const std::filesystem::path& from, const std::filesystem::path& to);

// Where a chain of symbolic links finally leads; the path itself when it is no link.
// Throws FileError for a loop.
std::filesystem::path followLinks(const std::filesystem::path& path);

// Makes the renames and removals in the folder durable (nothing to do on Windows).
void syncDirectory(const std::filesystem::path& dir);

// The temporary files vestran writes beside a target are named
// "<target's name>.vestran-<8 letters or digits>.tmp".
std::filesystem::path temporaryPathFor(const std::filesystem::path& target);
// Whether a file name has that form; with `target` not empty, for that target only.
bool isTemporaryName(std::string_view fileName, std::string_view target = {});

// Removes the temporary files of vestran's naming in `dir` (those of `target` only, when
// given) that no live process holds: the litter of runs that were killed. Never throws.
void removeStaleTemporaries(const std::filesystem::path& dir, std::string_view target = {});

// Removes a temporary file when it goes out of scope, unless it was put in place.
class TemporaryGuard {
 public:
  explicit TemporaryGuard(std::filesystem::path path) : path_(std::move(path)) {}
  ~TemporaryGuard() {
    if (!path_.empty()) {
      std::error_code ignored;
      std::filesystem::remove(path_, ignored);
    }
  }
  void release() { path_.clear(); }
  TemporaryGuard(const TemporaryGuard&) = delete;
  TemporaryGuard& operator=(const TemporaryGuard&) = delete;

 private:
  std::filesystem::path path_;
};

// The whole content of a file, read at once; nullopt when it cannot be read. Throws
// std::bad_alloc when it does not fit in memory.
std::optional<std::string> readWholeFile(const std::filesystem::path& path);

// Builds a path from UTF-8 text on every system.
std::filesystem::path pathFromUtf8(std::string_view utf8);

// The path as UTF-8 text, for messages.
std::string pathToUtf8(const std::filesystem::path& path);

}  // namespace vestran::os
