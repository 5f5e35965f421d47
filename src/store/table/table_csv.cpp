#include "store/table/table_csv.hpp"

#include <string_view>

namespace vestran {

namespace {

void writeCell(std::ostream& out, std::string_view value) {
  if (value.find_first_of(",\"\r\n") == std::string_view::npos) {
    out << value;
    return;
  }
  out << '"';
  for (char c : value) {
    if (c == '"') out << '"';
    out << c;
  }
  out << '"';
}

}  // namespace

void writeCsv(Table& table, std::ostream& out) {
  const auto fields = table.fields();
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i) out << ',';
    writeCell(out, fields[i]->name);
  }
  out << '\n';
  for (table.first(); !table.eof(); table.next()) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
      if (i) out << ',';
      writeCell(out, table.text(fields[i]->name));
    }
    out << '\n';
  }
}

}  // namespace vestran
