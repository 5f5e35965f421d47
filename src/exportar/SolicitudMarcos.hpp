#pragma once

// What an export asks of whoever chooses its time frames (the chooser window, the command
// line): the frames to choose from, and the answer. Small on purpose: the windows include
// it, not the export.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "store/errors.hpp"

namespace vestran {

// One frame as the chooser lists it.
struct MarcoHorario {
  std::string id;                  // the first attribute's value, as read
  std::vector<std::string> horas;  // the periods of its first day, as the chooser shows them
  std::size_t periodos = 0;        // its periods on every day: the tramo whose submarco is id
};

// What the frame chooser gets: the document's path (the chooser may read it again) and its
// frames as the chooser lists them.
struct SolicitudMarcos {
  std::filesystem::path documento;
  std::vector<MarcoHorario> marcos;
};

// Asks which frames to use when the document has several; returns the indices of the
// selected ones, in any order. The run asks again while the selection is not one or two
// frames, up to kIntentosDeSeleccion times. It may throw ExportacionCancelada to stop the
// run.
using ElegirMarcos = std::function<std::vector<std::size_t>(const SolicitudMarcos&)>;
inline constexpr int kIntentosDeSeleccion = 100;

// The frames were not chosen; the run stops there and no table changes.
class ExportacionCancelada : public Error {
 public:
  explicit ExportacionCancelada(const std::string& motivo = "Exportación cancelada.")
      : Error(motivo) {}
};

}  // namespace vestran
