#include "intercambio/DocumentoDeIntercambio.hpp"

#include <new>
#include <optional>

#include "mensajes/Mensajes.hpp"
#include "store/errors.hpp"
#include "store/os/paths.hpp"
#include "store/os/replacing.hpp"

namespace vestran {

namespace {

// What the user can do about a document that could not be read.
std::string_view siguientePaso(LoadProblem::Kind kind) {
  using Kind = LoadProblem::Kind;
  switch (kind) {
    case Kind::outOfMemory:
      return kCierreOtrosProgramas;
    case Kind::unfinished:
    case Kind::mismatchedTag:
    case Kind::extraContent:
    case Kind::encoding:
    case Kind::malformed:
      return "";  // the document may be the right one, damaged: both steps
    default:
      return kElijaElDocumentoDeColmeda;
  }
}

std::string mensajeDeLectura(const std::string& nombre, const LoadProblem& p,
                             std::string_view nadaHecho) {
  const std::string_view paso = siguientePaso(p.kind);
  return parrafos({"El documento " + nombre + " no se puede usar: " + p.message + ".",
                   paso.empty() ? kElijaElDocumentoDeColmeda : paso,
                   paso.empty() ? kDocumentoDanado : "", nadaHecho});
}

std::string mensajeDeArchivo(const std::string& nombre, const os::FileError& e,
                             std::string_view nadaHecho) {
  const auto c = e.code().default_error_condition();
  if (c == std::errc::value_too_large) {
    return mensajeDeLectura(
        nombre,
        {LoadProblem::Kind::tooLarge, "pasa de 2 GB, más de lo que admite el lector de XML", 0, 0},
        nadaHecho);
  }
  if (c == std::errc::permission_denied || c == std::errc::operation_not_permitted) {
    return parrafos({"No se puede leer el documento " + nombre + ": no tiene permiso para leerlo.",
                     kPidaPermisoDeLectura, nadaHecho});
  }
  if (c == std::errc::invalid_argument || c == std::errc::is_a_directory) {
    return parrafos({nombre + " no es un archivo normal, sino una carpeta, una tubería o un "
                              "dispositivo.",
                     kElijaElDocumentoDeColmeda, nadaHecho});
  }
  return parrafos(
      {"No se pudo leer el documento " + nombre + ": " + os::describe(e.code()) + ".", nadaHecho});
}

}  // namespace

bool existeDocumento(const std::filesystem::path& archivo) {
  std::error_code ec;
  return !archivo.empty() && std::filesystem::exists(archivo, ec);
}

namespace {

// Reads the document with `leer` and checks what it gives (empty() and problem(), and the
// root's name from `raiz`).
template <typename Leido, typename Leer, typename Raiz>
Leido leer(const std::filesystem::path& archivo, std::string_view nadaHecho, Leer leer, Raiz raiz) {
  const std::string nombre = os::pathForUser(archivo);
  const ErrorPlace lugar{.file = archivo};
  std::optional<Leido> d;
  try {
    try {
      d.emplace(leer());
    } catch (const os::FileError& e) {
      throw DocumentError(mensajeDeArchivo(nombre, e, nadaHecho), lugar);
    }
  } catch (const std::bad_alloc&) {
    throw OutOfMemoryError(
        parrafos({"No hay memoria suficiente para leer el documento " + nombre + ".",
                  kCierreOtrosProgramas, nadaHecho}),
        lugar);
  }
  if (d->empty()) {
    ErrorPlace conLinea = lugar;
    conLinea.line = d->problem()->line;
    const std::string mensaje = mensajeDeLectura(nombre, *d->problem(), nadaHecho);
    if (d->problem()->kind == LoadProblem::Kind::outOfMemory)
      throw OutOfMemoryError(mensaje, conLinea);
    throw DocumentError(mensaje, conLinea);
  }
  if (const std::string nombreRaiz = raiz(*d); nombreRaiz != "datosGHC") {
    throw DocumentError(parrafos({"El archivo " + nombre +
                                      " es un documento XML, pero no un "
                                      "documento de intercambio de Colmeda.",
                                  kElijaElDocumentoDeColmeda, nadaHecho}),
                        lugar, "Su elemento raíz es <" + nombreRaiz + "> y no <datosGHC>.");
  }
  return std::move(*d);
}

}  // namespace

Document leerDocumentoDeIntercambio(const std::filesystem::path& archivo,
                                    std::string_view nadaHecho) {
  // Read as it is parsed: the file's bytes are not kept beside the tree.
  return leer<Document>(
      archivo, nadaHecho, [&] { return Document::parseFile(archivo); },
      [](const Document& d) { return d.root().name(); });
}

ExtendedDocument leerParaAmpliar(const std::filesystem::path& archivo, std::string_view hijo,
                                 std::string_view nadaHecho) {
  return leer<ExtendedDocument>(
      archivo, nadaHecho,
      [&] {
        return ExtendedDocument::parse(os::readWholeFile(archivo, Document::kLargestDocument),
                                       hijo);
      },
      [](const ExtendedDocument& d) { return d.rootName(); });
}

}  // namespace vestran
