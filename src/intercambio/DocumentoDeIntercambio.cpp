#include "intercambio/DocumentoDeIntercambio.hpp"

#include <new>

#include "store/errors.hpp"
#include "store/os_file.hpp"

namespace vestran {

Document leerDocumentoDeIntercambio(const std::filesystem::path& archivo,
                                    std::string_view nadaHecho, Entrada entrada) {
  const std::string nombre = os::pathToUtf8(archivo);
  const ErrorPlace lugar{.file = archivo};
  const std::string final = nadaHecho.empty() ? "" : "\n" + std::string(nadaHecho);
  Document d;
  try {
    std::optional<std::string> contenido = os::readWholeFile(archivo);
    if (!contenido) {
      throw DocumentError("No se pudo leer el documento " + nombre + "." + final, lugar);
    }
    d = Document::parse(*contenido);
    if (entrada == Entrada::conservar && !d.empty()) d.keepInput(std::move(*contenido));
  } catch (const std::bad_alloc&) {
    throw OutOfMemoryError("No hay memoria suficiente para leer el documento " + nombre + "." +
                               final,
                           lugar);
  }
  if (d.empty()) {
    ErrorPlace conLinea = lugar;
    conLinea.line = d.problem()->line;
    throw DocumentError(d.problem()->message + ".\nDocumento: " + nombre + final, conLinea);
  }
  if (d.root().name() != "datosGHC") {
    throw DocumentError("El documento " + nombre + " no es un documento de intercambio: su "
                            "elemento raíz es <" + d.root().name() + "> y no <datosGHC>." + final,
                        lugar);
  }
  return d;
}

}  // namespace vestran
