#include "store/text.hpp"

#include <gtest/gtest.h>

#include "store/errors.hpp"

namespace vestran {
namespace {

TEST(Trim, RemovesControlCharactersAndBlanksAtBothEndsOnly) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"  Música  ", "Música"},
      {"\t\r\n Aula 1 \x01\x1f", "Aula 1"},
      {"a  b", "a  b"},
      {"", ""},
      {" \t ", ""},
      {"\xc2\xa0x\xc2\xa0", "\xc2\xa0x\xc2\xa0"},  // a no-break space is not trimmed
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(trim(c.in), c.out);
  }
}

TEST(Characters, CountAndCutByCharactersNotBytes) {
  EXPECT_EQ(charCount("Educación Física"), 16u);
  EXPECT_EQ(firstChars("Educación Física", 10), "Educación ");
  EXPECT_EQ(firstChars("ñ", 5), "ñ");
  EXPECT_EQ(lastChars("Aula de informática1", 11), "nformática1");
  EXPECT_EQ(lastChars("ab", 5), "ab");
}

TEST(CaseInsensitive, IgnoresLetterCaseButNotAccents) {
  EXPECT_TRUE(equalsIgnoringCase("Música", "MÚSICA"));
  EXPECT_TRUE(equalsIgnoringCase("ñandú", "ÑANDÚ"));
  EXPECT_FALSE(equalsIgnoringCase("Música", "Musica"));
  EXPECT_FALSE(equalsIgnoringCase("Lengua Cas", "Lengua Ca"));
}

TEST(CodeList, KeepsInsertionOrderAndFindsTheFirstEqualEntry) {
  CodeList list;
  list.add("JGL");
  list.add("Música");
  list.add("jgl");
  EXPECT_EQ(list.size(), 3u);
  EXPECT_EQ(list[2], "jgl");
  EXPECT_EQ(list.indexOf("jGl"), 0u);
  EXPECT_EQ(list.indexOf("MÚSICA"), 1u);
  EXPECT_FALSE(list.contains("Musica"));
  list.clear();
  EXPECT_FALSE(list.contains("JGL"));
}

TEST(ToInt32, ReadsWholeDecimalNumbersAndRejectsTheRestWithTheSystemMessage) {
  EXPECT_EQ(toInt32("12"), 12);
  EXPECT_EQ(toInt32("  7"), 7);
  EXPECT_EQ(toInt32("+5"), 5);
  EXPECT_EQ(toInt32("-30"), -30);
  EXPECT_EQ(toInt32("2147483647"), 2147483647);
  for (const char* bad : {"", "9:", "1 ", "1.5", "abc", "2147483648", "-", "0x10"}) {
    SCOPED_TRACE(bad);
    try {
      toInt32(bad);
      ADD_FAILURE() << "no error";
    } catch (const ConversionError& e) {
      EXPECT_EQ(e.what(), "'" + std::string(bad) + "' is not a valid integer value");
    }
  }
}

}  // namespace
}  // namespace vestran
