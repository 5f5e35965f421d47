#pragma once

// Files held for this process alone while it works on them: the planner's tables, the
// lock of a run.

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>

#include "store/os/detail/native_file.hpp"
#include "store/os/file_error.hpp"

namespace vestran::os {

using detail::WhenHeld;

// A file open for this process alone: on Windows by share mode, elsewhere by an
// open-file-description lock over the whole file, which other programs and other opens in
// this process see. Closing (or destroying) releases it.
class ExclusiveFile {
 public:
  ExclusiveFile() = default;

  // Opens an existing regular file, for writing where allowed, and takes it. Throws
  // FileHeld when another program holds it (on Windows after about two seconds of trying
  // again, unless `whenHeld` says fail), FileError otherwise (a folder, a named pipe or a
  // device is refused without being waited for).
  static ExclusiveFile open(const std::filesystem::path& path, WhenHeld whenHeld = WhenHeld::retry);

  bool isOpen() const { return file_.isOpen(); }
  const std::filesystem::path& path() const { return path_; }

  // The size in bytes, and reading. Throw FileError.
  std::uint64_t size() const { return file_.size(); }
  std::string read(std::uint64_t offset, std::size_t length) const {
    return file_.read(offset, length);
  }
  std::string readAll() const;

  // Replaces the whole content by the pieces, one after another, in one step: the new content goes
  // to a temporary file beside this one, which then takes this file's place and stays held (Windows
  // lets go of the file for the instant of the rename). A failure or a crash leaves the earlier
  // content intact. Throws FileError.
  void replaceContent(std::initializer_list<std::string_view> pieces);

  void close() noexcept { file_.close(); }

 private:
  detail::NativeFile file_;
  std::filesystem::path path_;
};

// The lock file of a run, held while the object lives. Any user who can read the folder
// can take it, and a link of its name is never followed.
class LockFile {
 public:
  // Throws FileHeld when another process holds it, FileError otherwise.
  static LockFile take(const std::filesystem::path& path);
  bool isOpen() const { return file_.isOpen(); }

 private:
  detail::NativeFile file_;
};

}  // namespace vestran::os
