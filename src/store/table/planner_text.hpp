#pragma once

// Texts as a table in the planner's code page holds and compares them, for a job that
// keeps what it wrote in memory instead of reading it back: the same values and the same
// matches as Table::text and Table::locate would give.

#include <cstddef>
#include <string>
#include <string_view>

namespace vestran {

// What a character field of `width` gives back of `text` once written: cut to the width,
// the characters the planner's code page lacks as "?", trailing blanks gone.
std::string storedInPlannerTable(std::string_view text, std::size_t width);

// The key under which Table::locate compares the row that holds `text` in a character
// field of `width`, and the key of a searched text: a search finds a row when the two are
// equal (a searched text is not cut to the width).
std::string plannerKeyOfStored(std::string_view text, std::size_t width);
std::string plannerKeyOfSearched(std::string_view text);

}  // namespace vestran
