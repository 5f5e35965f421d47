// vestran-cli: the jobs without windows, for automation and for users without a desktop.

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "cli/command_line.hpp"
#include "store/errors.hpp"
#include "store/os_file.hpp"
#include "store/table.hpp"
#include "store/table_csv.hpp"
#include "vestran/version.hpp"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <shellapi.h>
#include <windows.h>
#endif

namespace {

using vestran::cli::CommandLine;

enum ExitCode { kCompleted = 0, kFailed = 1, kUsage = 2, kNoDocument = 3 };

std::vector<std::string> argumentsAsUtf8(int argc, char** argv) {
#ifdef _WIN32
  // The narrow argv is in the ANSI code page; the wide one holds every name exactly.
  (void)argc;
  (void)argv;
  std::vector<std::string> args;
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  for (int i = 1; wide && i < count; ++i) {
    args.push_back(vestran::os::pathToUtf8(std::filesystem::path(wide[i])));
  }
  ::LocalFree(wide);
  ::SetConsoleOutputCP(CP_UTF8);
  return args;
#else
  return std::vector<std::string>(argv + 1, argv + argc);
#endif
}

int tabla(const CommandLine& line) {
  const std::filesystem::path file = vestran::os::pathFromUtf8(line.arguments[0]);
  const std::filesystem::path dir = file.has_parent_path() ? file.parent_path() : ".";
  vestran::Table table =
      vestran::Table::open(dir, vestran::os::pathToUtf8(file.filename()));
  vestran::writeCsv(table, std::cout);
  table.close();
  return kCompleted;
}

}  // namespace

int main(int argc, char** argv) {
  CommandLine line;
  try {
    line = vestran::cli::parseCommandLine(argumentsAsUtf8(argc, argv));
  } catch (const vestran::cli::UsageError& e) {
    std::cerr << e.what() << '\n';
    return kUsage;
  }
  try {
    if (line.command == "ayuda") {
      std::cout << vestran::cli::usage();
      return kCompleted;
    }
    if (line.command == "version") {
      std::cout << "vestran-cli " << vestran::kVersion << '\n';
      return kCompleted;
    }
    if (line.command == "tabla") return tabla(line);
  } catch (const vestran::cli::UsageError& e) {
    std::cerr << e.what() << '\n';
    return kUsage;
  } catch (const std::exception& e) {
    std::cerr << e.what() << '\n';
    return kFailed;
  }
  std::cerr << "Orden no disponible: " << line.command << '\n';
  return kUsage;
}
