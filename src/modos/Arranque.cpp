#include "modos/Arranque.hpp"

#include "modos/ArchivoIni.hpp"
#include "modos/Entorno.hpp"
#include "store/os/paths.hpp"
#include "store/os/replacing.hpp"
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

ArchivoDeEstado archivoDeEstado(const std::filesystem::path& carpetaDelPrograma) {
  const std::filesystem::path junto = carpetaDelPrograma / "Dalmerin.ini";
  std::error_code ec;
  if (std::filesystem::exists(junto, ec) || os::canCreateFilesIn(carpetaDelPrograma)) {
    return {junto, true};
  }
#ifdef _WIN32
  const auto datos = variableDeEntorno("LOCALAPPDATA");
  const std::filesystem::path carpeta = datos ? os::pathFromUtf8(*datos) : carpetaDelPrograma;
#else
  const auto estado = variableDeEntorno("XDG_STATE_HOME");
  const auto casa = variableDeEntorno("HOME");
  const std::filesystem::path carpeta =
      estado ? os::pathFromUtf8(*estado)
             : (casa ? os::pathFromUtf8(*casa) / ".local" / "state" : carpetaDelPrograma);
#endif
  return {carpeta / "vestran" / "Dalmerin.ini", false};
}

void escribirEstado(const ArchivoDeEstado& archivo, EstadoTransformado estado) {
  if (!archivo.junto) {
    std::error_code ec;
    std::filesystem::create_directories(archivo.ruta.parent_path(), ec);
  }
  escribirEstado(archivo.ruta, estado);
}

void escribirEstado(const std::filesystem::path& archivo, EstadoTransformado estado) {
  escribirValorIni(archivo, "Transformadores", "Transformado",
                   std::to_string(static_cast<int>(estado)));
}

}  // namespace vestran
