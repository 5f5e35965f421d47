#include "store/intercambio.hpp"

#include "store/errors.hpp"
#include "store/os_file.hpp"

namespace vestran {

Document leerDocumentoDeIntercambio(const std::filesystem::path& archivo, std::string_view nadaHecho) {
  Document d = Document::load(archivo);
  const std::string nombre = os::pathToUtf8(archivo);
  if (d.empty()) {
    throw DocumentError(d.problem()->message + ".\nDocumento: " + nombre + "\n" +
                        std::string(nadaHecho));
  }
  if (d.root().name() != "datosGHC") {
    throw DocumentError("El documento " + nombre + " no es un documento de intercambio: su "
                        "elemento raíz es <" + d.root().name() + "> y no <datosGHC>.\n" +
                        std::string(nadaHecho));
  }
  return d;
}

}  // namespace vestran
