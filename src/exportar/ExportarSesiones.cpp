// ASIGT: one row per teaching session whose subject is in ASIGNOMT.

#include <iterator>
#include <vector>
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

// Where NCONEX, never written, and CL_SESION, an integer, stand among the fields.
constexpr std::size_t kNconex = 10;
constexpr std::size_t kClSesion = 12;

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
  // The fields in the order of the table, found once for every row.
  std::vector<const dbase::Field*> campos;
  for (const FieldDef& f : kCamposAsigt) campos.push_back(&asig.field(f.name));
  Informe& informe = resultado_.informe;
  const auto sesiones = XMLDoc.select("/datosGHC/sesionesLectivas/sesion");
  asig.reserveRows(sesiones.size());
  for (std::size_t i = 0; i < sesiones.size(); ++i) {
    avanzar("ASIGT", i, sesiones.size());
    const Element& sesion = sesiones[i];
    const auto id = sesion.firstAttribute();
    const Lugar donde = situacion(sesion, i + 1, id ? id->value : std::string());
    const HijosEsperados hijos(sesion,
                               {"materia", "profesor", "grupo", "distribucionSemanal", "tarea"});
    const std::string materia = textoRecortado(hijos.tomar(0, donde, informe));
    const std::string* casig = codigoPorNombre_.buscar(materia);
    if (!casig) {
      informe.anotar(
          donde.tecnico() + ": se omite porque su materia '" + materia + "' no está en ASIGNOMT.",
          donde.llano() + " no se exporta: su materia, '" + materia +
              "', no está en la lista de materias.");
      continue;
    }
    const FilaSesion fila = leerSesion(hijos, id, donde);
    // CASIG CPROF CGRUP CAULA TURNO NIVEL CURSO GRUPO HORAS SESIONES NCONEX CTAREA
    const std::string_view textos[] = {*casig,
                                       fila.cprof,
                                       fila.grupo->abrev,
                                       "",
                                       "",
                                       fila.grupo->nivel,
                                       fila.grupo->curso,
                                       fila.grupo->grupo,
                                       fila.horas,
                                       fila.sesiones,
                                       "",
                                       fila.ctarea};
    asig.append();
    for (std::size_t c = 0; c < std::size(textos); ++c) {
      if (c != kNconex) asig.setText(*campos[c], textos[c]);
    }
    if (fila.clSesion) asig.setInteger(*campos[kClSesion], *fila.clSesion);
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
}

std::string Exportacion::profesorDeSesion(const std::string& profesor, const Lugar& donde) {
  if (const auto* abrev = profesorPorAbrev_.buscar(profesor)) return *abrev;
  if (!profesor.empty()) {
    resultado_.informe.anotar(
        donde.tecnico() + ": el profesor '" + profesor + "' no está en PROFT; CPROF queda vacío.",
        donde.llano() + ": su profesor, '" + profesor +
            "', no está en la lista de profesores; queda sin profesor.");
  }
  return {};
}

const Exportacion::FilaGrupo& Exportacion::grupoDeSesion(const std::string& grupo,
                                                         const Lugar& donde) {
  static const FilaGrupo kSinGrupo;
  if (const auto* fila = grupoPorNombre_.buscar(grupo)) return *fila;
  if (!grupo.empty()) {
    resultado_.informe.anotar(
        donde.tecnico() + ": el grupo '" + grupo +
            "' no está en GRUPOST; CGRUP, NIVEL, CURSO y GRUPO quedan vacíos.",
        donde.llano() + ": su grupo, '" + grupo +
            "', no está entre los grupos exportados; queda sin grupo.");
  }
  return kSinGrupo;
}

std::string Exportacion::tareaDeSesion(const std::string& tarea, const Lugar& donde) {
  if (const auto* cod = codigoPorCodigo_.buscar(tarea)) return *cod;
  if (!tarea.empty()) {
    resultado_.informe.anotar(
        donde.tecnico() + ": la tarea '" + tarea + "' no está en ASIGNOMT; CTAREA queda vacío.",
        donde.llano() + ": su tarea, '" + tarea +
            "', no está en la lista de materias y tareas; queda sin tarea.");
  }
  return {};
}

Exportacion::FilaSesion Exportacion::leerSesion(const HijosEsperados& hijos,
                                                const std::optional<Attribute>& id,
                                                const Lugar& donde) {
  Informe& informe = resultado_.informe;
  FilaSesion fila;
  fila.cprof = profesorDeSesion(textoRecortado(hijos.tomar(1, donde, informe)), donde);
  fila.grupo = &grupoDeSesion(textoRecortado(hijos.tomar(2, donde, informe)), donde);

  const Element semanal = hijos.tomar(3, donde, informe);
  const Element variable =
      semanal ? hijoEsperado(semanal, "distribucionVariable", donde, informe) : Element();
  fila.horas = variable ? textoHijo(variable, "numSesiones", donde, informe) : std::string();
  if (fila.horas.empty()) fila.horas = "1";
  const std::int32_t n = enteroEn(fila.horas, donde, "el número de sesiones");
  if (n < 0) {
    informe.anotar(
        donde.tecnico() + ": <numSesiones> es " + fila.horas +
            ", un número negativo; HORAS queda en " + fila.horas + " y SESIONES vacío.",
        donde.llano() + ": su número de sesiones es " + fila.horas + ", un número negativo.");
  }
  fila.sesiones = distribucion(n);
  fila.ctarea = tareaDeSesion(textoRecortado(hijos.tomar(4, donde, informe)), donde);
  if (!id) {
    informe.anotar(donde.tecnico() + ": no tiene atributos; CL_SESION queda vacío.",
                   donde.llano() +
                       " no tiene identificador: Colmeda no la reconocerá en el "
                       "horario.");
  } else {
    fila.clSesion = enteroEn(id->value, donde, "el identificador " + id->name);
  }
  return fila;
}

}  // namespace vestran
