// Conversions of the code pages tables are written in.

#include <gtest/gtest.h>

#include <string>

#include "store/dbase/codepage.hpp"

namespace vestran {
namespace {

// Single-byte code pages convert most texts from a table learnt once, and the rest through
// ICU: both must give the same bytes. A text with a character no single-byte code page
// has ("日") goes through ICU whole, so its first part shows what ICU makes of the rest.
TEST(CodePage, TheTableGivesTheBytesTheConverterGives) {
  for (const int number : codePagesOfTables()) {
    if (!CodePage::available(number)) continue;
    SCOPED_TRACE(codePageName(number));
    const CodePage page(number);
    if (page.encode("日") != "?") continue;  // a code page that has it
    std::string everyCharacter;
    for (int b = 1; b <= 0xFF; ++b) everyCharacter += page.decode(std::string(1, char(b)));
    for (const std::string& text :
         {everyCharacter, std::string("Educación Física, Música € Ñandú"), std::string("Ωμέγα"),
          std::string("Příliš žluťoučký kůň"), std::string("ﾊﾝｶｸ"), std::string("a\xCC\x81")}) {
      std::size_t viaTable = 0;
      std::size_t viaConverter = 0;
      const std::string fast = page.encode(text, &viaTable);
      const std::string whole = page.encode(text + "日", &viaConverter);
      EXPECT_EQ(fast, whole.substr(0, whole.size() - 1)) << text;
      EXPECT_EQ(viaTable + 1, viaConverter) << text;
      EXPECT_EQ(page.decode(fast), page.decode(whole.substr(0, whole.size() - 1)));
    }
  }
}

}  // namespace
}  // namespace vestran
