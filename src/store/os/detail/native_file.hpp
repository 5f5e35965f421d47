#pragma once

// The primitives the file layer needs from the operating system, one implementation per
// system (native_file_posix.cpp, native_file_windows.cpp). Only the os room uses them;
// everything else goes through ExclusiveFile, the writes in replacing.hpp and RunLock.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "store/os/replacing.hpp"

namespace vestran::os::detail {

// What an open does when another program holds the file.
enum class WhenHeld {
  fail,   // throw FileHeld at once
  retry,  // try again for about two seconds first: on Windows an antivirus, the search
          // indexer or a backup client holds a file just written for a moment
};

// An open file: a descriptor on POSIX systems, a HANDLE on Windows. Closed when destroyed.
class NativeFile {
 public:
  NativeFile() = default;
  ~NativeFile();
  NativeFile(NativeFile&& other) noexcept;
  NativeFile& operator=(NativeFile&& other) noexcept;
  NativeFile(const NativeFile&) = delete;
  NativeFile& operator=(const NativeFile&) = delete;

  // Opens an existing regular file for this process alone (share mode on Windows; an
  // open-file-description lock elsewhere, which other programs and other opens in this
  // process see), for writing where allowed and for reading otherwise. Throws FileHeld
  // when another program holds it, FileError for anything else: a folder, a named pipe
  // or a device is refused without waiting for it.
  static NativeFile openHeld(const std::filesystem::path& path, WhenHeld whenHeld);

  // Opens a regular file for reading only, following links and holding nothing. Throws
  // FileError (a named pipe or a device is refused without waiting for it).
  static NativeFile openForReading(const std::filesystem::path& path);

  // Creates the file, held as openHeld() holds, and never over an existing one: nullopt
  // when the name is taken. Throws FileError.
  static std::optional<NativeFile> createHeld(const std::filesystem::path& path);

  // The lock file of a run: opened (created when missing, so that any user who can use
  // the folder can open it too) without following a link and without needing write
  // access to it, and locked for this process alone. Throws FileHeld when another
  // process holds it, FileError otherwise.
  static NativeFile takeLock(const std::filesystem::path& path);

  bool isOpen() const;
  std::uint64_t size() const;
  // Reads up to `length` bytes from `offset`; fewer at the end of the file.
  std::string read(std::uint64_t offset, std::size_t length) const;
  // The same into `buffer`; returns how many bytes it read.
  std::size_t readInto(std::uint64_t offset, char* buffer, std::size_t length) const;
  // Replaces the whole content by the pieces, one after another, and makes it durable.
  void writeAllAndSync(std::span<const std::string_view> pieces);
  // Gives this new file the permissions of the file it will replace, or the usual ones
  // when `replaced` is empty or missing (nothing to do on Windows).
  void copyPermissionsFrom(const std::filesystem::path& replaced);
  void close() noexcept;

  // For the messages of a failing operation.
  const std::filesystem::path& path() const { return path_; }

 private:
  NativeFile(std::intptr_t handle, std::filesystem::path path)
      : handle_(handle), path_(std::move(path)) {}

  static constexpr std::intptr_t kClosed = -1;
  std::intptr_t handle_ = kClosed;  // the descriptor, or the HANDLE's value
  std::filesystem::path path_;
};

// Gives `from` the name `to` in one step, replacing a file of that name (a link of that
// name is replaced, not followed); both lie in one folder. On Windows a transient hold is
// retried for about two seconds. Throws FileError; then both are as they were.
void renameReplacing(const std::filesystem::path& from, const std::filesystem::path& to);

// Throws FileError when `path` is a file no one may write to (the read-only attribute on
// Windows; no write permission at all elsewhere, which stops even the root user).
void requireWritable(const std::filesystem::path& path);

// Makes the renames and removals in the folder durable (nothing to do on Windows).
// Throws FileError.
void syncDirectory(const std::filesystem::path& dir);

// Whether this process may create files in the folder.
bool canCreateIn(const std::filesystem::path& dir);

}  // namespace vestran::os::detail
