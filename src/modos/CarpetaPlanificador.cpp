#include "modos/CarpetaPlanificador.hpp"

#include "modos/Entorno.hpp"
#include "store/errors.hpp"
#include "store/os/paths.hpp"
#include "store/text.hpp"

namespace vestran {

namespace fs = std::filesystem;

fs::path carpetaPorOmision() {
#ifdef _WIN32
  return fs::current_path().root_path() / "DTEMP";
#else
  if (auto prefijo = variableDeEntorno("WINEPREFIX")) {
    return os::pathFromUtf8(*prefijo) / "drive_c" / "DTEMP";
  }
  const fs::path casa = os::pathFromUtf8(variableDeEntorno("HOME").value_or("."));
  return casa / ".wine" / "drive_c" / "DTEMP";
#endif
}

fs::path carpetaDelPlanificador(const std::optional<std::string>& opcion) {
  if (opcion) return os::pathFromUtf8(*opcion);
  if (auto delEntorno = variableDeEntorno("VESTRAN_DTEMP")) return os::pathFromUtf8(*delEntorno);
  return carpetaPorOmision();
}

TableFormat formatoDeTablas(const std::optional<std::string>& opcion) {
  const std::optional<std::string> palabra = opcion ? opcion : variableDeEntorno("VESTRAN_FORMATO");
  if (!palabra) return TableFormat::level7;
  const std::string minusculas = asciiLower(*palabra);
  if (minusculas == "dbase3") return TableFormat::dBase3;
  if (minusculas == "nivel7") return TableFormat::level7;
  throw SettingError("Formato de tabla desconocido: '" + *palabra +
                     "'. Use dbase3 o nivel7 (--formato o VESTRAN_FORMATO).");
}

}  // namespace vestran
