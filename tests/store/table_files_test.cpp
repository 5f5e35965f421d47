// How the store finds, replaces and holds table files.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "store/errors.hpp"
#include "store/table.hpp"
#include "support/test_support.hpp"

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

// Holds a POSIX record lock on a file in another process, as another program would.
class LockingProcess {
 public:
  explicit LockingProcess(const std::filesystem::path& file) {
    int ready[2];
    EXPECT_EQ(pipe(ready), 0);
    EXPECT_EQ(pipe(release_), 0);
    pid_ = fork();
    if (pid_ == 0) {
      const int fd = ::open(file.c_str(), O_RDWR);
      struct flock lock {};
      lock.l_type = F_WRLCK;
      lock.l_whence = SEEK_SET;
      const char ok = fcntl(fd, F_SETLK, &lock) == 0 ? 'y' : 'n';
      (void)!write(ready[1], &ok, 1);
      char c;
      (void)!read(release_[0], &c, 1);
      _exit(0);
    }
    char ok = 0;
    EXPECT_EQ(read(ready[0], &ok, 1), 1);
    EXPECT_EQ(ok, 'y');
    close(ready[0]);
    close(ready[1]);
  }
  ~LockingProcess() {
    (void)!write(release_[1], "x", 1);
    waitpid(pid_, nullptr, 0);
    close(release_[0]);
    close(release_[1]);
  }

 private:
  pid_t pid_ = -1;
  int release_[2] = {-1, -1};
};

// Whether another process can lock the file now.
bool anotherProcessCanLock(const std::filesystem::path& file) {
  const pid_t pid = fork();
  if (pid == 0) {
    const int fd = ::open(file.c_str(), O_RDWR);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    _exit(fcntl(fd, F_SETLK, &lock) == 0 ? 0 : 1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
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
    LockingProcess planner(dir / "SOLUC.DBF");
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
  EXPECT_FALSE(anotherProcessCanLock(dir / "PROFT.DBF"));
  EXPECT_THROW(Table::open(dir.path(), "PROFT"), TableLockedError);  // same process too
  t.append();
  t.setText("COD", "b");
  t.post();
  t.close();
  EXPECT_TRUE(anotherProcessCanLock(dir / "PROFT.DBF"));
}

TEST(TableWrites, AFailedWriteLeavesTheEarlierTableWholeAndNoTemporaryFile) {
  TempDir dir;
  writeRows(dir.path(), "AULAT", {"antes"});
  const std::string before = test::readFile(dir / "AULAT.DBF");
  const pid_t pid = fork();
  if (pid == 0) {
    // The disk "fills up" after a few hundred bytes.
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{300, 300};
    setrlimit(RLIMIT_FSIZE, &limit);
    try {
      Table t = Table::open(dir.path(), "AULAT");
      for (int i = 0; i < 100; ++i) {
        t.append();
        t.setText("COD", "nueva");
        t.post();
      }
      t.close();
    } catch (const TableError&) {
      _exit(7);
    }
    _exit(0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 7);
  EXPECT_EQ(test::readFile(dir / "AULAT.DBF"), before);
  EXPECT_EQ(test::listDir(dir.path()), std::vector<std::string>{"AULAT.DBF"});
}

}  // namespace
}  // namespace vestran
