#pragma once

// The command line of vestran-cli.

#include <optional>
#include <string>
#include <vector>

#include "store/errors.hpp"

namespace vestran::cli {

// The command line asks for something that cannot be done; what() says why, in Spanish.
class UsageError : public Error {
 public:
  using Error::Error;
};

struct CommandLine {
  std::string command;  // exportar, importar, marcos, tabla, ayuda or version
  std::vector<std::string> arguments;
  std::optional<std::string> dir;
  std::optional<std::string> marcos;
  std::optional<std::string> formato;
};

// Reads the arguments after the program name. Throws UsageError.
CommandLine parseCommandLine(const std::vector<std::string>& args);

// The text of --help.
std::string usage();

}  // namespace vestran::cli
