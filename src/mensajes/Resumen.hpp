#pragma once

// What the end of a run tells the user below "Proceso finalizado": the same lines in the
// window and in the CLI.

#include <string>
#include <utility>
#include <vector>

namespace vestran {

struct Resumen {
  // What was written: the result file and its lessons, or where the tables are.
  std::vector<std::string> lineas;
  // Figures of two columns after the lines, such as ("ASIGT", "253 filas"): the window
  // aligns them, the CLI prints "  ASIGT: 253 filas".
  std::vector<std::pair<std::string, std::string>> cifras;
  // What will keep the planner (or the school-management system) from working with the
  // result, or what the user must check, in plain words and with its cause. Empty when
  // all is well.
  std::vector<std::string> avisos;
};

// The summary as lines of text: the lines, then each figure as "  name: value".
std::vector<std::string> lineasDeTexto(const Resumen& resumen);

// "1 fila", "253 filas".
std::string filas(std::size_t n);

}  // namespace vestran
