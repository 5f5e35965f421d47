#include "ventanas/Fuentes.hpp"

#include <QByteArray>
#include <QtGlobal>

#ifdef _WIN32
#include <windows.h>
#endif

namespace vestran {

bool bajoWine() {
#ifdef _WIN32
  // Wine's ntdll has a function Windows' lacks.
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
#else
  return false;
#endif
}

void elegirMotorDeFuentes() {
  if (bajoWine() && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("windows:fontengine=freetype"));
  }
}

}  // namespace vestran
