#include "modos/Arranque.hpp"

#include "modos/ArchivoIni.hpp"
#include "store/text.hpp"

namespace vestran {

Arranque arranqueDesdeParametros(const std::vector<std::string>& parametros) {
  Arranque a;
  if (parametros.size() != 2) return a;
  a.ModoLote = kModoLote;
  const std::string palabra = asciiLower(parametros[0]);
  if (palabra == "importar") a.trabajo = Trabajo::importar;
  if (palabra == "exportar") a.trabajo = Trabajo::exportar;
  return a;
}

std::filesystem::path archivoDeEstado(const std::filesystem::path& carpetaDelPrograma) {
  return carpetaDelPrograma / "Dalmerin.ini";
}

void escribirEstado(const std::filesystem::path& archivo, EstadoTransformado estado) {
  escribirValorIni(archivo, "Transformadores", "Transformado",
                   std::to_string(static_cast<int>(estado)));
}

}  // namespace vestran
