#pragma once

// Reading a file from its start to its end, piece by piece, sharing it with other programs.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "store/os/detail/native_file.hpp"

namespace vestran::os {

class FileReader {
 public:
  // Opens a regular file (a link is followed). Throws FileError when it is missing, is no
  // regular file (a folder, a named pipe, a device: refused without waiting) or cannot be
  // read.
  static FileReader open(const std::filesystem::path& path);

  std::uint64_t size() const { return size_; }
  // Up to `length` bytes from where the last read ended, into `buffer`; 0 at the end.
  // Throws FileError.
  std::size_t read(char* buffer, std::size_t length);

 private:
  detail::NativeFile file_;
  std::uint64_t size_ = 0;
  std::uint64_t offset_ = 0;
};

}  // namespace vestran::os
