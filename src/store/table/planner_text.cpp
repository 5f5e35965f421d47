#include "store/table/planner_text.hpp"

#include "store/dbase/codepage.hpp"
#include "store/text.hpp"

namespace vestran {

namespace {

const CodePage& plannerCodePage() {
  static const CodePage page(kPlannerCodePage);
  return page;
}

}  // namespace

std::string storedInPlannerTable(std::string_view text, std::size_t width) {
  if (isAscii(text)) return trimTrailingBlanks(text.substr(0, width));
  const CodePage& page = plannerCodePage();
  std::string bytes = page.encode(firstChars(text, width));
  if (bytes.size() > width) bytes.resize(width);
  return trimTrailingBlanks(page.decode(bytes));
}

std::string plannerKeyOfStored(std::string_view text, std::size_t width) {
  if (isAscii(text)) return trimTrailingBlanks(text.substr(0, width));
  std::string bytes = plannerCodePage().encode(firstChars(text, width));
  if (bytes.size() > width) bytes.resize(width);
  return trimTrailingBlanks(bytes);
}

std::string plannerKeyOfSearched(std::string_view text) {
  if (isAscii(text)) return trimTrailingBlanks(text);
  return trimTrailingBlanks(plannerCodePage().encode(text));
}

}  // namespace vestran
