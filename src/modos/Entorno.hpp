#pragma once

#include <optional>
#include <string>

namespace vestran {

// The value of an environment variable as UTF-8; nullopt when it is not set or empty.
// On Windows it is read in UTF-16, so that a name with accents (C:\Users\José) comes
// through whatever the code page.
std::optional<std::string> variableDeEntorno(const char* nombre);

}  // namespace vestran
