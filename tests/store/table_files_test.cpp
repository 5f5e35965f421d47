// How the store finds, replaces and holds table files.

#include <gtest/gtest.h>

#include <chrono>

#include "store/errors.hpp"
#include "store/os/paths.hpp"
#include "store/os/replacing.hpp"
#include "store/table/table.hpp"
#include "support/test_support.hpp"
#ifndef _WIN32
#include "support/child_process.hpp"
#endif

namespace vestran {
namespace {

using test::TempDir;

const std::vector<FieldDef> kFields = {{"COD", FieldKind::character, 10}};

void writeRows(const std::filesystem::path& dir, std::string_view name,
               std::initializer_list<const char*> codes) {
  Table::recreate(dir, name, kFields, TableFormat::level7);
  Table t = Table::open(dir, name);
  for (const char* c : codes) {
    t.append();
    t.setText("COD", c);
    t.post();
  }
  t.close();
}

// Whether another process can take the file now.
bool anotherProcessCanHold(const std::filesystem::path& file) {
  return test::run({VESTRAN_RETENER, test::utf8(file), "-", "-"}).exitCode == 0;
}

TEST(TableFiles, NamesIgnoreLetterCaseAndNewFilesGetUpperCaseNames) {
  TempDir dir;
  writeRows(dir.path(), "soluc", {"x"});
  ASSERT_EQ(test::listDir(dir.path()), std::vector<std::string>{"SOLUC.DBF"});
  std::filesystem::rename(dir / "SOLUC.DBF", dir / "soluc.dbf");
  Table t = Table::open(dir.path(), "SOLUC");
  EXPECT_EQ(t.rowCount(), 1u);
}

TEST(TableFiles, RecreateRemovesTheTableAndItsIndexInAnyLetterCase) {
  TempDir dir;
  writeRows(dir.path(), "ASIGT", {"old"});
  std::filesystem::rename(dir / "ASIGT.DBF", dir / "asigt.dbf");
  test::writeFile(dir / "Asigt.Mdx", "index");
  test::writeFile(dir / "OTRA.DBF", "keep");
  Table::recreate(dir.path(), "ASIGT", kFields, TableFormat::level7);
  EXPECT_EQ(test::listDir(dir.path()), (std::vector<std::string>{"ASIGT.DBF", "OTRA.DBF"}));
  EXPECT_EQ(Table::open(dir.path(), "ASIGT").rowCount(), 0u);
}

TEST(TableFiles, AMissingTableIsAnErrorNamingTableAndFolder) {
  TempDir dir;
  try {
    Table::open(dir.path(), "SOLUC");
    FAIL();
  } catch (const TableError& e) {
    const std::string m = e.what();
    EXPECT_NE(m.find("SOLUC"), std::string::npos) << m;
    EXPECT_NE(m.find(dir.path().string()), std::string::npos) << m;
  }
}

TEST(TableLocks, ATableHeldByAnotherProgramCannotBeOpenedOrRecreated) {
  TempDir dir;
  writeRows(dir.path(), "SOLUC", {"x"});
  {
    test::FileHolder planner(dir / "SOLUC.DBF");
    EXPECT_THROW(Table::open(dir.path(), "SOLUC"), TableLockedError);
    EXPECT_THROW(Table::recreate(dir.path(), "SOLUC", kFields, TableFormat::level7),
                 TableLockedError);
  }
  EXPECT_EQ(Table::open(dir.path(), "SOLUC").rowCount(), 1u);
}

TEST(TableLocks, AnOpenTableIsHeldAgainstOtherProgramsUntilClosedEvenAcrossAWrite) {
  TempDir dir;
  writeRows(dir.path(), "PROFT", {"a"});
  Table t = Table::open(dir.path(), "PROFT");
  EXPECT_FALSE(anotherProcessCanHold(dir / "PROFT.DBF"));
  EXPECT_THROW(Table::open(dir.path(), "PROFT"), TableLockedError);  // same process too
  t.append();
  t.setText("COD", "b");
  t.post();
  t.close();
  EXPECT_TRUE(anotherProcessCanHold(dir / "PROFT.DBF"));
}

#ifndef _WIN32
TEST(TableWrites, AFailedWriteLeavesTheEarlierTableWholeAndNoTemporaryFile) {
  TempDir dir;
  writeRows(dir.path(), "AULAT", {"antes"});
  const std::string before = test::readFile(dir / "AULAT.DBF");
  // The disk "fills up" after a few hundred bytes.
  const int code = test::inChildProcess(
      [&] {
        try {
          Table t = Table::open(dir.path(), "AULAT");
          for (int i = 0; i < 100; ++i) {
            t.append();
            t.setText("COD", "nueva");
            t.post();
          }
          t.close();
        } catch (const TableError& e) {
          return std::string(e.what()).find("no queda espacio en el disco") != std::string::npos
                     ? 7
                     : 8;
        }
        return 0;
      },
      300);
  EXPECT_EQ(code, 7);
  EXPECT_EQ(test::readFile(dir / "AULAT.DBF"), before);
  EXPECT_EQ(test::listDir(dir.path()), std::vector<std::string>{"AULAT.DBF"});
}
#endif

#ifdef _WIN32
TEST(TableWrites, AReplacementWindowsRefusesKeepsTheEarlierFileAndNoTemporary) {
  TempDir dir;
  test::writeFile(dir / "R.xml", "anterior");
  {
    test::FileHolder other(dir / "R.xml");  // open with no sharing in another program
    EXPECT_THROW(os::writeFileAtomically(dir / "R.xml", "nuevo", os::AtLink::replace),
                 os::FileError);
  }
  EXPECT_EQ(test::readFile(dir / "R.xml"), "anterior");
  EXPECT_EQ(test::listDir(dir.path()), std::vector<std::string>{"R.xml"});
}

// An antivirus, the search indexer or a backup holds a file that was just written for a
// moment: replacing it and opening it for this process alone wait until it is let go.
TEST(TableWrites, AFileHeldForAMomentIsReplacedAndOpenedOnceLetGo) {
  using namespace std::chrono_literals;
  TempDir dir;
  writeRows(dir.path(), "PROFT", {"a"});
  test::writeFile(dir / "R.xml", "anterior");
  {
    test::FileHolder antivirus(dir / "R.xml");
    antivirus.letGoAfter(1s);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_NO_THROW(os::writeFileAtomically(dir / "R.xml", "nuevo", os::AtLink::replace));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 900ms);
  }
  EXPECT_EQ(test::readFile(dir / "R.xml"), "nuevo");
  {
    test::FileHolder indexer(dir / "PROFT.DBF");
    indexer.letGoAfter(1s);
    EXPECT_EQ(Table::open(dir.path(), "PROFT").rowCount(), 1u);
  }
}
#endif

}  // namespace
}  // namespace vestran
