// A set of tables put in place together, the run lock of a planner folder, and the
// clean-up after a killed run.

#include "store/staging/staged_tables.hpp"

#include <gtest/gtest.h>

#include <map>

#include "store/errors.hpp"
#include "store/os/paths.hpp"
#include "store/os/replacing.hpp"
#include "store/staging/planner_folder.hpp"
#include "store/table/table.hpp"
#include "support/test_support.hpp"

#ifndef _WIN32
#include <unistd.h>

#include "support/child_process.hpp"
#endif

namespace vestran {
namespace {

using test::TempDir;
namespace fs = std::filesystem;

const std::vector<FieldDef> kFields = {{"COD", FieldKind::character, 10}};
constexpr std::array<std::string_view, 3> kSet = {"A", "B", "C"};
const std::string kEarlier = "vestran-tablas-anteriores";

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
    if (fs::is_regular_file(dir / name))
      files[name] = test::readFile(dir / name);
    else
      files[name] = "<carpeta>";
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
    StagedTables set(dir.path(), kSet);
    writeTable(set.folder(), "A", "nuevo-a");
    writeTable(set.folder(), "B", "nuevo-b");
    writeTable(set.folder(), "C", "nuevo-c");
    EXPECT_EQ(code(dir.path(), "A"), "viejo-a");  // nothing shows before the commit
    set.commit();
  }
  EXPECT_EQ(test::listDir(dir.path()),
            (std::vector<std::string>{"A.DBF", "B.DBF", "C.DBF", kEarlier}));
  EXPECT_EQ(code(dir.path(), "A"), "nuevo-a");
  EXPECT_EQ(code(dir.path(), "B"), "nuevo-b");
  EXPECT_EQ(code(dir.path(), "C"), "nuevo-c");
  // The set replaced is kept whole, and only it: C did not exist before.
  EXPECT_EQ(earlierTables(dir.path()), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(code(dir / kEarlier, "A"), "viejo-a");
  EXPECT_EQ(code(dir / kEarlier, "B"), "viejo-b");
}

TEST(StagedTables, ARestoreSwapsTheSetsAndASecondOneSwapsThemBack) {
  TempDir dir;
  earlierSet(dir.path());
  test::writeFile(dir / "SOLUC.DBF", "la solución del planificador");
  {
    StagedTables set(dir.path(), kSet);
    writeTable(set.folder(), "A", "nuevo-a");
    writeTable(set.folder(), "B", "nuevo-b");
    writeTable(set.folder(), "C", "nuevo-c");
    set.commit();
  }
  const auto newer = filesOf(dir.path());
  const auto newerSaved = filesOf(dir / kEarlier);

  restoreEarlierTables(dir.path(), kSet);
  EXPECT_EQ(code(dir.path(), "A"), "viejo-a");
  EXPECT_EQ(code(dir.path(), "B"), "viejo-b");
  EXPECT_FALSE(fs::exists(dir / "C.DBF"));  // the earlier set had no C
  EXPECT_EQ(test::readFile(dir / "SOLUC.DBF"), "la solución del planificador");
  EXPECT_EQ(earlierTables(dir.path()), (std::vector<std::string>{"A", "B", "C"}));

  restoreEarlierTables(dir.path(), kSet);
  EXPECT_EQ(filesOf(dir.path()), newer);  // byte for byte
  EXPECT_EQ(filesOf(dir / kEarlier), newerSaved);
}

TEST(StagedTables, WithoutAnEarlierSetARestoreSaysSoAndChangesNothing) {
  TempDir dir;
  earlierSet(dir.path());
  const auto before = filesOf(dir.path());
  try {
    restoreEarlierTables(dir.path(), kSet);
    FAIL();
  } catch (const TableError& e) {
    EXPECT_NE(std::string(e.what()).find("no hay tablas anteriores que restaurar"),
              std::string::npos)
        << e.what();
    EXPECT_NE(std::string(e.what()).find("No se ha modificado ninguna tabla"), std::string::npos);
  }
  EXPECT_EQ(filesOf(dir.path()), before);
}

TEST(StagedTables, ASetNotCommittedLeavesTheEarlierTablesAsTheyWere) {
  TempDir dir;
  earlierSet(dir.path());
  const auto before = filesOf(dir.path());
  {
    StagedTables set(dir.path(), kSet);
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
    StagedTables set(dir.path(), kSet);
    writeTable(set.folder(), "A", "nuevo-a");
    writeTable(set.folder(), "B", "nuevo-b");
    EXPECT_THROW(set.requireLiveTablesFree(), TableLockedError);
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
    if (decided) test::writeFile(staging / "COMPLETA", "+A\n+B\n");
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

// What someone else left at the names vestran keeps for itself in the planner folder is
// refused with what to do, and left as it is: never followed, deleted or written into.
TEST(PlannerFolder, SomethingElseAtVestransOwnNamesIsRefusedAndLeftAlone) {
  struct Case {
    const char* name;
    const char* entry;
    bool link;  // a link to a file that does not exist, rather than a file
    const char* words;
  } cases[] = {
#ifndef _WIN32
      {"a dangling link as the lock", "vestran.lck", true, "hay un enlace llamado vestran.lck"},
#endif
      {"a file named like the staging folder", "vestran-exportacion", false,
       "hay un archivo o un enlace llamado vestran-exportacion"},
      {"a file named like the earlier tables' folder", "vestran-tablas-anteriores", false,
       "hay un archivo o un enlace llamado vestran-tablas-anteriores"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    TempDir elsewhere;
    if (c.link) {
      fs::create_symlink(elsewhere / "creado-por-el-enlace", dir / c.entry);
    } else {
      test::writeFile(dir / c.entry, "de otro programa");
    }
    try {
      PlannerFolder::take(dir.path());
      FAIL() << "the folder was taken";
    } catch (const TableError& e) {
      EXPECT_NE(std::string(e.what()).find(c.words), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find("No se ha modificado nada"), std::string::npos);
    }
    EXPECT_FALSE(fs::exists(elsewhere / "creado-por-el-enlace"));
    if (!c.link) {
      EXPECT_EQ(test::readFile(dir / c.entry), "de otro programa");
    }
  }
}

#ifndef _WIN32
// A planner folder shared by several users: whoever created the lock, every other user who
// can write the folder takes it, and no run of theirs goes beside a running one.
TEST(PlannerFolder, AnotherUserTakesTheLockAndNeverRunsBesideARunningOne) {
  TempDir dir;
  fs::permissions(dir.path(), fs::perms::all);  // a folder every user may write to
  { const PlannerFolder first = PlannerFolder::take(dir.path()); }
  // As another user where the test may switch to one (nobody); otherwise the lock is made
  // one this user cannot open for writing, as another user's would be.
  const bool root = ::geteuid() == 0;
  fs::permissions(dir / "vestran.lck", root ? fs::perms::owner_read | fs::perms::owner_write |
                                                  fs::perms::group_read | fs::perms::others_read
                                            : fs::perms::owner_read);
  const auto asAnotherUser = [&](const std::function<int()>& body) {
    return test::inChildProcess([&] {
      if (root && ::setuid(65534) != 0) return 20;
      try {
        return body();
      } catch (const FolderBusyError&) {
        return 7;
      } catch (const std::exception&) {
        return 8;
      }
    });
  };
  const auto takeIt = [&] {
    const PlannerFolder mine = PlannerFolder::take(dir.path());
    return mine.unlocked() ? 9 : 0;
  };
  EXPECT_EQ(asAnotherUser(takeIt), 0);
  const PlannerFolder running = PlannerFolder::take(dir.path());
  EXPECT_EQ(asAnotherUser(takeIt), 7);
}
#endif

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
  EXPECT_TRUE(
      os::isTemporaryName(os::pathToUtf8(os::temporaryPathFor("R.xml").filename()), "R.xml"));
}

}  // namespace
}  // namespace vestran
