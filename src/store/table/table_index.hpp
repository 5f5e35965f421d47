#pragma once

// An index kept in memory over one or more fields of a table: from the fields' values to
// the first live row that holds them, so that a search does not scan the table.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/dbase/dbase_format.hpp"
#include "store/text_map.hpp"

namespace vestran {

class TableIndex {
 public:
  explicit TableIndex(std::vector<const dbase::Field*> fields) : fields_(std::move(fields)) {}

  // The fields, in the order their values make up a key.
  const std::vector<const dbase::Field*>& fields() const { return fields_; }

  // The key of the fields' values, one per field.
  static std::string key(const std::vector<std::string>& values);

  // Adds a row; an earlier row with the same key stays the one found.
  void add(std::size_t row, std::string_view key) { rows_.tryEmplace(key, row); }
  std::optional<std::size_t> find(const std::string& key) const;
  void reserve(std::size_t rows) { rows_.reserve(rows); }

 private:
  std::vector<const dbase::Field*> fields_;
  TextMap<std::size_t> rows_;
};

}  // namespace vestran
