#include "store/table/table_files.hpp"

#include <system_error>

#include "store/os/paths.hpp"
#include "store/text.hpp"

namespace vestran {

namespace fs = std::filesystem;

std::string tableBaseName(std::string_view name) {
  std::string upper = asciiUpper(name);
  if (upper.size() > 4 && upper.ends_with(".DBF")) upper.resize(upper.size() - 4);
  return upper;
}

std::vector<fs::path> filesNamedIgnoringCase(const fs::path& dir, std::string_view fileName) {
  std::vector<fs::path> found;
  const fs::path exact = dir / os::pathFromUtf8(fileName);
  std::error_code ec;
  if (fs::exists(fs::symlink_status(exact, ec))) found.push_back(exact);
  const std::string wanted = asciiUpper(fileName);
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path& candidate = it->path();
    if (candidate.filename() == exact.filename()) continue;
    if (asciiUpper(os::pathToUtf8(candidate.filename())) == wanted) found.push_back(candidate);
  }
  return found;
}

std::optional<fs::path> findTableFile(const fs::path& dir, std::string_view table) {
  const auto files = filesNamedIgnoringCase(dir, tableBaseName(table) + ".DBF");
  if (files.empty()) return std::nullopt;
  return files.front();
}

}  // namespace vestran
