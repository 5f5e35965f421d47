#pragma once

// What the end of a run tells the user below "Proceso finalizado": the same lines in the
// window and in the CLI.

#include <string>
#include <vector>

namespace vestran {

struct Resumen {
  // What was written: the rows of each table, or the result file and its lessons.
  std::vector<std::string> lineas;
  // What will keep the planner (or the school-management system) from working with the
  // result, in plain words and with its cause. Empty when all is well.
  std::vector<std::string> avisos;
};

}  // namespace vestran
