#include "store/table_files.hpp"

#include <system_error>

#include "store/os_file.hpp"

namespace vestran {

namespace fs = std::filesystem;

namespace {

std::string asciiUpper(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

}  // namespace

std::string tableBaseName(std::string_view name) {
  std::string upper = asciiUpper(name);
  if (upper.size() > 4 && upper.ends_with(".DBF")) upper.resize(upper.size() - 4);
  return upper;
}

std::vector<fs::path> filesNamedIgnoringCase(const fs::path& dir, std::string_view fileName) {
  std::vector<fs::path> found;
  const fs::path exact = dir / os::pathFromUtf8(fileName);
  std::error_code ec;
  if (fs::is_regular_file(exact, ec)) found.push_back(exact);
  const std::string wanted = asciiUpper(fileName);
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path& candidate = it->path();
    if (candidate == exact) continue;
    if (asciiUpper(os::pathToUtf8(candidate.filename())) == wanted &&
        it->is_regular_file(ec)) {
      found.push_back(candidate);
    }
  }
  return found;
}

std::optional<fs::path> findTableFile(const fs::path& dir, std::string_view table) {
  const auto files = filesNamedIgnoringCase(dir, tableBaseName(table) + ".DBF");
  if (files.empty()) return std::nullopt;
  return files.front();
}

}  // namespace vestran
