#include "cli/commands.hpp"

#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

#include "exportar/Exportacion.hpp"
#include "importar/Importacion.hpp"
#include "store/errors.hpp"
#include "store/os_file.hpp"
#include "store/planner_dir.hpp"
#include "store/table.hpp"
#include "store/table_csv.hpp"

namespace vestran::cli {

namespace fs = std::filesystem;

namespace {

constexpr const char* kNoExisteArchivo = "No existe archivo";

// The system's messages use Windows line breaks; a terminal wants plain ones.
std::string paraTerminal(std::string_view texto) {
  std::string s(texto);
  for (std::size_t at; (at = s.find("\r\n")) != std::string::npos;) s.replace(at, 2, "\n");
  return s;
}

void mostrarInforme(const Informe& informe) {
  for (const std::string& linea : informe.lineas()) std::cerr << linea << '\n';
}

TableFormat formatoPedido(const CommandLine& line) {
  try {
    return tableFormat(line.formato);
  } catch (const Error& e) {
    throw UsageError(e.what());
  }
}

std::string listaDeMarcos(const std::vector<MarcoHorario>& marcos) {
  std::string lista;
  for (const MarcoHorario& m : marcos) lista += "\n  " + m.id;
  return lista;
}

// The frames the command line chooses; checked before any table is touched.
std::vector<std::size_t> marcosElegidosEn(const CommandLine& line, const fs::path& documento) {
  const Document d = Document::load(documento);
  const auto marcos = listarMarcos(d);
  if (!line.marcos) {
    if (marcos.size() > 1) {
      throw UsageError("El documento tiene " + std::to_string(marcos.size()) +
                       " marcos horarios; elija uno o dos con --marcos ID[,ID]:" +
                       listaDeMarcos(marcos));
    }
    return {};
  }
  try {
    return marcosPorIdentificador(marcos, *line.marcos);
  } catch (const SeleccionInvalida& e) {
    throw UsageError(paraTerminal(e.what()) + "\nMarcos horarios del documento:" +
                     listaDeMarcos(marcos));
  }
}

// The document the command names; nullopt, after the job's missing-file message, when
// there is no such file.
std::optional<fs::path> documentoPedido(const CommandLine& line, std::string_view sinArchivo) {
  fs::path documento = os::pathFromUtf8(line.arguments[0]);
  if (fs::is_regular_file(documento)) return documento;
  std::cerr << sinArchivo << '\n';
  return std::nullopt;
}

}  // namespace

int exportar(const CommandLine& line) {
  const auto documento = documentoPedido(line, kNoExisteArchivo);
  if (!documento) return kNoDocument;
  OpcionesExportacion opciones;
  opciones.documento = *documento;
  opciones.directorio = plannerDirectory(line.dir);
  opciones.formato = formatoPedido(line);
  const auto elegidos = marcosElegidosEn(line, *documento);
  opciones.elegirMarcos = [elegidos](const SolicitudMarcos&) { return elegidos; };

  const ResultadoExportacion r = Exportacion(std::move(opciones)).ejecutar();
  mostrarInforme(r.informe);
  std::cout << "Proceso finalizado\n";
  std::cout << "Tablas en " << os::pathToUtf8(plannerDirectory(line.dir)) << ":\n";
  for (const FilasDeTabla& t : r.tablas) {
    std::cout << "  " << t.tabla << ": " << t.filas << (t.filas == 1 ? " fila\n" : " filas\n");
  }
  return kCompleted;
}

int importar(const CommandLine& line) {
  const auto documento = documentoPedido(line, "No existe archivo XML.");
  if (!documento) return kNoDocument;
  const ResultadoImportacion r = vestran::importar({*documento, plannerDirectory(line.dir)});
  mostrarInforme(r.informe);
  std::cout << "Proceso finalizado\n";
  std::cout << "Resultado: " << os::pathToUtf8(fs::absolute(r.archivo)) << '\n';
  std::cout << "Elementos <tramo> escritos: " << r.tramos << '\n';
  return kCompleted;
}

int marcos(const CommandLine& line) {
  const auto documento = documentoPedido(line, kNoExisteArchivo);
  if (!documento) return kNoDocument;
  const Document d = Document::load(*documento);
  if (d.empty()) throw DocumentError(d.problem()->message);
  for (const MarcoHorario& m : listarMarcos(d)) {
    std::cout << m.id << '\n';
    for (const std::string& hora : m.horas) std::cout << "  " << hora << '\n';
  }
  return kCompleted;
}

int tabla(const CommandLine& line) {
  Table t = Table::openFile(os::pathFromUtf8(line.arguments[0]));
  writeCsv(t, std::cout);
  t.close();
  return kCompleted;
}

}  // namespace vestran::cli
