#pragma once

#include "cli/command_line.hpp"

namespace vestran::cli {

// The exit codes of vestran-cli.
enum class ExitCode : int { completed = 0, failed = 1, usage = 2, noDocument = 3 };

// Each runs one command of vestran-cli and returns its exit code. They throw UsageError
// for a command line that cannot be carried out and Error when the job stops.
ExitCode exportar(const CommandLine& line);
ExitCode importar(const CommandLine& line);
ExitCode marcos(const CommandLine& line);
ExitCode tabla(const CommandLine& line);
ExitCode restaurar(const CommandLine& line);

}  // namespace vestran::cli
