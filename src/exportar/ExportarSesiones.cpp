// ASIGT: one row per teaching session whose subject is in ASIGNOMT.

#include "exportar/Exportacion.hpp"
#include "exportar/LecturaElementos.hpp"

namespace vestran {

namespace {

const std::vector<FieldDef> kCamposAsigt = {
    {"CASIG", FieldKind::character, 10}, {"CPROF", FieldKind::character, 10},
    {"CGRUP", FieldKind::character, 10}, {"CAULA", FieldKind::character, 10},
    {"TURNO", FieldKind::character, 1},  {"NIVEL", FieldKind::character, 5},
    {"CURSO", FieldKind::character, 3},  {"GRUPO", FieldKind::character, 2},
    {"HORAS", FieldKind::floating},      {"SESIONES", FieldKind::character, 20},
    {"NCONEX", FieldKind::character, 4}, {"CTAREA", FieldKind::character, 10},
    {"CL_SESION", FieldKind::integer},
};

constexpr std::int32_t kMaximoDeUnos = 13;

// The planner's distribution text for n weekly periods: n ones up to 13; past 13 the
// digits of n − 13 followed by thirteen ones; nothing for 0 or less.
std::string distribucion(std::int32_t n) {
  if (n <= 0) return "";
  if (n <= kMaximoDeUnos) return std::string(static_cast<std::size_t>(n), '1');
  return std::to_string(n - kMaximoDeUnos) + std::string(kMaximoDeUnos, '1');
}

}  // namespace

void Exportacion::ExportarSesiones() {
  Table::recreate(tablas_, "ASIGT", kCamposAsigt, opciones_.formato);
  Table asig = Table::open(tablas_, "ASIGT");
  Table grupos = Table::open(tablas_, "GRUPOST");
  Table profesores = Table::open(tablas_, "PROFT");
  Table nomAsg = Table::open(tablas_, "ASIGNOMT");
  Informe& informe = resultado_.informe;

  const auto sesiones = XMLDoc.select("/datosGHC/sesionesLectivas/sesion");
  for (std::size_t i = 0; i < sesiones.size(); ++i) {
    avanzar("ASIGT", i, sesiones.size());
    const Element& sesion = sesiones[i];
    const auto atributos = sesion.attributes();
    const std::string id = atributos.empty() ? "" : atributos.front().value;
    const Lugar donde = situacion(sesion, i + 1, id);

    const std::string materia = textoHijo(sesion, "materia", donde, informe);
    if (!nomAsg.locate("NOMBRE", {materia})) {
      informe.anotar(
          donde.tecnico + ": se omite porque su materia '" + materia + "' no está en ASIGNOMT.",
          donde.llano + " no se exporta: su materia, '" + materia +
              "', no está en la lista de materias.");
      continue;
    }
    const std::string casig = nomAsg.text("COD");

    const std::string profesor = textoHijo(sesion, "profesor", donde, informe);
    std::string cprof;
    if (profesores.locate("ABREV", {profesor})) {
      cprof = profesores.text("ABREV");
    } else if (!profesor.empty()) {
      informe.anotar(
          donde.tecnico + ": el profesor '" + profesor + "' no está en PROFT; CPROF queda vacío.",
          donde.llano + ": su profesor, '" + profesor +
              "', no está en la lista de profesores; queda sin profesor.");
    }

    const std::string grupo = textoHijo(sesion, "grupo", donde, informe);
    std::string cgrup, nivel, curso, unidad;
    if (grupos.locate("DESCRIP", {grupo})) {
      cgrup = grupos.text("ABREV");
      nivel = grupos.text("NIVEL");
      curso = grupos.text("CURSO");
      unidad = grupos.text("GRUPO");
    } else if (!grupo.empty()) {
      informe.anotar(donde.tecnico + ": el grupo '" + grupo +
                         "' no está en GRUPOST; CGRUP, NIVEL, CURSO y GRUPO quedan vacíos.",
                     donde.llano + ": su grupo, '" + grupo +
                         "', no está entre los grupos exportados; queda sin grupo.");
    }

    const Element semanal = hijoEsperado(sesion, "distribucionSemanal", donde, informe);
    const Element variable =
        semanal ? hijoEsperado(semanal, "distribucionVariable", donde, informe) : Element();
    std::string horas =
        variable ? textoHijo(variable, "numSesiones", donde, informe) : std::string();
    if (horas.empty()) horas = "1";
    const std::int32_t n = enteroEn(horas, donde, "el número de sesiones");
    if (n < 0) {
      informe.anotar(donde.tecnico + ": <numSesiones> es " + horas +
                         ", un número negativo; HORAS queda en " + horas + " y SESIONES vacío.",
                     donde.llano + ": su número de sesiones es " + horas + ", un número negativo.");
    }

    const std::string tarea = textoHijo(sesion, "tarea", donde, informe);
    std::string ctarea;
    if (nomAsg.locate("COD", {tarea})) {
      ctarea = nomAsg.text("COD");
    } else if (!tarea.empty()) {
      informe.anotar(
          donde.tecnico + ": la tarea '" + tarea + "' no está en ASIGNOMT; CTAREA queda vacío.",
          donde.llano + ": su tarea, '" + tarea +
              "', no está en la lista de materias y tareas; queda sin tarea.");
    }

    asig.append();
    asig.setText("CASIG", casig);
    asig.setText("CPROF", cprof);
    asig.setText("CGRUP", cgrup);
    asig.setText("CAULA", "");
    asig.setText("TURNO", "");
    asig.setText("NIVEL", nivel);
    asig.setText("CURSO", curso);
    asig.setText("GRUPO", unidad);
    asig.setText("HORAS", horas);
    asig.setText("SESIONES", distribucion(n));
    asig.setText("CTAREA", ctarea);
    if (atributos.empty()) {
      informe.anotar(donde.tecnico + ": no tiene atributos; CL_SESION queda vacío.",
                     donde.llano +
                         " no tiene identificador: Colmeda no la reconocerá en el "
                         "horario.");
    } else {
      asig.setInteger("CL_SESION",
                      enteroEn(id, donde, "el identificador " + atributos.front().name));
    }
    asig.post();
  }
  if (asig.rowCount() == 0) {
    resultado_.avisos.push_back(
        sesiones.empty()
            ? std::string("ASIGT ha quedado vacía: el documento no tiene ninguna <sesion> en "
                          "<sesionesLectivas>; el planificador no tendrá clases que colocar.")
            : "ASIGT ha quedado vacía: ninguna de las " + std::to_string(sesiones.size()) +
                  " sesiones del documento tiene una materia que esté en ASIGNOMT; el "
                  "planificador no tendrá clases que colocar.");
  }
  cerrar(asig);
  nomAsg.close();
  profesores.close();
  grupos.close();
}

}  // namespace vestran
