#include "modos/Arranque.hpp"

#include "store/ini_file.hpp"
#include "store/text.hpp"

namespace vestran {

Arranque arranqueDesdeParametros(const std::vector<std::string>& parametros) {
  Arranque a;
  if (parametros.size() != 2) return a;
  a.ModoLote = 2;
  const std::string palabra = asciiLower(parametros[0]);
  if (palabra == "importar") a.trabajo = Trabajo::importar;
  if (palabra == "exportar") a.trabajo = Trabajo::exportar;
  return a;
}

std::filesystem::path archivoDeEstado(const std::filesystem::path& carpetaDelPrograma) {
  return carpetaDelPrograma / "Dalmerin.ini";
}

void escribirEstado(const std::filesystem::path& archivo, int estado) {
  writeIniValue(archivo, "Transformadores", "Transformado", std::to_string(estado));
}

}  // namespace vestran
