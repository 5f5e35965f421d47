#include "importar/Importacion.hpp"

#include <limits>
#include <new>
#include <string>

#include "intercambio/DocumentoDeIntercambio.hpp"
#include "store/document.hpp"
#include "store/errors.hpp"
#include "store/os_file.hpp"
#include "store/planner_folder.hpp"
#include "store/table.hpp"
#include "store/text.hpp"

namespace vestran {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kNadaEscrito = "No se ha escrito ningún archivo.";

// The name of the first generic room in AULAT, or "" when there is none.
std::string nombreDeAulaGenerica(Table& aulas) {
  for (aulas.first(); !aulas.eof(); aulas.next()) {
    if (aulas.text("CL_GENERICA") == "S") return aulas.text("NOMBRE");
  }
  return "";
}

std::string nombreDeTipo(char tipo) {
  switch (tipo) {
    case 'D': return "D (fecha)";
    case 'L': return "L (lógico)";
    case 'M': return "M (memo)";
    case 'T': return "T (fecha y hora)";
    case '@': return "@ (marca de tiempo)";
    case 'G': return "G (objeto)";
    case 'B': return "B (memo binario)";
    default: return std::string(1, tipo);
  }
}

// The planner writes the day and the period as numbers. A field that cannot hold one
// would read as 0 and drop every lesson without a word.
void exigirCampoNumerico(const Table& soluc, std::string_view campo) {
  const dbase::Field& f = soluc.field(campo);
  const bool numerico =
      f.type == 'N' || f.type == 'F' || f.type == 'I' || f.type == '+' || f.type == 'O' ||
      f.type == 'Y' || f.type == 'C' ||
      (f.type == 'B' && soluc.variant() == dbase::Variant::visualFoxPro);
  if (!numerico) {
    throw TableError("El campo " + std::string(campo) + " de SOLUC (" +
                         os::pathToUtf8(soluc.path()) + ") es de tipo " + nombreDeTipo(f.type) +
                         ", que no guarda números: el día y la hora de cada clase deben ser "
                         "números.\n" + std::string(kNadaEscrito),
                     {.table = "SOLUC", .file = soluc.path(), .field = std::string(campo)});
  }
}

std::int32_t enteroDeSoluc(const Table& soluc, std::string_view campo, std::int64_t valor) {
  if (valor < std::numeric_limits<std::int32_t>::min() ||
      valor > std::numeric_limits<std::int32_t>::max()) {
    throw ConversionError("SOLUC, fila " + std::to_string(soluc.rowNumber()) + ": el valor de " +
                              std::string(campo) + " (" + soluc.text(campo) +
                              ") no es un número entero válido.\n" + std::string(kNadaEscrito),
                          {.table = "SOLUC", .file = soluc.path(), .row = soluc.rowNumber(),
                           .field = std::string(campo)});
  }
  return static_cast<std::int32_t>(valor);
}

ResultadoImportacion importarEnCarpeta(const OpcionesImportacion& opciones) {
  const fs::path& dir = opciones.directorio;
  const PlannerFolder tomada = PlannerFolder::take(dir);
  Table soluc = Table::open(dir, "SOLUC");
  Table grupos = Table::open(dir, "GRUPOST");
  Table profesores = Table::open(dir, "PROFT");
  Table aulas = Table::open(dir, "AULAT");
  Table nomAsg = Table::open(dir, "ASIGNOMT");
  Table tramos = Table::open(dir, "DIASHORAST");
  Table asig = Table::open(dir, "ASIGT");
  exigirCampoNumerico(soluc, "DIA");
  exigirCampoNumerico(soluc, "HORA");

  ResultadoImportacion r;
  if (const auto nota = soluc.codePageNote()) r.informe.anotar(*nota);
  const std::string aulaGenerica = nombreDeAulaGenerica(aulas);

  avisar(opciones.progreso, "Leyendo el documento", 0, 0);
  Document XMLDoc =
      leerDocumentoDeIntercambio(opciones.documento, kNadaEscrito, Entrada::conservar);
  Element datosGHC = XMLDoc.root();
  const Element nuevo = datosGHC.appendElement("horario");
  // The first <horario> receives the lessons: the new one, unless the document had one.
  Element horario = datosGHC.child("horario");
  if (horario != nuevo) {
    r.informe.anotar("Aviso: el documento ya tenía un <horario> (línea " +
                     std::to_string(horario.line()) +
                     "); las clases se añaden a ese y el <horario> nuevo queda vacío al final.");
  }

  // One lesson a line, so that the result stays readable.
  if (!horario.hasChildNodes()) horario.appendText("\n");

  Recuento sinColocar("Filas de SOLUC con DIA 0, que no se importan");
  Recuento sinMarco("Filas de SOLUC cuyo MARCO no está en DIASHORAST (marco vacío)");
  Recuento sinAula("Filas de SOLUC cuya AULA no está en AULAT (aula sin atributos)");
  Recuento sinSesion("Filas de SOLUC cuya ASIG y CODGRUPO no están en ASIGT (sesion vacía)");

  const std::size_t filas = soluc.rowCount();
  std::size_t fila = 0;
  for (soluc.first(); !soluc.eof(); soluc.next()) {
    avisar(opciones.progreso, "SOLUC", fila, filas);
    ++fila;
    const std::string donde = "fila " + std::to_string(soluc.rowNumber());
    const std::int64_t dia = soluc.integer("DIA");
    if (dia == 0) {
      sinColocar.contar(donde);
      continue;
    }
    // Every value is read before the lesson's elements are made.
    const std::int32_t atributoDia = enteroDeSoluc(soluc, "DIA", dia - 1);
    const std::int32_t atributoIndice = enteroDeSoluc(soluc, "HORA", soluc.integer("HORA"));
    const std::string letra = soluc.text("MARCO");
    std::string marco;
    if (tramos.locate("MARCO", {letra})) {
      marco = tramos.text("MARCOXML");
    } else {
      sinMarco.contar(donde + " (MARCO '" + letra + "')");
    }

    Element tramo = horario.appendElement("tramo");
    horario.appendText("\n");
    tramo.setAttribute("dia", atributoDia);
    tramo.setAttribute("indice", atributoIndice);
    tramo.setAttribute("marco", marco);

    Element aula = tramo.appendElement("aula");
    const std::string codigoAula = soluc.text("AULA");
    if (trim(codigoAula).empty()) {
      aula.setAttribute("anonima", aulaGenerica);
    } else if (!aulas.locate("ABREV", {codigoAula})) {
      sinAula.contar(donde + " (AULA '" + codigoAula + "')");
    } else if (aulas.text("CL_GENERICA") == "N") {
      aula.setAttribute("id", aulas.text("NOMBRE"));
    }

    // Of several sessions of one subject and group, the lesson's own teacher's.
    const std::string asignatura = soluc.text("ASIG");
    const std::string grupo = soluc.text("CODGRUPO");
    const std::string profesor = soluc.text("PROF");
    Element sesion = aula.appendElement("sesion");
    if (asig.locate("CASIG;CGRUP;CPROF", {asignatura, grupo, profesor}) ||
        asig.locate("CASIG;CGRUP", {asignatura, grupo})) {
      sesion.setText(asig.text("CL_SESION"));
    } else {
      sinSesion.contar(donde + " (ASIG '" + asignatura + "', CODGRUPO '" + grupo + "')");
    }
    aula.appendElement("profesor").setText(profesor);
    ++r.tramos;
  }

  if (r.tramos == 0) {
    r.avisos.push_back("La solución del planificador (SOLUC) no tiene ninguna clase colocada: " +
                       (filas == 0 ? std::string("no tiene ninguna fila")
                                   : "sus " + std::to_string(filas) + " filas tienen DIA 0") +
                       ". El <horario> del resultado queda vacío.");
  }

  r.archivo = archivoResultado(opciones.documento);
  avisar(opciones.progreso, "Guardando el resultado", 0, 0);
  os::removeStaleTemporaries(r.archivo.parent_path(), os::pathToUtf8(r.archivo.filename()));
  XMLDoc.save(r.archivo);
  for (Table* t : {&soluc, &grupos, &profesores, &aulas, &nomAsg, &tramos, &asig}) t->close();

  for (const Recuento* c : {&sinColocar, &sinMarco, &sinAula, &sinSesion}) c->anotarEn(r.informe);
  return r;
}

}  // namespace

fs::path archivoResultado(const fs::path& documento) {
  fs::path nombre = os::pathFromUtf8("ResultadoVestran");
  nombre += documento.filename();
  return documento.parent_path() / nombre;
}

Resumen resumir(const ResultadoImportacion& r) {
  Resumen resumen;
  resumen.lineas.push_back("Resultado: " + os::pathToUtf8(fs::absolute(r.archivo)));
  resumen.lineas.push_back("Elementos <tramo> escritos: " + std::to_string(r.tramos));
  resumen.avisos = r.avisos;
  return resumen;
}

ResultadoImportacion importar(const OpcionesImportacion& opciones) {
  try {
    return importarEnCarpeta(opciones);
  } catch (const std::bad_alloc&) {
    throw OutOfMemoryError("No hay memoria suficiente para importar la solución del "
                               "planificador al documento " +
                               os::pathToUtf8(opciones.documento) + ".\n" +
                               std::string(kNadaEscrito),
                           {.file = opciones.documento});
  }
}

}  // namespace vestran
