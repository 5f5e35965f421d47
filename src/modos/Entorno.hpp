#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vestran {

// The value of an environment variable as UTF-8; nullopt when it is not set or empty.
// On Windows it is read in UTF-16, so that a name with accents (C:\Users\José) comes
// through whatever the code page.
std::optional<std::string> variableDeEntorno(const char* nombre);

// The program's arguments after its name, as UTF-8. On Windows they are read from the wide
// command line: the narrow argv is in the ANSI code page and loses what it lacks.
std::vector<std::string> argumentosDelPrograma(int argc, char** argv);

}  // namespace vestran
