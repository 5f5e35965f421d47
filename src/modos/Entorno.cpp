#include "modos/Entorno.hpp"

#include <cstdlib>
#include <filesystem>

#include "store/os/paths.hpp"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>
#endif

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

std::vector<std::string> argumentosDelPrograma(int argc, char** argv) {
#ifdef _WIN32
  (void)argc;
  (void)argv;
  std::vector<std::string> argumentos;
  int cuantos = 0;
  wchar_t** anchos = ::CommandLineToArgvW(::GetCommandLineW(), &cuantos);
  for (int i = 1; anchos && i < cuantos; ++i) {
    argumentos.push_back(os::pathToUtf8(std::filesystem::path(anchos[i])));
  }
  ::LocalFree(anchos);
  return argumentos;
#else
  return std::vector<std::string>(argv + 1, argv + argc);
#endif
}

}  // namespace vestran
