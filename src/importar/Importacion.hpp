#pragma once

// The import run: from the planner's solution SOLUC to a copy of the exchange document
// with a <horario> section.

#include <cstddef>
#include <filesystem>

#include "store/informe.hpp"

namespace vestran {

struct OpcionesImportacion {
  std::filesystem::path documento;
  std::filesystem::path directorio;  // the planner directory
};

struct ResultadoImportacion {
  std::filesystem::path archivo;  // the result document written
  std::size_t tramos = 0;         // <tramo> elements written
  Informe informe;
};

// "ResultadoVestran" followed by the document's file name, in the document's folder.
std::filesystem::path archivoResultado(const std::filesystem::path& documento);

// Opens SOLUC, GRUPOST, PROFT, AULAT, ASIGNOMT, DIASHORAST and ASIGT for this process
// alone, reads the document, adds one <tramo> per placed lesson and saves the result
// beside the document; the document itself is never changed. Throws Error (Spanish
// message for the user) when a table is missing or held, the document cannot be used, or
// the result cannot be saved; then no result file is written and every table is released.
ResultadoImportacion importar(const OpcionesImportacion& opciones);

}  // namespace vestran
