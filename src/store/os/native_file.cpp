#include "store/os/detail/native_file.hpp"

// What an open file does alike on every system; the rest is in native_file_posix.cpp and
// native_file_windows.cpp.

namespace vestran::os::detail {

NativeFile::~NativeFile() { close(); }

NativeFile::NativeFile(NativeFile&& other) noexcept { *this = std::move(other); }

NativeFile& NativeFile::operator=(NativeFile&& other) noexcept {
  if (this != &other) {
    close();
    handle_ = other.handle_;
    path_ = std::move(other.path_);
    other.handle_ = kClosed;
  }
  return *this;
}

bool NativeFile::isOpen() const { return handle_ != kClosed; }

}  // namespace vestran::os::detail
