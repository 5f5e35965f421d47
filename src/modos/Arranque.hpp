#pragma once

// How the program was started: interactively, or in batch mode by a calling program that
// reads the status file afterwards.

#include <filesystem>
#include <string>
#include <vector>

namespace vestran {

enum class Trabajo { ninguno, exportar, importar };

struct Arranque {
  int ModoLote = 0;  // 2 in batch mode, otherwise 0
  Trabajo trabajo = Trabajo::ninguno;  // the job batch mode starts by itself
};

// Exactly two parameters make batch mode. The first, lowered in case (ASCII letters
// only), names the job: "exportar" or "importar"; any other word starts none. The second
// parameter is never read.
Arranque arranqueDesdeParametros(const std::vector<std::string>& parametros);

// Values of EstadoTransformado.
inline constexpr int kEstadoSinTerminar = 0;
inline constexpr int kEstadoTerminado = 1;
inline constexpr int kEstadoSinArchivo = -1;

// The status file: "Dalmerin.ini" in the program's folder.
std::filesystem::path archivoDeEstado(const std::filesystem::path& carpetaDelPrograma);

// Writes Transformadores/Transformado = estado, keeping every other entry of the file.
// Throws Error when the file cannot be written.
void escribirEstado(const std::filesystem::path& archivo, int estado);

}  // namespace vestran
