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
  const std::size_t* row = rows_.find(key);
  if (row == nullptr) return std::nullopt;
  return *row;
}

}  // namespace vestran
