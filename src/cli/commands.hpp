#pragma once

#include "cli/command_line.hpp"

namespace vestran::cli {

enum ExitCode { kCompleted = 0, kFailed = 1, kUsage = 2, kNoDocument = 3 };

// Each runs one command of vestran-cli and returns its exit code. They throw UsageError
// for a command line that cannot be carried out and Error when the job stops.
int exportar(const CommandLine& line);
int importar(const CommandLine& line);
int marcos(const CommandLine& line);
int tabla(const CommandLine& line);
int restaurar(const CommandLine& line);

}  // namespace vestran::cli
