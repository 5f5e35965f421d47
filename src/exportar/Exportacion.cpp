#include "exportar/Exportacion.hpp"

#include <algorithm>
#include <system_error>

#include "store/errors.hpp"
#include "store/intercambio.hpp"
#include "store/os_file.hpp"

namespace vestran {

Exportacion::Exportacion(OpcionesExportacion opciones) : opciones_(std::move(opciones)) {}

ResultadoExportacion Exportacion::ejecutar() {
  comprobarDocumento();
  std::error_code ec;
  std::filesystem::create_directories(opciones_.directorio, ec);
  if (ec) {
    throw TableError("No se pudo crear la carpeta del planificador " +
                     os::pathToUtf8(opciones_.directorio) + ": " + os::describe(ec));
  }
  ExportarMaterias();
  ExportarTareas();
  ExportarProfesores();
  ExportarAulas();
  ExportarMarcos();
  ExportarGrupos();
  ExportarSesiones();
  return std::move(resultado_);
}

void Exportacion::comprobarDocumento() {
  constexpr std::string_view kNadaHecho = "No se ha modificado ninguna tabla.";
  XMLDoc = leerDocumentoDeIntercambio(opciones_.documento, kNadaHecho);
  if (XMLDoc.select("/datosGHC/marcosDeHorario/marcoHorario").empty()) {
    throw DocumentError("El documento " + os::pathToUtf8(opciones_.documento) +
                        " no tiene ningún marco horario (<marcoHorario> dentro de "
                        "<marcosDeHorario>).\n" + std::string(kNadaHecho));
  }
}

void Exportacion::cerrar(Table& tabla) {
  for (const Substitution& s : tabla.substitutions()) {
    resultado_.informe.anotar(tabla.name() + ", fila " + std::to_string(s.row) + ", campo " +
                              s.field + ": '" + s.text +
                              "' tiene caracteres que Windows-1252 no admite; se guardan como '?'.");
  }
  const std::size_t filas = tabla.rowCount();
  const std::string nombre = tabla.name();
  tabla.close();
  auto& tablas = resultado_.tablas;
  const auto existente = std::find_if(tablas.begin(), tablas.end(),
                                      [&](const FilasDeTabla& t) { return t.tabla == nombre; });
  if (existente != tablas.end()) {
    existente->filas = filas;
  } else {
    tablas.push_back({nombre, filas});
  }
}

}  // namespace vestran
