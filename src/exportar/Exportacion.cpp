#include "exportar/Exportacion.hpp"

#include <algorithm>
#include <array>
#include <new>
#include <system_error>

#include "intercambio/DocumentoDeIntercambio.hpp"
#include "mensajes/Mensajes.hpp"
#include "store/os/file_error.hpp"
#include "store/os/paths.hpp"
#include "store/staging/planner_folder.hpp"
#include "store/staging/staged_tables.hpp"

namespace vestran {

namespace {}  // namespace

// The builders in the order the run calls them; later ones read what earlier ones wrote.
const Exportacion::Paso Exportacion::kPasos[] = {
    {"ASIGNOMT", &Exportacion::ExportarMaterias}, {"ASIGNOMT", &Exportacion::ExportarTareas},
    {"PROFT", &Exportacion::ExportarProfesores},  {"AULAT", &Exportacion::ExportarAulas},
    {"DIASHORAST", &Exportacion::ExportarMarcos}, {"GRUPOST", &Exportacion::ExportarGrupos},
    {"ASIGT", &Exportacion::ExportarSesiones},
};

std::span<const std::string_view> tablasExportadas() {
  static const std::vector<std::string_view> tablas = [] {
    std::vector<std::string_view> t;
    for (const Exportacion::Paso& p : Exportacion::kPasos) {
      if (std::find(t.begin(), t.end(), p.tabla) == t.end()) t.push_back(p.tabla);
    }
    return t;
  }();
  return tablas;
}

Exportacion::Exportacion(OpcionesExportacion opciones) : opciones_(std::move(opciones)) {}

ResultadoExportacion Exportacion::ejecutar() {
  const std::filesystem::path& carpeta = opciones_.directorio;
  try {
    avanzar("Leyendo el documento", 0, 0);
    comprobarDocumento();
    std::error_code ec;
    std::filesystem::create_directories(carpeta, ec);
    if (ec) {
      throw TableError(parrafos({"No se pudo crear la carpeta del planificador " +
                                     os::pathForUser(carpeta) + ": " + os::describe(ec) + ".",
                                 kNingunaTablaModificada}),
                       {.file = carpeta});
    }
    const PlannerFolder tomada = PlannerFolder::take(carpeta);
    StagedTables nuevas(carpeta, tablasExportadas());
    nuevas.requireLiveTablesFree();
    tablas_ = nuevas.folder();
    construirTablas();
    exigirTablasUtiles();
    avanzar("Colocando las tablas nuevas", 0, 0);
    resultado_.colocacion = nuevas.commit();
    resultado_.carpeta = carpeta;
    return std::move(resultado_);
  } catch (const std::bad_alloc&) {
    throw OutOfMemoryError(parrafos({"No hay memoria suficiente para exportar el documento " +
                                         os::pathForUser(opciones_.documento) + ".",
                                     kCierreOtrosProgramas, kNingunaTablaModificada}),
                           {.file = opciones_.documento});
  }
}

void Exportacion::construirTablas() {
  try {
    for (const Paso& paso : kPasos) (this->*paso.construir)();
  } catch (const TableLockedError&) {
    throw;
  } catch (const TableError& e) {
    // A new table could not be written (a full disk, say): the live ones are untouched.
    const auto c = e.place().cause.default_error_condition();
    const std::string_view paso =
        os::isDiskFull(e.place().cause)     ? "Libere espacio en el disco y vuelva a exportar."
        : c == std::errc::permission_denied ? "Compruebe que puede escribir en la carpeta del "
                                              "planificador y vuelva a exportar."
                                            : "";
    throw TableError(parrafos({e.what(), paso, kNingunaTablaModificada}), e.place());
  }
}

void Exportacion::comprobarDocumento() {
  if (opciones_.documentoLeido) {
    XMLDoc = std::move(*opciones_.documentoLeido);
    opciones_.documentoLeido.reset();
  } else {
    XMLDoc = leerDocumentoDeIntercambio(opciones_.documento, kNingunaTablaModificada);
  }
  if (XMLDoc.select(kRutaMarcos).empty()) {
    throw DocumentError(parrafos({"El documento " + os::pathForUser(opciones_.documento) +
                                      " no tiene ningún marco horario (las jornadas con sus "
                                      "horas), y sin ellos el planificador no tiene días ni horas.",
                                  "Defina los marcos horarios en Colmeda y exporte el documento "
                                  "de nuevo.",
                                  kNingunaTablaModificada}),
                        {.file = opciones_.documento},
                        "Falta <marcoHorario> dentro de <marcosDeHorario>.");
  }
  exigirIdentificadoresDistintos(XMLDoc, opciones_.documento);
}

void Exportacion::exigirTablasUtiles() const {
  if (resultado_.avisos.empty() || opciones_.siNoSirven == SiNoSirven::colocar) return;
  std::string motivos;
  for (const std::string& aviso : resultado_.avisos) motivos += "\n" + aviso;
  throw ExportacionInservible(
      "Las tablas nuevas no servirían al planificador, así que no se han colocado:" + motivos +
          "\n" + std::string(kNingunaTablaModificada),
      resultado_.avisos);
}

void Exportacion::avanzar(std::string_view tabla, std::size_t hechos, std::size_t total) {
  avisar(opciones_.progreso, tabla, hechos, total);
}

void Exportacion::cerrar(Table& tabla) {
  for (const Substitution& s : tabla.substitutions()) {
    resultado_.informe.anotar(tabla.name() + ", fila " + std::to_string(s.row) + ", campo " +
                                  s.field + ": '" + s.text + "' tiene caracteres que " +
                                  codePageName(kPlannerCodePage) +
                                  " no admite; se guardan como '?'.",
                              "'" + s.text +
                                  "' tiene letras que el planificador no puede "
                                  "guardar; se guardan como '?' (tabla " +
                                  tabla.name() + ").");
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
  resumen.lineas.push_back("Tablas en " + os::pathForUser(r.carpeta) + ":");
  for (const FilasDeTabla& t : r.tablas) {
    resumen.cifras.emplace_back(t.tabla, filas(t.filas));
  }
  resumen.avisos = r.avisos;
  return resumen;
}

}  // namespace vestran
