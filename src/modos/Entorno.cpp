#include "modos/Entorno.hpp"

#include <cstdlib>
#include <filesystem>

#include "store/os/paths.hpp"

namespace vestran {

std::optional<std::string> variableDeEntorno(const char* nombre) {
#ifdef _WIN32
  const std::wstring ancho = std::filesystem::path(nombre).wstring();
  const wchar_t* valor = _wgetenv(ancho.c_str());
  if (!valor || !*valor) return std::nullopt;
  return os::pathToUtf8(std::filesystem::path(valor));
#else
  const char* valor = std::getenv(nombre);
  if (!valor || !*valor) return std::nullopt;
  return std::string(valor);
#endif
}

}  // namespace vestran
