// PROFT: one row per teacher, coded by the short name.

#include "exportar/Exportacion.hpp"
#include "exportar/LecturaElementos.hpp"

namespace vestran {

namespace {

const std::vector<FieldDef> kCamposProft = {
    {"ABREV", FieldKind::character, 10},  {"NOMBRE", FieldKind::character, 80},
    {"DEPART", FieldKind::character, 40}, {"EMAIL", FieldKind::character, 100},
    {"DNI", FieldKind::integer},          {"X_EMPLEADO", FieldKind::character, 10},
};

}  // namespace

void Exportacion::ExportarProfesores() {
  CodigosEmitidos emitidos("PROFT");
  Table::recreate(tablas_, "PROFT", kCamposProft, opciones_.formato);
  const auto profesores = XMLDoc.select("/datosGHC/profesores/profesor");
  Table tabla = Table::open(tablas_, "PROFT");
  Informe& informe = resultado_.informe;
  for (std::size_t i = 0; i < profesores.size(); ++i) {
    avanzar("PROFT", i, profesores.size());
    const Lugar donde = situacion(profesores[i], i + 1);
    // The short name is not cut before the clash test; repeated names get suffixes.
    const std::string nombre = textoHijo(profesores[i], "nombre", donde, informe);
    const std::string abrev = emitidos.emitir(nombre, nombre);
    const std::size_t ancho = tabla.field("ABREV").width;
    profesorPorAbrev_.anotar(abrev, ancho, storedInPlannerTable(abrev, ancho));
    tabla.append();
    tabla.setText("ABREV", abrev);
    tabla.setText("NOMBRE", textoHijo(profesores[i], "nombreCompleto", donde, informe));
    tabla.post();
  }
  cerrar(tabla);
}

}  // namespace vestran
