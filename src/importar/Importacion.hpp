#pragma once

// The import run: from the planner's solution SOLUC to a copy of the exchange document
// with a <horario> section.

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "mensajes/Informe.hpp"
#include "mensajes/Progreso.hpp"
#include "mensajes/Resumen.hpp"

namespace vestran {

struct OpcionesImportacion {
  std::filesystem::path documento;
  std::filesystem::path directorio;  // the planner directory
  AvisoDeProgreso progreso{};        // may be empty
};

struct ResultadoImportacion {
  std::filesystem::path archivo;  // the result document written
  std::size_t tramos = 0;         // <tramo> elements written
  Informe informe;
  // What keeps the school-management system from getting a timetable, with its cause.
  std::vector<std::string> avisos;
};

// "ResultadoVestran" followed by the document's file name, in the document's folder.
std::filesystem::path archivoResultado(const std::filesystem::path& documento);

// The summary the window and the CLI show: the result file, its lessons and the warnings.
Resumen resumir(const ResultadoImportacion& resultado);

// Holds the planner folder, opens SOLUC, GRUPOST, PROFT, AULAT, ASIGNOMT, DIASHORAST and
// ASIGT for this process alone, reads the document, adds one <tramo> per placed lesson and
// saves the result beside the document; the document itself is never changed. The result
// is the document's own bytes with the <horario> section added, where the document's
// encoding allows it. Throws Error (Spanish message for the user) when the folder is in
// use by another run, a table is missing or held, a SOLUC value cannot be read, the
// document cannot be used, or the result cannot be saved; then no result file is written
// and every table is released.
ResultadoImportacion importar(const OpcionesImportacion& opciones);

}  // namespace vestran
