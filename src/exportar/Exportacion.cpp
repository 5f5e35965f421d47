#include "exportar/Exportacion.hpp"

#include <algorithm>
#include <array>
#include <new>
#include <system_error>

#include "intercambio/DocumentoDeIntercambio.hpp"
#include "store/os_file.hpp"
#include "store/planner_folder.hpp"
#include "store/staged_tables.hpp"

namespace vestran {

namespace {

constexpr std::string_view kNadaHecho = "No se ha modificado ninguna tabla.";
constexpr std::array<std::string_view, 6> kTablas = {"ASIGNOMT", "PROFT",   "AULAT",
                                                      "DIASHORAST", "GRUPOST", "ASIGT"};

}  // namespace

Exportacion::Exportacion(OpcionesExportacion opciones) : opciones_(std::move(opciones)) {}

ResultadoExportacion Exportacion::ejecutar() {
  const std::filesystem::path& carpeta = opciones_.directorio;
  try {
    avanzar("Leyendo el documento", 0, 0);
    comprobarDocumento();
    std::error_code ec;
    std::filesystem::create_directories(carpeta, ec);
    if (ec) {
      throw TableError("No se pudo crear la carpeta del planificador " + os::pathToUtf8(carpeta) +
                           ": " + os::describe(ec),
                       {.file = carpeta});
    }
    const PlannerFolder tomada = PlannerFolder::take(carpeta);
    StagedTables nuevas(carpeta);
    nuevas.requireLiveTablesFree(kTablas);
    tablas_ = nuevas.folder();
    ExportarMaterias();
    ExportarTareas();
    ExportarProfesores();
    ExportarAulas();
    ExportarMarcos();
    ExportarGrupos();
    ExportarSesiones();
    avanzar("Colocando las tablas nuevas", 0, 0);
    resultado_.colocacion = nuevas.commit();
    resultado_.carpeta = carpeta;
    return std::move(resultado_);
  } catch (const std::bad_alloc&) {
    throw OutOfMemoryError("No hay memoria suficiente para exportar el documento " +
                               os::pathToUtf8(opciones_.documento) + ".\n" +
                               std::string(kNadaHecho),
                           {.file = opciones_.documento});
  }
}

void Exportacion::comprobarDocumento() {
  if (opciones_.documentoLeido) {
    XMLDoc = std::move(*opciones_.documentoLeido);
    opciones_.documentoLeido.reset();
  } else {
    XMLDoc = leerDocumentoDeIntercambio(opciones_.documento, kNadaHecho);
  }
  if (XMLDoc.select("/datosGHC/marcosDeHorario/marcoHorario").empty()) {
    throw DocumentError("El documento " + os::pathToUtf8(opciones_.documento) +
                            " no tiene ningún marco horario (<marcoHorario> dentro de "
                            "<marcosDeHorario>).\n" + std::string(kNadaHecho),
                        {.file = opciones_.documento});
  }
}

void Exportacion::avanzar(std::string_view tabla, std::size_t hechos, std::size_t total) {
  avisar(opciones_.progreso, tabla, hechos, total);
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

Resumen resumir(const ResultadoExportacion& r) {
  Resumen resumen;
  resumen.lineas.push_back("Tablas en " + os::pathToUtf8(r.carpeta) + ":");
  for (const FilasDeTabla& t : r.tablas) {
    resumen.lineas.push_back("  " + t.tabla + ": " + std::to_string(t.filas) +
                             (t.filas == 1 ? " fila" : " filas"));
  }
  resumen.avisos = r.avisos;
  return resumen;
}

}  // namespace vestran
