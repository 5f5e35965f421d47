#include "store/os/paths.hpp"

#include <algorithm>

namespace vestran::os {

namespace fs = std::filesystem;

fs::path pathFromUtf8(std::string_view utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string pathToUtf8(const fs::path& path) {
  const std::u8string s = path.u8string();
  return std::string(s.begin(), s.end());
}

std::string pathForUser(const fs::path& path) {
  std::string s = pathToUtf8(path.lexically_normal());
#ifdef _WIN32
  std::replace(s.begin(), s.end(), '/', '\\');
#endif
  return s;
}

}  // namespace vestran::os
