#pragma once

// Undoing the last export: the tables it replaced come back, and the ones it wrote are kept
// in their place, so that undoing again brings them back.

#include <filesystem>

#include "exportar/Exportacion.hpp"
#include "mensajes/Resumen.hpp"

namespace vestran {

struct ResultadoRestauracion {
  std::filesystem::path carpeta;     // the planner folder
  std::vector<FilasDeTabla> tablas;  // the tables now in place, with their rows
};

// Holds the planner folder and puts the tables the last export replaced back in place of
// the live ones, all or nothing; the planner's own files (SOLUC and the rest) are not
// touched. Throws Error: FolderBusyError when another run uses the folder,
// TableLockedError when the planner holds a table, TableError when there are no earlier
// tables (then nothing changes).
ResultadoRestauracion restaurarTablasAnteriores(const std::filesystem::path& carpeta);

// Whether the last export into `carpeta` kept tables it replaced, to put back.
bool hayTablasAnteriores(const std::filesystem::path& carpeta);

// What the window and the CLI show once the tables are back.
Resumen resumir(const ResultadoRestauracion& resultado);

}  // namespace vestran
