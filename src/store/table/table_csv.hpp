#pragma once

#include <ostream>

#include "store/table/table.hpp"

namespace vestran {

// Writes the table as CSV in UTF-8: a line with the field names in table order, then one
// line per live row with the values as text. Fields holding commas, quotes or line breaks
// are quoted.
void writeCsv(Table& table, std::ostream& out);

}  // namespace vestran
