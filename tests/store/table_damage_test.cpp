// Damaged and lying tables give a clear error and are never read outside the file.

#include <gtest/gtest.h>

#include <random>

#include "store/errors.hpp"
#include "store/table/table.hpp"
#include "support/test_support.hpp"

namespace vestran {
namespace {

using test::TempDir;

// A small valid level-7 table: 2 rows of COD C(10), N I, HORAS N(18,8).
std::string validTable(const TempDir& dir) {
  const std::vector<FieldDef> fields = {
      {"COD", FieldKind::character, 10}, {"N", FieldKind::integer}, {"HORAS", FieldKind::floating}};
  Table::recreate(dir.path(), "BUENA", fields, TableFormat::level7);
  Table t = Table::open(dir.path(), "BUENA");
  for (int i = 0; i < 2; ++i) {
    t.append();
    t.setText("COD", "fila");
    t.setInteger("N", i);
    t.setText("HORAS", "1.5");
    t.post();
  }
  t.close();
  return test::readFile(dir / "BUENA.DBF");
}

// Opens the bytes as a table and reads every value; returns the error text, "" when fine.
std::string openAndReadAll(const TempDir& dir, const std::string& bytes) {
  test::writeFile(dir / "DANADA.DBF", bytes);
  try {
    Table t = Table::open(dir.path(), "DANADA");
    for (t.first(); !t.eof(); t.next()) {
      for (const auto* f : t.fields()) (void)t.text(f->name);
    }
    return "";
  } catch (const TableError& e) {
    return e.what();
  }
}

TEST(DamagedTable, EveryTruncationShortOfTheLastRowIsAnErrorNamingTheFile) {
  TempDir dir;
  const std::string good = validTable(dir);
  const std::size_t dataEnd = good.size() - 1;  // the end-of-file marker is optional
  for (std::size_t length = 0; length <= good.size(); ++length) {
    SCOPED_TRACE(length);
    const std::string error = openAndReadAll(dir, good.substr(0, length));
    if (length < dataEnd) {
      EXPECT_NE(error.find("DANADA"), std::string::npos) << error;
      EXPECT_NE(error.find((dir / "DANADA.DBF").string()), std::string::npos) << error;
    } else {
      EXPECT_EQ(error, "");
    }
  }
}

TEST(DamagedTable, LyingHeadersAreReportedWithTheReason) {
  TempDir dir;
  const std::string good = validTable(dir);
  struct Case {
    const char* name;
    std::size_t at;
    std::string bytes;
    const char* reason;
  } cases[] = {
      {"not a dBase version", 0, "X", "no es una tabla dBase"},
      {"header longer than the file", 8, std::string("\xff\x7f", 2), "la cabecera declara"},
      {"header shorter than its prefix", 8, std::string("\x10\x00", 2), "la cabecera declara"},
      {"record shorter than its fields", 10, std::string("\x05\x00", 2), "los campos ocupan"},
      {"record length zero", 10, std::string("\x00\x00", 2), "longitud de registro"},
      {"more rows than the file holds", 4, std::string("\xff\xff\xff\xff", 4), "filas"},
      {"a field wider than the record", 68 + 33, "\xff", "los campos ocupan"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string bytes = good;
    bytes.replace(c.at, c.bytes.size(), c.bytes);
    const std::string error = openAndReadAll(dir, bytes);
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
  }
}

TEST(DamagedTable, RandomDamageToTheHeaderNeverCrashesOrReadsOutsideTheFile) {
  TempDir dir;
  const std::string good = validTable(dir);
  std::mt19937 random(20261209);
  for (int round = 0; round < 3000; ++round) {
    std::string bytes = good;
    const int flips = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < flips; ++i) {
      bytes[random() % 260] = static_cast<char>(random() % 256);
    }
    // A readable table or an error that names it; a crash or an overread fails the run
    // (and the sanitizer build).
    const std::string error = openAndReadAll(dir, bytes);
    EXPECT_TRUE(error.empty() || error.find("DANADA") != std::string::npos) << error;
  }
}

}  // namespace
}  // namespace vestran
