#include "store/os/file_error.hpp"

#include "store/os/paths.hpp"

namespace vestran::os {

std::string describe(std::error_code code) {
  const std::error_condition c = code.default_error_condition();
  if (c == std::errc::no_such_file_or_directory) return "no existe el archivo o la carpeta";
  if (c == std::errc::permission_denied || c == std::errc::operation_not_permitted) {
    return "no hay permiso para hacerlo";
  }
  if (c == std::errc::read_only_file_system) return "el disco es de solo lectura";
  if (isDiskFull(code)) return "no queda espacio en el disco";
  if (c == std::errc::is_a_directory) return "es una carpeta";
  if (c == std::errc::not_a_directory) return "una parte de la ruta no es una carpeta";
  if (c == std::errc::filename_too_long) return "la ruta es demasiado larga";
  if (c == std::errc::too_many_files_open) return "hay demasiados archivos abiertos";
  if (c == std::errc::io_error) return "error de entrada/salida del disco";
  if (c == std::errc::not_enough_memory) return "no hay memoria suficiente";
  if (c == std::errc::too_many_symbolic_link_levels) return "los enlaces forman un ciclo";
  if (c == std::errc::invalid_argument) return "no es un archivo normal";
  if (c == std::errc::value_too_large) return "es demasiado grande";
  return "error del sistema " + std::to_string(code.value()) + " (" + code.message() + ")";
}

bool isDiskFull(std::error_code code) {
  const std::error_condition c = code.default_error_condition();
  return c == std::errc::no_space_on_device || c == std::errc::file_too_large;
}

void throwFileError(const std::string& what, const std::filesystem::path& path,
                    std::error_code code) {
  throw FileError(what + " '" + pathForUser(path) + "': " + describe(code), code);
}

}  // namespace vestran::os
