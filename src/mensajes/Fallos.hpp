#pragma once

// What the user reads when a job stops: the same words in the window and in the CLI.

#include <string>

namespace vestran {

struct MensajeDeFallo {
  std::string texto;           // for the user: what happened, where, what to do
  std::string detalleTecnico;  // for a technician; may be empty (the CLI shows it)
};

// The message of the exception being handled; call it inside a catch block. Errors of
// vestran carry their own message; running out of memory and a fault of the program are
// worded here.
MensajeDeFallo mensajeDelFallo();

}  // namespace vestran
