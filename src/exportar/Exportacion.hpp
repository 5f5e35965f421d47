#pragma once

// The export run: from an exchange document to the planner tables ASIGNOMT, PROFT, AULAT,
// DIASHORAST, GRUPOST and ASIGT.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "exportar/CodigosCortos.hpp"
#include "exportar/MarcosHorarios.hpp"
#include "store/document.hpp"
#include "store/informe.hpp"
#include "store/table.hpp"
#include "store/text.hpp"

namespace vestran {

// What the frame chooser gets: the document's path (the chooser may read it again) and its
// frames as the chooser lists them.
struct SolicitudMarcos {
  std::filesystem::path documento;
  std::vector<MarcoHorario> marcos;
};

// Asks which frames to use when the document has several; returns the indices of the
// selected ones, in any order. It is asked again as long as the selection is not one or
// two frames. It may throw ExportacionCancelada to stop the run.
using ElegirMarcos = std::function<std::vector<std::size_t>(const SolicitudMarcos&)>;

// The user left the frame chooser without choosing; the run stops there.
class ExportacionCancelada : public std::runtime_error {
 public:
  explicit ExportacionCancelada(const std::string& motivo = "Exportación cancelada.")
      : std::runtime_error(motivo) {}
};

struct OpcionesExportacion {
  std::filesystem::path documento;
  std::filesystem::path directorio;  // the planner directory; created when missing
  TableFormat formato = TableFormat::level7;
  ElegirMarcos elegirMarcos;
};

struct FilasDeTabla {
  std::string tabla;
  std::size_t filas = 0;
};

struct ResultadoExportacion {
  std::vector<FilasDeTabla> tablas;  // in the order they were written
  Informe informe;
};

// One export run. Its state (the document, the code lists, the frames chosen) lives and
// dies with the object, so every run starts clean.
class Exportacion {
 public:
  explicit Exportacion(OpcionesExportacion opciones);

  // Checks the document, then recreates the six tables in order. A document that does not
  // parse, whose root is not datosGHC or that has no time frame stops the run before any
  // table is touched. Throws Error (with the Spanish message for the user) when the run
  // stops; tables already recreated keep what was written into them.
  ResultadoExportacion ejecutar();

 private:
  // Reads the document; stops the run before any table is touched when it cannot be used.
  void comprobarDocumento();
  void ExportarMaterias();
  void ExportarTareas();
  void ExportarProfesores();
  void ExportarAulas();
  void ExportarMarcos();
  void ExportarGrupos();
  void ExportarSesiones();

  std::string elegirSeleccion(const std::vector<Element>& marcos);
  void darLetrasDeMarco(Table& tabla);
  // Closes a table the run wrote, reports characters it could not hold and counts its rows.
  void cerrar(Table& tabla);

  OpcionesExportacion opciones_;
  Document XMLDoc;
  CodigosEmitidos CodigosCortos{"ASIGNOMT"};
  CodeList CodigosLargos;
  std::string MarcoElegido1;
  std::string MarcoElegido2;
  std::string LetraMarco1;
  std::string LetraMarco2;
  ResultadoExportacion resultado_;
};

}  // namespace vestran
