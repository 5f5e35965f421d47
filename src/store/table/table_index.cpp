#include "store/table/table_index.hpp"

namespace vestran {

std::string TableIndex::key(const std::vector<std::string>& values) {
  // Each value is preceded by its length, so that no two lists of values give one key.
  std::string k;
  for (const std::string& v : values) {
    k += std::to_string(v.size());
    k += ':';
    k += v;
  }
  return k;
}

std::optional<std::size_t> TableIndex::find(const std::string& key) const {
  const auto it = rows_.find(key);
  if (it == rows_.end()) return std::nullopt;
  return it->second;
}

}  // namespace vestran
