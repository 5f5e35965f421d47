// A set of tables put in place together, the run lock of a planner folder, and the
// clean-up after a killed run.

#include "store/staged_tables.hpp"

#include <gtest/gtest.h>

#include <map>

#include "store/errors.hpp"
#include "store/os_file.hpp"
#include "store/planner_folder.hpp"
#include "store/table.hpp"
#include "support/test_support.hpp"

namespace vestran {
namespace {

using test::TempDir;
namespace fs = std::filesystem;

const std::vector<FieldDef> kFields = {{"COD", FieldKind::character, 10}};

void writeTable(const fs::path& dir, std::string_view name, const char* code) {
  Table::recreate(dir, name, kFields, TableFormat::level7);
  Table t = Table::open(dir, name);
  t.append();
  t.setText("COD", code);
  t.post();
  t.close();
}

std::string code(const fs::path& dir, std::string_view name) {
  Table t = Table::open(dir, name);
  return t.text("COD");
}

std::map<std::string, std::string> filesOf(const fs::path& dir) {
  std::map<std::string, std::string> files;
  for (const std::string& name : test::listDir(dir)) {
    if (fs::is_regular_file(dir / name)) files[name] = test::readFile(dir / name);
    else files[name] = "<carpeta>";
  }
  return files;
}

// Live tables A and B from an earlier run, one of them with an index and a copy of its
// name in another letter case.
void earlierSet(const fs::path& dir) {
  writeTable(dir, "A", "viejo-a");
  writeTable(dir, "B", "viejo-b");
  test::writeFile(dir / "A.MDX", "índice");
}

TEST(StagedTables, CommitPutsTheWholeSetInPlaceAndLeavesNothingElse) {
  TempDir dir;
  earlierSet(dir.path());
  {
    StagedTables set(dir.path());
    writeTable(set.folder(), "A", "nuevo-a");
    writeTable(set.folder(), "B", "nuevo-b");
    writeTable(set.folder(), "C", "nuevo-c");
    EXPECT_EQ(code(dir.path(), "A"), "viejo-a");  // nothing shows before the commit
    set.commit();
  }
  EXPECT_EQ(test::listDir(dir.path()), (std::vector<std::string>{"A.DBF", "B.DBF", "C.DBF"}));
  EXPECT_EQ(code(dir.path(), "A"), "nuevo-a");
  EXPECT_EQ(code(dir.path(), "B"), "nuevo-b");
  EXPECT_EQ(code(dir.path(), "C"), "nuevo-c");
}

TEST(StagedTables, ASetNotCommittedLeavesTheEarlierTablesAsTheyWere) {
  TempDir dir;
  earlierSet(dir.path());
  const auto before = filesOf(dir.path());
  {
    StagedTables set(dir.path());
    writeTable(set.folder(), "A", "nuevo-a");
  }
  EXPECT_EQ(filesOf(dir.path()), before);
}

TEST(StagedTables, ALiveTableHeldByAnotherProgramStopsTheCommitBeforeAnythingChanges) {
  TempDir dir;
  earlierSet(dir.path());
  const auto before = filesOf(dir.path());
  {
    test::FileHolder planner(dir / "B.DBF");
    StagedTables set(dir.path());
    writeTable(set.folder(), "A", "nuevo-a");
    writeTable(set.folder(), "B", "nuevo-b");
    const std::array<std::string_view, 2> names{"A", "B"};
    EXPECT_THROW(set.requireLiveTablesFree(names), TableLockedError);
    try {
      set.commit();
      FAIL();
    } catch (const TableLockedError& e) {
      EXPECT_NE(std::string(e.what()).find("No se ha modificado ninguna tabla"), std::string::npos);
      EXPECT_EQ(e.place().table, "B");
    }
  }
  EXPECT_EQ(filesOf(dir.path()), before);
}

TEST(StagedTables, RecoveryCompletesADecidedSetAndDiscardsAnUndecidedOne) {
  for (const bool decided : {true, false}) {
    SCOPED_TRACE(decided ? "decided" : "not decided");
    TempDir dir;
    earlierSet(dir.path());
    // What a run killed after writing its new tables leaves.
    const fs::path staging = dir / "vestran-exportacion";
    fs::create_directories(staging);
    writeTable(staging, "A", "nuevo-a");
    writeTable(staging, "B", "nuevo-b");
    if (decided) test::writeFile(staging / "COMPLETA", "");
    recoverStagedTables(dir.path());
    EXPECT_FALSE(fs::exists(staging));
    EXPECT_EQ(code(dir.path(), "A"), decided ? "nuevo-a" : "viejo-a");
    EXPECT_EQ(code(dir.path(), "B"), decided ? "nuevo-b" : "viejo-b");
    EXPECT_EQ(fs::exists(dir / "A.MDX"), !decided);
  }
}

TEST(PlannerFolder, OneRunAtATimeAndTheLitterOfKilledRunsIsRemoved) {
  TempDir dir;
  writeTable(dir.path(), "A", "a");
  const fs::path stale = os::temporaryPathFor(dir / "ASIGT.DBF");
  const fs::path live = os::temporaryPathFor(dir / "PROFT.DBF");
  test::writeFile(stale, "a medias");
  test::writeFile(live, "escribiéndose");
  test::writeFile(dir / "A.DBF.tmp", "no es de vestran");
  {
    test::FileHolder writer(live);  // a run that is still writing holds its temporary file
    const PlannerFolder first = PlannerFolder::take(dir.path());
    try {
      PlannerFolder::take(dir.path());
      FAIL();
    } catch (const FolderBusyError& e) {
      EXPECT_NE(std::string(e.what()).find("Otra exportación o importación está usando la "
                                           "carpeta del planificador"),
                std::string::npos);
      EXPECT_NE(std::string(e.what()).find("inténtelo cuando termine"), std::string::npos);
    }
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(live));
    EXPECT_TRUE(fs::exists(dir / "A.DBF.tmp"));
  }
  const PlannerFolder again = PlannerFolder::take(dir.path());
  EXPECT_FALSE(fs::exists(live));
}

TEST(TemporaryNames, OnlyVestransOwnPatternCounts) {
  struct Case {
    const char* name;
    const char* target;
    bool temporary;
  } cases[] = {
      {"ASIGT.DBF.vestran-0a1b2c3d.tmp", "", true},
      {"ASIGT.DBF.vestran-0a1b2c3d.tmp", "ASIGT.DBF", true},
      {"ASIGT.DBF.vestran-0a1b2c3d.tmp", "PROFT.DBF", false},
      {"ASIGT.DBF.vestran-0A1B2C3D.tmp", "", false},
      {"ASIGT.DBF.vestran-0a1b2c3.tmp", "", false},
      {"ASIGT.DBF.tmp-0a1b2c3d", "", false},
      {".vestran-0a1b2c3d.tmp", "", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(os::isTemporaryName(c.name, c.target), c.temporary) << c.name << " " << c.target;
  }
  EXPECT_TRUE(os::isTemporaryName(os::pathToUtf8(os::temporaryPathFor("R.xml").filename()), "R.xml"));
}

}  // namespace
}  // namespace vestran
