#include "store/os/exclusive_file.hpp"

#include "store/os/detail/write_sequence.hpp"

namespace vestran::os {

namespace fs = std::filesystem;

ExclusiveFile ExclusiveFile::open(const fs::path& path, WhenHeld whenHeld) {
  ExclusiveFile file;
  file.file_ = detail::NativeFile::openHeld(path, whenHeld);
  file.path_ = path;
  return file;
}

std::string ExclusiveFile::readAll() const { return file_.read(0, file_.size()); }

void ExclusiveFile::replaceContent(std::initializer_list<std::string_view> pieces) {
  const fs::path target = path_;
  try {
    detail::NativeFile replacement = detail::writeThroughTemporary(target, pieces, [&] {
      if (!kRenamesOpenFiles) file_.close();
    });
    // The replacement was held before the rename, so the file stays held across it.
    file_ = replacement.isOpen() ? std::move(replacement)
                                 : detail::NativeFile::openHeld(target, WhenHeld::retry);
  } catch (...) {
    // Windows let go of the earlier file for the rename that failed: take it again.
    if (!file_.isOpen()) {
      try {
        file_ = detail::NativeFile::openHeld(target, WhenHeld::retry);
      } catch (const std::exception&) {
        // The error being reported says what went wrong first.
      }
    }
    throw;
  }
}

LockFile LockFile::take(const fs::path& path) {
  LockFile lock;
  lock.file_ = detail::NativeFile::takeLock(path);
  return lock;
}

}  // namespace vestran::os
