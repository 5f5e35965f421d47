#pragma once

// How the program was started: interactively, or in batch mode by a calling program that
// reads the status file afterwards.

#include <filesystem>
#include <string>
#include <vector>

namespace vestran {

enum class Trabajo { ninguno, exportar, importar };

// ModoLote in batch mode; it is 0 otherwise.
inline constexpr int kModoLote = 2;

struct Arranque {
  int ModoLote = 0;
  Trabajo trabajo = Trabajo::ninguno;  // the job batch mode starts by itself
  bool enLote() const { return ModoLote == kModoLote; }
};

// Exactly two parameters make batch mode. The first, lowered in case (ASCII letters
// only), names the job: "exportar" or "importar"; any other word starts none. The second
// parameter is never read.
Arranque arranqueDesdeParametros(const std::vector<std::string>& parametros);

// The run status the status file reports, with the values the calling program reads.
enum class EstadoTransformado : int { sinTerminar = 0, terminado = 1, sinArchivo = -1 };

// Where batch mode writes its status.
struct ArchivoDeEstado {
  // NOLINTNEXTLINE(google-explicit-constructor): a path names a status file beside it
  ArchivoDeEstado(std::filesystem::path r, bool j = true) : ruta(std::move(r)), junto(j) {}
  std::filesystem::path ruta;
  // False when the program's folder takes no new file (an installed program in a system
  // folder): the status then goes to the user's own folder for vestran's data.
  bool junto;
};

// "Dalmerin.ini" in the program's folder, where the calling program reads it, when it is
// there or the folder takes new files; otherwise in the user's folder for vestran's data:
// %LOCALAPPDATA%\vestran on Windows, $XDG_STATE_HOME/vestran (~/.local/state/vestran)
// elsewhere.
ArchivoDeEstado archivoDeEstado(const std::filesystem::path& carpetaDelPrograma);

// Writes Transformadores/Transformado = estado, keeping every other entry of the file.
// Throws ArchivoIniError when the file cannot be written (a read-only file included).
void escribirEstado(const std::filesystem::path& archivo, EstadoTransformado estado);
// The same, creating the user's folder for the status when it goes there.
void escribirEstado(const ArchivoDeEstado& archivo, EstadoTransformado estado);

}  // namespace vestran
