#include "cli/commands.hpp"

#include <chrono>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

#include "exportar/Exportacion.hpp"
#include "exportar/Restauracion.hpp"
#include "importar/Importacion.hpp"
#include "intercambio/DocumentoDeIntercambio.hpp"
#include "mensajes/Mensajes.hpp"
#include "modos/CarpetaPlanificador.hpp"
#include "store/errors.hpp"
#include "store/os/paths.hpp"
#include "store/table/table.hpp"
#include "store/table/table_csv.hpp"

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace vestran::cli {

namespace fs = std::filesystem;

namespace {

void mostrarInforme(const Informe& informe) {
  for (const std::string& linea : informe.lineas()) std::cerr << linea << '\n';
}

void mostrarResumen(const Resumen& resumen) {
  std::cout << kProcesoFinalizado << '\n';
  for (const std::string& linea : lineasDeTexto(resumen)) std::cout << linea << '\n';
  for (const std::string& aviso : resumen.avisos) std::cout << "Aviso: " << aviso << '\n';
}

// Shows on stderr what the run is doing, once it has lasted a second, and only to a
// person at a terminal.
class ProgresoEnTerminal {
 public:
  ProgresoEnTerminal() : activo_(isatty(fileno(stderr)) != 0) {}
  ~ProgresoEnTerminal() {
    if (mostrado_) std::cerr << "\r\033[K" << std::flush;
  }
  AvisoDeProgreso aviso() {
    if (!activo_) return {};
    return [this](const Progreso& p) {
      if (std::chrono::steady_clock::now() - inicio_ < std::chrono::seconds(1)) return;
      mostrado_ = true;
      std::cerr << "\r\033[K" << textoDeProgreso(p) << std::flush;
    };
  }

 private:
  bool activo_;
  bool mostrado_ = false;
  std::chrono::steady_clock::time_point inicio_ = std::chrono::steady_clock::now();
};

TableFormat formatoPedido(const CommandLine& line) {
  try {
    return formatoDeTablas(line.formato);
  } catch (const SettingError& e) {
    throw UsageError(e.what());
  }
}

std::string listaDeMarcos(const std::vector<MarcoHorario>& marcos) {
  std::string lista;
  for (const MarcoHorario& m : marcos) lista += "\n  " + m.id;
  return lista;
}

// The frames the command line chooses, checked before any table is touched.
std::vector<std::size_t> marcosElegidosEn(const CommandLine& line, const Document& documento) {
  const auto marcos = listarMarcos(documento);
  if (!line.marcos) {
    if (marcos.size() > 1) {
      throw UsageError(
          "El documento tiene " + std::to_string(marcos.size()) +
          " marcos horarios; elija uno o dos con --marcos ID[,ID]:" + listaDeMarcos(marcos));
    }
    return {};
  }
  try {
    return marcosPorIdentificador(marcos, *line.marcos);
  } catch (const SeleccionInvalida& e) {
    throw UsageError(paraTerminal(e.what()) +
                     "\nMarcos horarios del documento:" + listaDeMarcos(marcos));
  }
}

// The document the command names; nullopt, after the job's missing-file message, when
// there is no such file.
std::optional<fs::path> documentoPedido(const CommandLine& line, std::string_view sinArchivo) {
  fs::path documento = os::pathFromUtf8(line.arguments[0]);
  if (existeDocumento(documento)) return documento;
  std::cerr << sinArchivo << '\n';
  return std::nullopt;
}

}  // namespace

ExitCode exportar(const CommandLine& line) {
  const auto documento = documentoPedido(line, kNoExisteArchivo);
  if (!documento) return ExitCode::noDocument;
  OpcionesExportacion opciones;
  opciones.documento = *documento;
  opciones.directorio = carpetaDelPlanificador(line.dir);
  opciones.formato = formatoPedido(line);
  opciones.documentoLeido = leerDocumentoDeIntercambio(*documento, kNingunaTablaModificada);
  const auto elegidos = marcosElegidosEn(line, *opciones.documentoLeido);
  opciones.elegirMarcos = [elegidos](const SolicitudMarcos&) { return elegidos; };
  ProgresoEnTerminal progreso;
  opciones.progreso = progreso.aviso();

  const ResultadoExportacion r = Exportacion(std::move(opciones)).ejecutar();
  mostrarInforme(r.informe);
  mostrarResumen(resumir(r));
  return ExitCode::completed;
}

ExitCode importar(const CommandLine& line) {
  const auto documento = documentoPedido(line, kNoExisteArchivoXml);
  if (!documento) return ExitCode::noDocument;
  ProgresoEnTerminal progreso;
  const ResultadoImportacion r =
      vestran::importar({*documento, carpetaDelPlanificador(line.dir), progreso.aviso()});
  for (const std::string& linea : detallesParaElUsuario(r)) std::cerr << linea << '\n';
  mostrarInforme(r.informe);
  mostrarResumen(resumir(r));
  return ExitCode::completed;
}

ExitCode marcos(const CommandLine& line) {
  const auto documento = documentoPedido(line, kNoExisteArchivo);
  if (!documento) return ExitCode::noDocument;
  const Document d = leerDocumentoDeIntercambio(*documento, "");
  for (const MarcoHorario& m : listarMarcos(d)) {
    std::cout << m.id << '\n';
    if (const auto aviso = avisoDelMarco(m)) std::cout << "  Aviso: " << *aviso << '\n';
    for (const std::string& hora : m.horas) std::cout << "  " << hora << '\n';
  }
  return ExitCode::completed;
}

ExitCode restaurar(const CommandLine& line) {
  mostrarResumen(resumir(restaurarTablasAnteriores(carpetaDelPlanificador(line.dir))));
  return ExitCode::completed;
}

ExitCode tabla(const CommandLine& line) {
  Table t = Table::openFile(os::pathFromUtf8(line.arguments[0]));
  if (const auto nota = t.codePageNote()) std::cerr << *nota << '\n';
  writeCsv(t, std::cout);
  t.close();
  return ExitCode::completed;
}

}  // namespace vestran::cli
