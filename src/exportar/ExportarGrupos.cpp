// GRUPOST: the groups of the time frames the run uses, coded by level, year and unit.

#include "exportar/Exportacion.hpp"
#include "exportar/LecturaElementos.hpp"

namespace vestran {

namespace {

const std::vector<FieldDef> kCamposGrupost = {
    {"ABREV", FieldKind::character, 10}, {"TURNO", FieldKind::character, 1},
    {"NIVEL", FieldKind::character, 5},  {"CURSO", FieldKind::character, 3},
    {"GRUPO", FieldKind::character, 2},  {"DESCRIP", FieldKind::character, 80},
    {"MARCO", FieldKind::character, 1},
};

}  // namespace

void Exportacion::ExportarGrupos() {
  CodigosEmitidos emitidos("GRUPOST");
  Table::recreate(tablas_, "GRUPOST", kCamposGrupost, opciones_.formato);
  const auto grupos = XMLDoc.select("/datosGHC/grupos/grupo");
  Table tabla = Table::open(tablas_, "GRUPOST");
  Informe& informe = resultado_.informe;
  for (std::size_t i = 0; i < grupos.size(); ++i) {
    avanzar("GRUPOST", i, grupos.size());
    const Element& grupo = grupos[i];
    const Lugar donde = situacion(grupo, i + 1);
    const auto atributo = grupo.attribute("submarco");
    if (!atributo) {
      informe.anotar(donde.tecnico() + ": no tiene el atributo submarco.",
                     donde.llano() + " no dice de qué marco horario es.");
    }
    // The whole identifier decides the frame, as it does for the periods.
    const std::string submarco = trim(atributo.value_or(""));
    std::string letra;
    if (submarco == MarcoElegido1) {
      letra = LetraMarco1;
    } else if (submarco == MarcoElegido2) {
      letra = LetraMarco2;
    } else {
      const std::string nombre = trim(grupo.child("nombre").text());
      informe.anotar(donde.tecnico() + " '" + nombre + "': se omite porque su marco horario '" +
                         submarco + "' no se exporta.",
                     donde.llano() + ", '" + nombre +
                         "', no se exporta porque es del marco "
                         "horario '" +
                         submarco + "', que no se ha elegido.");
      continue;
    }
    const std::string nivel = textoHijo(grupo, "nivel", donde, informe);
    const std::string curso = textoHijo(grupo, "curso", donde, informe);
    const std::string unidad = textoHijo(grupo, "unidad", donde, informe);
    const std::string nombre = textoHijo(grupo, "nombre", donde, informe);
    const std::string base = nivel + curso + unidad;
    const std::string abrev = emitidos.emitir(base, base);
    const auto guardado = [&](const std::string& valor, std::string_view campo) {
      return storedInPlannerTable(valor, tabla.field(campo).width);
    };
    grupoPorNombre_.anotar(nombre, tabla.field("DESCRIP").width,
                           {guardado(abrev, "ABREV"), guardado(nivel, "NIVEL"),
                            guardado(curso, "CURSO"), guardado(unidad, "GRUPO")});
    tabla.append();
    tabla.setText("ABREV", abrev);
    tabla.setText("TURNO", "");
    tabla.setText("NIVEL", nivel);
    tabla.setText("CURSO", curso);
    tabla.setText("GRUPO", unidad);
    tabla.setText("MARCO", letra);
    tabla.setText("DESCRIP", nombre);
    tabla.post();
  }
  if (tabla.rowCount() == 0) {
    std::string marcos = "'" + MarcoElegido1 + "'";
    if (!MarcoElegido2.empty()) marcos += " y '" + MarcoElegido2 + "'";
    resultado_.avisos.push_back(
        grupos.empty()
            ? std::string("GRUPOST ha quedado vacía: el documento no tiene ningún "
                          "<grupo> en <grupos>; las sesiones no tendrán grupo.")
            : "GRUPOST ha quedado vacía: ninguno de los " + std::to_string(grupos.size()) +
                  " grupos del documento tiene como submarco el marco horario " + marcos +
                  "; las sesiones no tendrán grupo.");
  }
  cerrar(tabla);
}

}  // namespace vestran
