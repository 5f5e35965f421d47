#include "importar/Importacion.hpp"

#include <limits>
#include <string>

#include "store/document.hpp"
#include "store/errors.hpp"
#include "store/intercambio.hpp"
#include "store/os_file.hpp"
#include "store/table.hpp"
#include "store/text.hpp"

namespace vestran {

namespace fs = std::filesystem;

namespace {

// The name of the first generic room in AULAT, or "" when there is none.
std::string nombreDeAulaGenerica(Table& aulas) {
  for (aulas.first(); !aulas.eof(); aulas.next()) {
    if (aulas.text("CL_GENERICA") == "S") return aulas.text("NOMBRE");
  }
  return "";
}

std::int32_t enteroDeSoluc(const Table& soluc, std::string_view campo, std::int64_t valor,
                           std::size_t fila) {
  if (valor < std::numeric_limits<std::int32_t>::min() ||
      valor > std::numeric_limits<std::int32_t>::max()) {
    throw ConversionError("SOLUC, fila " + std::to_string(fila) + ": el valor de " +
                          std::string(campo) + " (" + soluc.text(campo) +
                          ") no es un número entero válido.");
  }
  return static_cast<std::int32_t>(valor);
}

}  // namespace

fs::path archivoResultado(const fs::path& documento) {
  fs::path nombre = os::pathFromUtf8("ResultadoVestran");
  nombre += documento.filename();
  return documento.parent_path() / nombre;
}

ResultadoImportacion importar(const OpcionesImportacion& opciones) {
  const fs::path& dir = opciones.directorio;
  Table soluc = Table::open(dir, "SOLUC");
  Table grupos = Table::open(dir, "GRUPOST");
  Table profesores = Table::open(dir, "PROFT");
  Table aulas = Table::open(dir, "AULAT");
  Table nomAsg = Table::open(dir, "ASIGNOMT");
  Table tramos = Table::open(dir, "DIASHORAST");
  Table asig = Table::open(dir, "ASIGT");

  ResultadoImportacion r;
  const std::string aulaGenerica = nombreDeAulaGenerica(aulas);

  Document XMLDoc =
      leerDocumentoDeIntercambio(opciones.documento, "No se ha escrito ningún archivo.");
  Element datosGHC = XMLDoc.root();
  Element nuevo = XMLDoc.createElement("horario");
  datosGHC.appendChild(nuevo);
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

  std::size_t fila = 0;
  for (soluc.first(); !soluc.eof(); soluc.next()) {
    ++fila;
    const std::string donde = "fila " + std::to_string(fila);
    const std::int64_t dia = soluc.integer("DIA");
    if (dia == 0) {
      sinColocar.contar(donde);
      continue;
    }

    const std::string letra = soluc.text("MARCO");
    std::string marco;
    if (tramos.locate("MARCO", {letra})) {
      marco = tramos.text("MARCOXML");
    } else {
      sinMarco.contar(donde + " (MARCO '" + letra + "')");
    }
    Element tramo = XMLDoc.createElement("tramo");
    tramo.setAttribute("dia", enteroDeSoluc(soluc, "DIA", dia - 1, fila));
    tramo.setAttribute("indice", enteroDeSoluc(soluc, "HORA", soluc.integer("HORA"), fila));
    tramo.setAttribute("marco", marco);
    horario.appendChild(tramo);
    horario.appendText("\n");

    Element aula = XMLDoc.createElement("aula");
    const std::string codigoAula = soluc.text("AULA");
    if (trim(codigoAula).empty()) {
      aula.setAttribute("anonima", aulaGenerica);
    } else if (!aulas.locate("ABREV", {codigoAula})) {
      sinAula.contar(donde + " (AULA '" + codigoAula + "')");
    } else if (aulas.text("CL_GENERICA") == "N") {
      aula.setAttribute("id", aulas.text("NOMBRE"));
    }
    tramo.appendChild(aula);

    // Of several sessions of one subject and group, the lesson's own teacher's.
    const std::string asignatura = soluc.text("ASIG");
    const std::string grupo = soluc.text("CODGRUPO");
    const std::string profesor = soluc.text("PROF");
    Element sesion = XMLDoc.createElement("sesion");
    if (asig.locate("CASIG;CGRUP;CPROF", {asignatura, grupo, profesor}) ||
        asig.locate("CASIG;CGRUP", {asignatura, grupo})) {
      sesion.setText(asig.text("CL_SESION"));
    } else {
      sinSesion.contar(donde + " (ASIG '" + asignatura + "', CODGRUPO '" + grupo + "')");
    }
    aula.appendChild(sesion);

    Element elementoProfesor = XMLDoc.createElement("profesor");
    elementoProfesor.setText(profesor);
    aula.appendChild(elementoProfesor);
    ++r.tramos;
  }

  r.archivo = archivoResultado(opciones.documento);
  XMLDoc.save(r.archivo);
  for (Table* t : {&soluc, &grupos, &profesores, &aulas, &nomAsg, &tramos, &asig}) t->close();

  for (const Recuento* c : {&sinColocar, &sinMarco, &sinAula, &sinSesion}) c->anotarEn(r.informe);
  return r;
}

}  // namespace vestran
