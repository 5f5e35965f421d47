#pragma once

// The export run: from an exchange document to the planner tables ASIGNOMT, PROFT, AULAT,
// DIASHORAST, GRUPOST and ASIGT.

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "exportar/CodigosEmitidos.hpp"
#include "exportar/FilasEscritas.hpp"
#include "exportar/LecturaElementos.hpp"
#include "exportar/MarcosHorarios.hpp"
#include "exportar/SolicitudMarcos.hpp"
#include "mensajes/Informe.hpp"
#include "mensajes/Progreso.hpp"
#include "mensajes/Resumen.hpp"
#include "store/errors.hpp"
#include "store/table/table.hpp"
#include "store/text.hpp"
#include "store/xml/document.hpp"

namespace vestran {

// The new tables would leave the planner without days, groups or lessons: they are not
// put in place of the earlier ones. avisos() gives each cause.
class ExportacionInservible : public Error {
 public:
  ExportacionInservible(const std::string& mensaje, std::vector<std::string> avisos)
      : Error(mensaje), avisos_(std::move(avisos)) {}
  const std::vector<std::string>& avisos() const { return avisos_; }

 private:
  std::vector<std::string> avisos_;
};

// What the run does with new tables that the planner could not work with (no days, no
// groups or no lessons).
enum class SiNoSirven {
  detener,  // stop with ExportacionInservible; the earlier tables stay (the programs)
  colocar,  // put them in place all the same (tests and tools that look at single tables)
};

struct OpcionesExportacion {
  std::filesystem::path documento;
  // The document already read with leerDocumentoDeIntercambio, if the caller has it; the
  // run reads `documento` otherwise.
  std::optional<Document> documentoLeido;
  std::filesystem::path directorio;  // the planner directory; created when missing
  TableFormat formato = TableFormat::level7;
  ElegirMarcos elegirMarcos;
  AvisoDeProgreso progreso{};  // may be empty
  SiNoSirven siNoSirven = SiNoSirven::detener;
};

struct FilasDeTabla {
  std::string tabla;
  std::size_t filas = 0;
};

struct ResultadoExportacion {
  std::filesystem::path carpeta;     // where the tables now are
  std::vector<FilasDeTabla> tablas;  // in the order they were written
  Informe informe;                   // what was dropped, changed or out of shape
  // What keeps the planner from working with the tables, with its cause.
  std::vector<std::string> avisos;
  std::chrono::microseconds colocacion{0};  // how long putting the new tables in place took
};

// The tables an export writes, in the order it writes them.
std::span<const std::string_view> tablasExportadas();

// The summary the window and the CLI show: the rows of each table and the warnings.
Resumen resumir(const ResultadoExportacion& resultado);

// One export run. Its state (the document, the code lists, the frames chosen) lives and
// dies with the object, so every run starts clean.
class Exportacion {
 public:
  explicit Exportacion(OpcionesExportacion opciones);

  // One step of the run: the table a builder writes, and the builder.
  struct Paso {
    std::string_view tabla;
    void (Exportacion::*construir)();
  };
  static const Paso kPasos[7];

  // Checks the document, then recreates the six tables in order. All six are written
  // beside the live ones and put in their place together at the end: a run that stops,
  // whatever the reason, leaves the earlier tables as they were. A document that does not
  // parse, whose root is not datosGHC or that has no time frame stops the run at once.
  // Throws Error (with the Spanish message for the user) when the run stops:
  // FolderBusyError when another run uses the planner folder, TableLockedError when the
  // planner holds a table, OutOfMemoryError, ConversionError, ExportacionCancelada, …
  ResultadoExportacion ejecutar();

 private:
  // Reads the document; stops the run before any table is touched when it cannot be used.
  void comprobarDocumento();
  // Runs the builders in order; a table that cannot be written stops the run with what to
  // do and the word that the live tables are untouched.
  void construirTablas();
  // Throws ExportacionInservible when a warning says the planner could not work with the
  // new tables.
  void exigirTablasUtiles() const;
  void ExportarMaterias();
  // Keeps a row of ASIGNOMT for ExportarSesiones to find, by name and by code.
  void recordarFila(const Table& tabla, const std::string& codigo, const std::string& texto);
  void ExportarTareas();
  void ExportarProfesores();
  void ExportarAulas();
  void ExportarMarcos();
  void ExportarGrupos();
  void ExportarSesiones();

  std::string elegirSeleccion(const std::vector<Element>& marcos);
  void darLetrasDeMarco(Table& tabla);
  void avisarMarcosSinHoras(Table& tabla);
  // Tells the progress callback, now and then, how far the builder of `tabla` has got.
  void avanzar(std::string_view tabla, std::size_t hechos, std::size_t total);
  // Closes a table the run wrote, reports characters it could not hold and counts its rows.
  void cerrar(Table& tabla);

  OpcionesExportacion opciones_;
  std::filesystem::path tablas_;  // where this run writes and reads its tables
  Document XMLDoc;
  CodigosEmitidos CodigosCortos{"ASIGNOMT"};
  CodeList CodigosLargos;
  std::string MarcoElegido1;
  std::string MarcoElegido2;
  std::string LetraMarco1;
  std::string LetraMarco2;
  std::vector<std::string> marcosElegidos_;  // the chosen frames' identifiers, whole
  // What ExportarSesiones looks up of the tables written before it.
  struct FilaGrupo {
    std::string abrev, nivel, curso, grupo;
  };
  FilasEscritas<std::string> codigoPorNombre_;   // ASIGNOMT: COD of each NOMBRE
  FilasEscritas<std::string> codigoPorCodigo_;   // ASIGNOMT: COD of each COD
  FilasEscritas<std::string> profesorPorAbrev_;  // PROFT: ABREV of each ABREV
  FilasEscritas<FilaGrupo> grupoPorNombre_;      // GRUPOST: the codes of each DESCRIP
  // A session's teacher, group and task as the tables hold them; empty (and reported)
  // when they are not there.
  std::string profesorDeSesion(const std::string& profesor, const Lugar& donde);
  const FilaGrupo& grupoDeSesion(const std::string& grupo, const Lugar& donde);
  std::string tareaDeSesion(const std::string& tarea, const Lugar& donde);
  // What ASIGT gets of a session whose subject it has: its teacher, group and task looked
  // up in the tables written before, its periods, its identifier.
  struct FilaSesion {
    std::string cprof;
    const FilaGrupo* grupo = nullptr;
    std::string horas, sesiones, ctarea;
    std::optional<std::int32_t> clSesion;  // none when it has no attribute
  };
  FilaSesion leerSesion(const HijosEsperados& hijos, const std::optional<Attribute>& id,
                        const Lugar& donde);
  ResultadoExportacion resultado_;
};

}  // namespace vestran
