#pragma once

// Helpers shared by the tests: temporary folders, files and the independent tools.

#include <filesystem>
#include <string>
#include <string_view>
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

struct ProcessResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs a shell command line; stdin gets `input`.
ProcessResult run(const std::string& commandLine, std::string_view input = {});
// Quotes a word for the shell.
std::string quote(std::string_view word);

// A table as Free Pascal's TDbf reads it: "LEVEL n CP n", "FIELD name type size precision"
// lines and "ROW|value|..." lines, in UTF-8.
std::vector<std::string> tdbfDump(const std::filesystem::path& table);
// Writes a table with TDbf at the given level from a layout in UTF-8 (see dbfwrite.pas).
void tdbfWrite(const std::filesystem::path& table, int level, std::string_view layout);
// Runs a Python program with Debian's python3 (which has dbf and dbfread); returns stdout.
std::string python(std::string_view program, const std::vector<std::string>& args = {});

}  // namespace vestran::test
