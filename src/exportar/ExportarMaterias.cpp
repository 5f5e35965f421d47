// ASIGNOMT: the subjects, then the tasks, each with a short code.

#include <optional>

#include "exportar/Exportacion.hpp"
#include "exportar/LecturaElementos.hpp"

namespace vestran {

namespace {

const std::vector<FieldDef> kCamposAsignomt = {
    {"COD", FieldKind::character, 10},      {"CODLARGO", FieldKind::character, 10},
    {"NOMBRE", FieldKind::character, 80},   {"MATERIA", FieldKind::character, 8},
    {"CODTAREA", FieldKind::character, 10}, {"ESTAREA", FieldKind::logical},
};

// Gives the long code `texto` its short code, or nothing when the text was seen before
// (ignoring letter case) as a subject or a task.
std::optional<std::string> asignarCodigo(CodeList& largos, CodigosEmitidos& cortos,
                                         const std::string& texto) {
  if (!largos.addIfNew(texto)) return std::nullopt;
  return cortos.emitir(firstChars(texto, kLongitudCodigo), texto);
}

void informarRepetido(Informe& informe, const Lugar& donde, const CodeList& largos,
                      const std::string& texto) {
  const std::string& anterior = largos[*largos.indexOf(texto)];
  informe.anotar(
      donde.tecnico() + ": '" + texto + "' se omite porque ya figura como '" + anterior +
          "' en ASIGNOMT.",
      donde.llano() + ", '" + texto + "', no se exporta porque ya está como '" + anterior + "'.");
}

// What a row of ASIGNOMT stands for.
enum class Clase { materia, tarea };

void anotarFila(Table& tabla, const std::string& codigo, const std::string& texto,
                const std::string& codTarea, Clase clase) {
  const bool esTarea = clase == Clase::tarea;
  tabla.append();
  tabla.setText("COD", codigo);
  tabla.setText("CODLARGO", texto);
  tabla.setText("NOMBRE", texto);
  if (esTarea) tabla.setText("CODTAREA", codTarea);
  tabla.setLogical("ESTAREA", esTarea);
  tabla.post();
}

}  // namespace

void Exportacion::recordarFila(const Table& tabla, const std::string& codigo,
                               const std::string& texto) {
  const std::size_t anchoCodigo = tabla.field("COD").width;
  const std::string guardado = storedInPlannerTable(codigo, anchoCodigo);
  codigoPorNombre_.anotar(texto, tabla.field("NOMBRE").width, guardado);
  codigoPorCodigo_.anotar(codigo, anchoCodigo, guardado);
}

void Exportacion::ExportarMaterias() {
  Table::recreate(tablas_, "ASIGNOMT", kCamposAsignomt, opciones_.formato);
  const auto materias = XMLDoc.select("/datosGHC/materias/materia");
  Table tabla = Table::open(tablas_, "ASIGNOMT");
  tabla.reserveRows(materias.size());
  for (std::size_t i = 0; i < materias.size(); ++i) {
    avanzar("ASIGNOMT", i, materias.size());
    const std::string texto = trim(materias[i].text());
    const auto codigo = asignarCodigo(CodigosLargos, CodigosCortos, texto);
    if (!codigo) {
      informarRepetido(resultado_.informe, situacion(materias[i], i + 1), CodigosLargos, texto);
      continue;
    }
    anotarFila(tabla, *codigo, texto, "", Clase::materia);
    recordarFila(tabla, *codigo, texto);
  }
  cerrar(tabla);
}

void Exportacion::ExportarTareas() {
  const auto tareas = XMLDoc.select("/datosGHC/tareas/tarea");
  Table tabla = Table::open(tablas_, "ASIGNOMT");
  for (std::size_t i = 0; i < tareas.size(); ++i) {
    avanzar("ASIGNOMT", i, tareas.size());
    const std::string texto = trim(tareas[i].text());
    const std::string codTarea = firstChars(texto, kLongitudCodigo);
    const auto codigo = asignarCodigo(CodigosLargos, CodigosCortos, texto);
    if (!codigo) {
      informarRepetido(resultado_.informe, situacion(tareas[i], i + 1), CodigosLargos, texto);
      continue;
    }
    anotarFila(tabla, *codigo, texto, codTarea, Clase::tarea);
    recordarFila(tabla, *codigo, texto);
  }
  cerrar(tabla);
}

}  // namespace vestran
