#include "support/test_support.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

#include <sys/wait.h>

namespace vestran::test {

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::random_device random;
  path_ = fs::temp_directory_path() / ("vestran-test-" + std::to_string(random()));
  fs::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(path_, ignored);
}

fs::path TempDir::operator/(std::string_view name) const { return path_ / std::string(name); }

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> listDir(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string quote(std::string_view word) {
  std::string q = "'";
  for (char c : word) {
    if (c == '\'') {
      q += "'\\''";
    } else {
      q += c;
    }
  }
  return q + "'";
}

ProcessResult run(const std::string& commandLine, std::string_view input) {
  TempDir io;
  writeFile(io / "in", input);
  const std::string full = "(" + commandLine + ") <" + quote((io / "in").string()) + " >" +
                           quote((io / "out").string()) + " 2>" +
                           quote((io / "err").string());
  ProcessResult result;
  const int status = std::system(full.c_str());
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = readFile(io / "out");
  result.err = readFile(io / "err");
  return result;
}

std::vector<std::string> tdbfDump(const fs::path& table) {
  const ProcessResult r = run(std::string(VESTRAN_DBFDUMP) + " " + quote(table.string()) +
                              " | " + VESTRAN_ICONV + " -f WINDOWS-1252 -t UTF-8");
  EXPECT_EQ(r.exitCode, 0) << r.err;
  std::vector<std::string> lines;
  std::istringstream in(r.out);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

void tdbfWrite(const fs::path& table, int level, std::string_view layout) {
  const ProcessResult r = run(std::string(VESTRAN_ICONV) + " -f UTF-8 -t WINDOWS-1252 | " +
                                  VESTRAN_DBFWRITE + " " + quote(table.string()) + " " +
                                  std::to_string(level),
                              layout);
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
}

std::string python(std::string_view program, const std::vector<std::string>& args) {
  std::string commandLine = std::string(VESTRAN_PYTHON) + " -";
  for (const std::string& a : args) commandLine += " " + quote(a);
  const ProcessResult r = run(commandLine, program);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  return r.out;
}

}  // namespace vestran::test
