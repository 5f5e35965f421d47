#pragma once

// Reading and writing single field values of a dBase record.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "store/dbase/codepage.hpp"
#include "store/dbase/dbase_format.hpp"

namespace vestran::dbase {

// The value as text: character fields without trailing blanks, numbers in decimal with a
// point, logicals as "T" or "F", dates as 2026-12-09, times as 2026-12-09 08:30:00.
// Empty values give "". Memo and other out-of-record contents read as "".
std::string readText(const Field& field, Variant variant, std::string_view raw,
                     const CodePage& codePage);

// The value as a number; nullopt when empty or not numeric by type (dates, memos).
// A character field gives the number its text holds, if any.
std::optional<double> readNumber(const Field& field, Variant variant, std::string_view raw,
                                 const CodePage& codePage);

// The field's bytes for text: character fields hold it cut to the width in characters,
// numeric fields its number, integer fields its whole number, logicals T/F/Y/N.
// Throws ConversionError when a numeric field gets text that is not a number and
// TableError when the value does not fit. Adds to *substituted the characters the code
// page could not hold.
std::string writeText(const Field& field, Variant variant, std::string_view utf8,
                      const CodePage& codePage, std::size_t* substituted);

// The field's bytes for a whole number (character fields get its decimal text).
std::string writeInteger(const Field& field, Variant variant, std::int64_t value,
                         const CodePage& codePage);

// The field's bytes for a logical value.
std::string writeLogical(const Field& field, Variant variant, bool value, const CodePage& codePage);

// The bytes of an empty value.
std::string emptyValue(const Field& field);

}  // namespace vestran::dbase
