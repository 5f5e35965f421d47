#pragma once

// How far a run has got, for a window or a terminal to show while it works.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace vestran {

struct Progreso {
  std::string_view tarea;  // what is being done, such as "ASIGT" or "Leyendo el documento"
  std::size_t hechos = 0;  // elements done so far
  std::size_t total = 0;   // elements in all; 0 when not known
};

// Called now and then, on the thread that runs the job; it may show the progress and let
// a window repaint, but must not start another job.
using AvisoDeProgreso = std::function<void(const Progreso&)>;

// Tells `aviso`, when there is one, how far `tarea` has got: at its start, at its end and
// every few hundred elements, so that a job may call it for every element.
void avisar(const AvisoDeProgreso& aviso, std::string_view tarea, std::size_t hechos,
            std::size_t total);

// The progress as the user reads it: "ASIGT: 20480 de 60000…", or the task alone when its
// total is not known.
std::string textoDeProgreso(const Progreso& progreso);

}  // namespace vestran
