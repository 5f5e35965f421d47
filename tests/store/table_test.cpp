// The table store's operations on tables it writes itself.

#include "store/table/table.hpp"

#include <gtest/gtest.h>

#include "store/errors.hpp"
#include "support/test_support.hpp"

namespace vestran {
namespace {

using test::TempDir;

const std::vector<FieldDef> kFields = {
    {"COD", FieldKind::character, 10}, {"CL_HORADESDE", FieldKind::character, 8},
    {"DNI", FieldKind::integer},       {"ESTAREA", FieldKind::logical},
    {"HORAS", FieldKind::floating},
};

class TableTest : public ::testing::TestWithParam<TableFormat> {
 protected:
  Table fresh() {
    Table::recreate(dir.path(), "PRUEBA", kFields, GetParam());
    return Table::open(dir.path(), "PRUEBA");
  }
  TempDir dir;
};

INSTANTIATE_TEST_SUITE_P(BothFormats, TableTest,
                         ::testing::Values(TableFormat::level7, TableFormat::dBase3),
                         [](const auto& info) {
                           return info.param == TableFormat::level7 ? "Level7" : "DBase3";
                         });

TEST_P(TableTest, ValuesReadBackAsWrittenAndEmptyStaysEmpty) {
  {
    Table t = fresh();
    t.append();
    t.setText("COD", "  Música");  // leading blanks come back
    t.setText("CL_HORADESDE", "08:00:00");
    t.setInteger("DNI", -2147483647);
    t.setLogical("ESTAREA", true);
    t.setText("HORAS", "2,5");  // the user's decimal comma
    t.post();
    t.append();
    t.setText("COD", "Guardia   ");  // stored trailing blanks do not come back
    t.setLogical("ESTAREA", false);
    t.setText("HORAS", "-13");
    t.post();
    t.append();  // a row with nothing set
    t.post();
    t.close();
  }
  Table t = Table::open(dir.path(), "PRUEBA");
  ASSERT_EQ(t.rowCount(), 3u);
  t.first();
  EXPECT_EQ(t.text("COD"), "  Música");
  EXPECT_EQ(t.text("CL_HORADESDE"), "08:00:00");  // found by its full name in both formats
  EXPECT_EQ(t.text("DNI"), "-2147483647");
  EXPECT_EQ(t.text("ESTAREA"), "T");
  EXPECT_EQ(t.text("HORAS"), "2.5");
  t.next();
  EXPECT_EQ(t.text("COD"), "Guardia");
  EXPECT_EQ(t.text("ESTAREA"), "F");
  EXPECT_EQ(t.integer("HORAS"), -13);
  t.next();
  for (const char* f : {"COD", "DNI", "ESTAREA", "HORAS"}) {
    SCOPED_TRACE(f);
    EXPECT_EQ(t.text(f), "");
    EXPECT_EQ(t.integer(f), 0);
  }
  t.next();
  EXPECT_TRUE(t.eof());
}

TEST_P(TableTest, TextIsCutToTheWidthByCharactersAndUnmappableOnesAreReported) {
  Table t = fresh();
  t.append();
  t.setText("COD", "Educación Física");
  t.setText("CL_HORADESDE", "ñññññññññ");
  t.post();
  t.append();
  t.setText("COD", "Δέλτα €");
  t.post();
  t.first();
  EXPECT_EQ(t.text("COD"), "Educación");
  EXPECT_EQ(t.text("CL_HORADESDE"), "ññññññññ");
  t.next();
  EXPECT_EQ(t.text("COD"), "????? €");
  ASSERT_EQ(t.substitutions().size(), 1u);
  EXPECT_EQ(t.substitutions()[0].field, "COD");
  EXPECT_EQ(t.substitutions()[0].row, 2u);
  EXPECT_EQ(t.substitutions()[0].text, "Δέλτα €");
}

TEST_P(TableTest, NonNumericTextInANumericFieldIsAConversionError) {
  Table t = fresh();
  t.append();
  EXPECT_THROW(t.setText("HORAS", "tres"), ConversionError);
  EXPECT_THROW(t.setText("DNI", "1.5"), ConversionError);
  EXPECT_THROW(t.setText("NOEXISTE", "x"), TableError);
}

TEST_P(TableTest, SearchFindsTheFirstRowInStoredOrderExactlyAndCaseSensitively) {
  Table t = fresh();
  const char* rows[][2] = {{"MAT1", "1A"}, {"MAT1", "1B"}, {"MAT1", "1A"}, {"mat1", "1A"}};
  for (int i = 0; i < 4; ++i) {
    t.append();
    t.setText("COD", rows[i][0]);
    t.setText("CL_HORADESDE", rows[i][1]);
    t.setInteger("DNI", i);
    t.post();
  }
  ASSERT_TRUE(t.locate("COD;CL_HORADESDE", {"MAT1", "1A"}));
  EXPECT_EQ(t.text("DNI"), "0");
  ASSERT_TRUE(t.locate("cod;cl_horadesde", {"mat1", "1A"}));
  EXPECT_EQ(t.text("DNI"), "3");
  ASSERT_TRUE(t.locate("CL_HORADESDE", {"1B"}));
  EXPECT_EQ(t.text("DNI"), "1");
  EXPECT_FALSE(t.locate("COD", {"Mat1"}));
  EXPECT_FALSE(t.locate("COD", {"MAT"}));  // whole values only
  EXPECT_EQ(t.text("DNI"), "1");           // a failed search leaves the position
}

TEST_P(TableTest, SearchComparesAsTheTableHoldsTheTextWithoutCuttingIt) {
  Table t = fresh();
  t.append();
  t.setText("COD", "Laboratorio de Química");  // stored as "Laboratori"
  t.post();
  t.append();
  t.setText("COD", "Δ1");  // stored as "?1"
  t.post();
  EXPECT_TRUE(t.locate("COD", {"Laboratori"}));
  EXPECT_FALSE(t.locate("COD", {"Laboratorio de Química"}));
  EXPECT_TRUE(t.locate("COD", {"Laboratori  "}));  // trailing blanks are not kept
  EXPECT_TRUE(t.locate("COD", {"Ω1"}));            // held as "?1" like the stored value
}

TEST_P(TableTest, SearchSeesRowsAppendedAndChangedAfterTheIndexWasBuilt) {
  Table t = fresh();
  t.append();
  t.setText("COD", "A");
  t.post();
  EXPECT_FALSE(t.locate("COD", {"B"}));
  t.append();
  t.setText("COD", "B");
  t.post();
  EXPECT_TRUE(t.locate("COD", {"B"}));
  t.first();
  t.edit();
  t.setText("COD", "C");
  t.next();  // moving on saves the change
  EXPECT_FALSE(t.locate("COD", {"A"}));
  ASSERT_TRUE(t.locate("COD", {"C"}));
  EXPECT_TRUE(t.locate("COD", {"B"}));
}

TEST_P(TableTest, EditsAreSavedByMovingAndWrittenOnClose) {
  {
    Table t = fresh();
    for (const char* code : {"A", "B", "C"}) {
      t.append();
      t.setText("COD", code);
      t.post();
    }
    t.close();
  }
  {
    Table t = Table::open(dir.path(), "PRUEBA");
    for (t.first(); !t.eof(); t.next()) {
      t.edit();
      t.setInteger("CL_HORADESDE", 7);  // a whole number in a text field: its decimal text
    }
    t.close();
  }
  Table t = Table::open(dir.path(), "PRUEBA");
  int n = 0;
  for (t.first(); !t.eof(); t.next(), ++n) EXPECT_EQ(t.text("CL_HORADESDE"), "7");
  EXPECT_EQ(n, 3);
}

TEST_P(TableTest, PostedRowsAreWrittenWhenTheTableIsDroppedByAnError) {
  try {
    Table t = fresh();
    t.append();
    t.setText("COD", "antes");
    t.post();
    t.append();
    t.setText("DNI", "x");  // throws; the table object is destroyed on the way out
    FAIL();
  } catch (const ConversionError&) {
  }
  Table t = Table::open(dir.path(), "PRUEBA");
  ASSERT_EQ(t.rowCount(), 1u);
  t.first();
  EXPECT_EQ(t.text("COD"), "antes");
}

TEST(Level7Doubles, OrderPreservingBigEndianDoublesReadByValue) {
  // Level 7 'O' fields hold an IEEE double big-endian, with the sign bit flipped for
  // positive values and every bit inverted for negative ones; all zeros are empty.
  TempDir dir;
  Table::recreate(dir.path(), "DOBLE", std::vector<FieldDef>{{"X", FieldKind::character, 8}},
                  TableFormat::level7);
  {
    Table t = Table::open(dir.path(), "DOBLE");
    for (int i = 0; i < 3; ++i) {
      t.append();
      t.post();
    }
    t.close();
  }
  std::string bytes = test::readFile(dir / "DOBLE.DBF");
  bytes[68 + 32] = 'O';
  const std::size_t header = 68 + 48 + 1;
  const std::string values[] = {
      std::string("\xC0\x04\x00\x00\x00\x00\x00\x00", 8),  //  2.5: 0x4004... with the sign set
      std::string("\x3F\xFB\xFF\xFF\xFF\xFF\xFF\xFF", 8),  // -2.5: 0xC004... inverted
      std::string(8, '\0'),
  };
  for (int i = 0; i < 3; ++i) bytes.replace(header + i * 9 + 1, 8, values[i]);
  test::writeFile(dir / "DOBLE.DBF", bytes);
  Table t = Table::open(dir.path(), "DOBLE");
  const char* expected[] = {"2.5", "-2.5", ""};
  int i = 0;
  for (t.first(); !t.eof(); t.next(), ++i) {
    EXPECT_EQ(t.text("X"), expected[i]);
    EXPECT_EQ(t.integer("X"), i == 0 ? 3 : i == 1 ? -3 : 0);
  }
}

}  // namespace
}  // namespace vestran
