#pragma once

// Helpers shared by the tests: temporary folders, files, other processes and the
// independent tools the results are checked with.

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace vestran::test {

// A fresh folder, removed with everything inside when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const;

 private:
  std::filesystem::path path_;
};

std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, std::string_view bytes);
// Names of the entries of a folder, sorted.
std::vector<std::string> listDir(const std::filesystem::path& dir);
// A path as the UTF-8 text a command line takes.
std::string utf8(const std::filesystem::path& path);

// UTF-8 text in another encoding ("UTF-16LE", "WINDOWS-1252", …), through ICU; for
// making inputs, not for checking results.
std::string encodeAs(std::string_view utf8, const char* encoding);

// Variables set (or replaced) in a child's environment.
using Environment = std::vector<std::pair<std::string, std::string>>;

// Another process: a program and its arguments, run without a shell, its standard
// output and error kept in files. Killed and waited for when the object goes.
class Child {
 public:
  // Runs in `workingDirectory` when it is given.
  Child(const std::vector<std::string>& command, const Environment& env = {},
        std::string_view input = {}, const std::filesystem::path& workingDirectory = {});
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  // Waits for the end; the exit code, or minus the signal that ended it.
  int wait();
  // Ends it at once (SIGKILL, TerminateProcess).
  void kill();
  std::string out() const;
  std::string err() const;

 private:
  TempDir io_;
#ifdef _WIN32
  void* process_ = nullptr;
#else
  int pid_ = -1;
#endif
  int status_ = 0;
  bool done_ = false;
};

struct ProcessResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs a program to its end; stdin gets `input`.
ProcessResult run(const std::vector<std::string>& command, std::string_view input = {},
                  const Environment& env = {}, const std::filesystem::path& workingDirectory = {});

// Holds a file in another process, as another program (the planner) would: a POSIX
// record lock elsewhere, no sharing on Windows. Lets it go when the object goes.
class FileHolder {
 public:
  explicit FileHolder(const std::filesystem::path& file);
  ~FileHolder();
  // False when the other process could not take the file.
  bool holding() const { return holding_; }
  // Lets go of the file after `pause`, as an antivirus or the search indexer does, while
  // the test goes on.
  void letGoAfter(std::chrono::milliseconds pause);

 private:
  TempDir signals_;
  Child child_;
  bool holding_ = false;
  std::thread letGo_;
};

// Whether the Linux tools the tests check against (TDbf, python3-dbf, dbfread, iconv)
// can be run from here; not from the Windows build under Wine, whose results
// windows_cli_tests check with them from the Linux side.
bool independentToolsHere();

// Skips the test where the independent tools cannot be run.
#define REQUIRE_INDEPENDENT_TOOLS()                                      \
  do {                                                                   \
    if (!::vestran::test::independentToolsHere()) {                      \
      GTEST_SKIP() << "the Linux tools are checked from the Linux side"; \
    }                                                                    \
  } while (false)

// A table as Free Pascal's TDbf reads it: "LEVEL n CP n", "FIELD name type size precision"
// lines and "ROW|value|..." lines, in UTF-8.
std::vector<std::string> tdbfDump(const std::filesystem::path& table);
// Writes a table with TDbf at the given level from a layout in UTF-8 (see dbfwrite.pas).
void tdbfWrite(const std::filesystem::path& table, int level, std::string_view layout);
// Runs a Python program with Debian's python3 (which has dbf and dbfread); returns stdout.
std::string python(std::string_view program, const std::vector<std::string>& args = {});
// Converts text between encodings with glibc's iconv.
std::string iconv(std::string_view bytes, std::string_view from, std::string_view to);

}  // namespace vestran::test
