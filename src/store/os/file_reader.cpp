#include "store/os/file_reader.hpp"

namespace vestran::os {

FileReader FileReader::open(const std::filesystem::path& path) {
  FileReader reader;
  reader.file_ = detail::NativeFile::openForReading(path);
  reader.size_ = reader.file_.size();
  return reader;
}

std::size_t FileReader::read(char* buffer, std::size_t length) {
  const std::size_t n = file_.readInto(offset_, buffer, length);
  offset_ += n;
  return n;
}

}  // namespace vestran::os
