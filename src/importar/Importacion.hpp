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
  bool reemplazado = false;       // a file of that name was there before
  std::size_t tramos = 0;         // lessons written, one <tramo> each
  std::size_t filasDeSoluc = 0;   // rows of SOLUC
  std::size_t clasesPrevias = 0;  // <tramo> of a <horario> the document had already
  // The lessons the planner did not place (DIA 0), as "subject, group, teacher".
  std::vector<std::string> sinColocar;
  // The rows whose day or period is not a whole number (or is negative): not written.
  std::vector<std::string> valoresMalos;
  Informe informe;  // the technical report
};

// "ResultadoVestran" followed by the document's file name, in the document's folder.
std::filesystem::path archivoResultado(const std::filesystem::path& documento);

// The summary the window and the CLI show: the result file, its lessons, the lessons left
// unplaced, and the warnings (a document that already had a timetable, rows that could
// not be read, a solution without lessons).
Resumen resumir(const ResultadoImportacion& resultado);

// The lessons left unplaced and the rows not written, in the user's words, one a line.
std::vector<std::string> detallesParaElUsuario(const ResultadoImportacion& resultado);

// Holds the planner folder, opens SOLUC, GRUPOST, PROFT, AULAT, ASIGNOMT, DIASHORAST and
// ASIGT for this process alone, reads the document, adds one <tramo> per placed lesson and
// saves the result beside the document as a new file (a link at the result's name is
// replaced, not followed); the document itself is never changed, and a result that
// would be the document itself is refused. A row whose day or period is not a whole
// number, or is negative, is not written and is named in the summary. The result
// is the document's own bytes with the <horario> section added, where the document's
// encoding allows it. Throws Error (Spanish message for the user) when the folder is in
// use by another run, a table is missing or held, a SOLUC value cannot be read, the
// document cannot be used, or the result cannot be saved; then no result file is written
// and every table is released.
ResultadoImportacion importar(const OpcionesImportacion& opciones);

}  // namespace vestran
