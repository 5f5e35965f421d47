#include "importar/Importacion.hpp"

#include <limits>
#include <new>
#include <string>

#include "intercambio/DocumentoDeIntercambio.hpp"
#include "mensajes/Mensajes.hpp"
#include "store/errors.hpp"
#include "store/os/paths.hpp"
#include "store/os/replacing.hpp"
#include "store/staging/planner_folder.hpp"
#include "store/table/table.hpp"
#include "store/text.hpp"

namespace vestran {

namespace fs = std::filesystem;

namespace {

// The seven tables, opened in the order the planner's solution is read with.
struct TablasDelPlanificador {
  Table soluc, grupos, profesores, aulas, nomAsg, tramos, asig;

  static TablasDelPlanificador abrir(const fs::path& dir) {
    return {Table::open(dir, "SOLUC"), Table::open(dir, "GRUPOST"),  Table::open(dir, "PROFT"),
            Table::open(dir, "AULAT"), Table::open(dir, "ASIGNOMT"), Table::open(dir, "DIASHORAST"),
            Table::open(dir, "ASIGT")};
  }
  void cerrar() {
    for (Table* t : {&soluc, &grupos, &profesores, &aulas, &nomAsg, &tramos, &asig}) t->close();
  }
};

// The name of the first generic room in AULAT, or "" when there is none.
std::string nombreDeAulaGenerica(Table& aulas) {
  for (aulas.first(); !aulas.eof(); aulas.next()) {
    if (aulas.text("CL_GENERICA") == "S") return aulas.text("NOMBRE");
  }
  return "";
}

// The planner writes the day and the period as numbers. A field that cannot hold one
// would read as 0 and drop every lesson without a word.
void exigirCampoNumerico(const Table& soluc, std::string_view campo) {
  if (soluc.holdsNumbers(campo)) return;
  const dbase::Field& f = soluc.field(campo);
  const std::string por = f.width == 0
                              ? "no tiene sitio para ninguna cifra (mide 0)"
                              : "es de tipo " + soluc.typeName(campo) + ", que no guarda números";
  throw TableError(parrafos({"La solución del planificador (" + os::pathForUser(soluc.path()) +
                                 ") no se puede leer: su campo " + std::string(campo) + " " + por +
                                 ", y el día y la hora de cada clase deben ser números.",
                             "Vuelva a resolver el horario en Dalmerin para que escriba de nuevo "
                             "la tabla SOLUC.",
                             kNingunArchivoEscrito}),
                   {.table = "SOLUC", .file = soluc.path(), .field = std::string(campo)});
}

// The planner's texts (room, subject, group and teacher codes) go into the timetable as
// they are: a SOLUC in a code page this build cannot read would garble them.
void exigirCodigoLegible(const Table& soluc) {
  if (soluc.codePageSource() != CodePageSource::unavailable) return;
  throw TableError(parrafos({"La solución del planificador (" + os::pathForUser(soluc.path()) +
                                 ") no se puede leer bien: " + *soluc.codePageNote(),
                             "Vuelva a resolver el horario en Dalmerin para que escriba de nuevo "
                             "la tabla SOLUC.",
                             kNingunArchivoEscrito}),
                   {.table = "SOLUC", .file = soluc.path()});
}

// A code and the name the planner's tables give it: "Matemáticas (MAT1)".
std::string conNombre(Table& tabla, std::string_view campoCodigo, std::string_view campoNombre,
                      const std::string& codigo) {
  if (codigo.empty()) return "(sin código)";
  if (tabla.hasField(campoCodigo) && tabla.hasField(campoNombre) &&
      tabla.locate(campoCodigo, {codigo})) {
    const std::string nombre = tabla.text(campoNombre);
    if (!nombre.empty() && nombre != codigo) return nombre + " (" + codigo + ")";
  }
  return codigo;
}

// One row of SOLUC as the import reads it.
struct FilaDeSoluc {
  std::size_t fila = 0;  // its number in the file
  Table::WholeNumber dia, hora;
  std::string marco, aula, asignatura, grupo, profesor;
};

FilaDeSoluc leerFila(const Table& soluc) {
  return {soluc.rowNumber(),      soluc.wholeNumber("DIA"), soluc.wholeNumber("HORA"),
          soluc.text("MARCO"),    soluc.text("AULA"),       soluc.text("ASIG"),
          soluc.text("CODGRUPO"), soluc.text("PROF")};
}

// The lesson in the user's words: subject, group and teacher as the planner names them.
std::string clase(TablasDelPlanificador& t, const FilaDeSoluc& f) {
  return conNombre(t.nomAsg, "COD", "NOMBRE", f.asignatura) + ", " +
         conNombre(t.grupos, "ABREV", "DESCRIP", f.grupo) + ", " +
         conNombre(t.profesores, "ABREV", "NOMBRE", f.profesor);
}

// The folder entry a path names (its folder resolved, its last name as it is).
fs::path entrada(const fs::path& p) {
  std::error_code ec;
  const fs::path carpeta = p.parent_path().empty() ? fs::current_path(ec) : p.parent_path();
  const fs::path real = fs::canonical(carpeta, ec);
  return (ec ? carpeta : real) / p.filename();
}

bool mismaEntrada(const fs::path& a, const fs::path& b) {
  const fs::path x = entrada(a);
  const fs::path y = entrada(b);
#ifdef _WIN32
  return x.parent_path() == y.parent_path() &&
         equalsIgnoringCase(os::pathToUtf8(x.filename()), os::pathToUtf8(y.filename()));
#else
  return x == y;
#endif
}

bool esEnteroValido(const Table::WholeNumber& n, std::int64_t minimo) {
  return n.state == Table::WholeNumber::State::number && n.value >= minimo &&
         n.value <= std::numeric_limits<std::int32_t>::max();
}

class Importacion {
  static constexpr std::size_t kClasesPorTanda = 1000;

 public:
  explicit Importacion(const OpcionesImportacion& opciones) : opciones_(opciones) {}

  ResultadoImportacion ejecutar() {
    const PlannerFolder tomada = PlannerFolder::take(opciones_.directorio);
    TablasDelPlanificador tablas = TablasDelPlanificador::abrir(opciones_.directorio);
    exigirCampoNumerico(tablas.soluc, "DIA");
    exigirCampoNumerico(tablas.soluc, "HORA");
    exigirCodigoLegible(tablas.soluc);
    if (const auto nota = tablas.soluc.codePageNote()) r_.informe.anotar(*nota);
    aulaGenerica_ = nombreDeAulaGenerica(tablas.aulas);

    r_.archivo = archivoResultado(opciones_.documento);
    exigirResultadoDistintoDelDocumento();
    avisar(opciones_.progreso, "Leyendo el documento", 0, 0);
    ExtendedDocument documento =
        leerParaAmpliar(opciones_.documento, "horario", kNingunArchivoEscrito);
    Element horario = horarioQueRecibe(documento);
    escribirClases(tablas, documento, horario);
    anotarRecuentos();

    std::error_code ec;
    r_.reemplazado = fs::exists(fs::symlink_status(r_.archivo, ec));
    avisar(opciones_.progreso, "Guardando el resultado", 0, 0);
    documento.save(r_.archivo);
    tablas.cerrar();
    return std::move(r_);
  }

 private:
  // The result replaces whatever stands at its name: a link there is replaced, and another
  // name of the document's file is let go of. Only a document whose name leads, through
  // links, to the result's name would be overwritten.
  void exigirResultadoDistintoDelDocumento() const {
    if (!mismaEntrada(os::followLinks(opciones_.documento), r_.archivo)) return;
    throw DocumentError(parrafos({"El resultado se escribiría en " + os::pathForUser(r_.archivo) +
                                      ", que es el propio documento elegido (" +
                                      os::pathForUser(opciones_.documento) + ") bajo otro nombre.",
                                  "Elija el documento original que exportó Colmeda, no un "
                                  "enlace a un resultado.",
                                  kNingunArchivoEscrito}),
                        {.file = r_.archivo});
  }

  // The first <horario> of datosGHC receives the lessons: a new one appended at the end,
  // unless the document had one (a result chosen again), which then gets them.
  Element horarioQueRecibe(ExtendedDocument& documento) {
    Element nuevo = documento.root().appendElement("horario");
    const ExtendedDocument::Outline* previo = documento.child();
    if (!previo) {
      // One lesson a line, so that the result stays readable.
      nuevo.appendText("\n");
      return nuevo;
    }
    r_.clasesPrevias = previo->countChildren("tramo");
    r_.informe.anotar("El documento ya tenía un <horario> (línea " + std::to_string(previo->line) +
                      ") con " + std::to_string(r_.clasesPrevias) +
                      " <tramo>; las clases se añaden a ese y el <horario> nuevo queda vacío "
                      "al final.");
    Element horario = documento.outlinedChild();
    if (!previo->hasChildNodes) horario.appendText("\n");
    return horario;
  }

  void escribirClases(TablasDelPlanificador& t, ExtendedDocument& documento, Element& horario) {
    Table& soluc = t.soluc;
    const std::size_t filas = soluc.rowCount();
    r_.filasDeSoluc = filas;
    std::size_t hechas = 0;
    for (soluc.first(); !soluc.eof(); soluc.next()) {
      avisar(opciones_.progreso, "SOLUC", hechas++, filas);
      const FilaDeSoluc f = leerFila(soluc);
      const std::string donde = "fila " + std::to_string(f.fila);
      if (f.dia.state == Table::WholeNumber::State::number && f.dia.value == 0) {
        r_.sinColocar.push_back(clase(t, f));
        continue;
      }
      if (f.dia.state == Table::WholeNumber::State::empty) {
        r_.sinColocar.push_back(clase(t, f));
        continue;
      }
      if (!esEnteroValido(f.dia, 1) || !esEnteroValido(f.hora, 0)) {
        r_.valoresMalos.push_back("fila " + std::to_string(f.fila) + " (" + clase(t, f) +
                                  "): DIA '" + trim(f.dia.text) + "', HORA '" + trim(f.hora.text) +
                                  "'");
        continue;
      }
      escribirTramo(t, horario, f, donde);
      // The lessons written become text now and then, rather than a tree of them all.
      if (++r_.tramos % kClasesPorTanda == 0) documento.settle(horario);
    }
  }

  void escribirTramo(TablasDelPlanificador& t, Element& horario, const FilaDeSoluc& f,
                     const std::string& donde) {
    std::string marco;
    if (t.tramos.locate("MARCO", {f.marco})) {
      marco = t.tramos.text("MARCOXML");
    } else {
      sinMarco_.contar(donde + " (MARCO '" + f.marco + "')");
    }
    Element tramo = horario.appendElement("tramo");
    horario.appendText("\n");
    tramo.setAttribute("dia", static_cast<std::int32_t>(f.dia.value - 1));
    tramo.setAttribute("indice", static_cast<std::int32_t>(f.hora.value));
    tramo.setAttribute("marco", marco);

    Element aula = tramo.appendElement("aula");
    if (trim(f.aula).empty()) {
      aula.setAttribute("anonima", aulaGenerica_);
    } else if (!t.aulas.locate("ABREV", {f.aula})) {
      sinAula_.contar(donde + " (AULA '" + f.aula + "')");
    } else if (t.aulas.text("CL_GENERICA") == "N") {
      aula.setAttribute("id", t.aulas.text("NOMBRE"));
    }

    // Of several sessions of one subject and group, the lesson's own teacher's.
    Element sesion = aula.appendElement("sesion");
    if (t.asig.locate("CASIG;CGRUP;CPROF", {f.asignatura, f.grupo, f.profesor}) ||
        t.asig.locate("CASIG;CGRUP", {f.asignatura, f.grupo})) {
      sesion.setText(t.asig.text("CL_SESION"));
    } else {
      sinSesion_.contar(donde + " (ASIG '" + f.asignatura + "', CODGRUPO '" + f.grupo + "')");
    }
    aula.appendElement("profesor").setText(f.profesor);
  }

  void anotarRecuentos() {
    if (!r_.sinColocar.empty()) {
      r_.informe.anotar("Clases que el planificador no colocó (DIA 0 en SOLUC): " +
                        std::to_string(r_.sinColocar.size()));
    }
    for (const Recuento* c : {&sinMarco_, &sinAula_, &sinSesion_}) c->anotarEn(r_.informe);
  }

  const OpcionesImportacion& opciones_;
  ResultadoImportacion r_;
  std::string aulaGenerica_;
  Recuento sinMarco_{"Filas de SOLUC cuyo MARCO no está en DIASHORAST (marco vacío)"};
  Recuento sinAula_{"Filas de SOLUC cuya AULA no está en AULAT (aula sin atributos)"};
  Recuento sinSesion_{"Filas de SOLUC cuya ASIG y CODGRUPO no están en ASIGT (sesion vacía)"};
};

std::string plural(std::size_t n, std::string_view uno, std::string_view varios) {
  return std::to_string(n) + " " + std::string(n == 1 ? uno : varios);
}

}  // namespace

fs::path archivoResultado(const fs::path& documento) {
  fs::path nombre = os::pathFromUtf8("ResultadoVestran");
  nombre += documento.filename();
  return documento.parent_path() / nombre;
}

std::vector<std::string> avisosDe(const ResultadoImportacion& r) {
  std::vector<std::string> avisos;
  if (r.clasesPrevias > 0) {
    avisos.push_back("El documento elegido ya tenía un horario con " +
                     plural(r.clasesPrevias, "clase", "clases") + ", y se le han añadido " +
                     plural(r.tramos, "clase", "clases") +
                     " más: el resultado tiene las clases repetidas. Si eligió por error un "
                     "resultado anterior (un archivo que empieza por ResultadoVestran), importe "
                     "de nuevo eligiendo el documento original que exportó Colmeda.");
  }
  if (!r.valoresMalos.empty()) {
    avisos.push_back(plural(r.valoresMalos.size(), "fila", "filas") +
                     " de la solución del planificador (SOLUC) tienen un día o una hora que no "
                     "es un número entero positivo, y esas clases no se han escrito: " +
                     r.valoresMalos.front() + (r.valoresMalos.size() > 1 ? "; …" : "") +
                     ". Vuelva a resolver el horario en Dalmerin.");
  }
  if (r.tramos == 0) {
    avisos.push_back("La solución del planificador (SOLUC) no tiene ninguna clase colocada: " +
                     (r.filasDeSoluc == 0
                          ? std::string("no tiene ninguna fila")
                          : "sus " + std::to_string(r.filasDeSoluc) + " filas tienen DIA 0") +
                     ". El horario del resultado queda vacío.");
  }
  return avisos;
}

Resumen resumir(const ResultadoImportacion& r) {
  Resumen resumen;
  resumen.lineas.push_back((r.reemplazado ? "Resultado (reemplaza al anterior): " : "Resultado: ") +
                           os::pathForUser(fs::absolute(r.archivo)));
  resumen.lineas.push_back("Clases escritas en el horario: " + std::to_string(r.tramos));
  if (!r.sinColocar.empty()) {
    resumen.lineas.push_back("Clases que el planificador no colocó: " +
                             std::to_string(r.sinColocar.size()) + " (se listan en los detalles)");
  }
  resumen.avisos = avisosDe(r);
  return resumen;
}

std::vector<std::string> detallesParaElUsuario(const ResultadoImportacion& r) {
  std::vector<std::string> lineas;
  if (!r.sinColocar.empty()) {
    lineas.push_back("Clases que el planificador no colocó (asignatura, grupo, profesor):");
    for (const std::string& c : r.sinColocar) lineas.push_back("  " + c);
  }
  for (const std::string& v : r.valoresMalos) lineas.push_back("Clase no escrita: " + v);
  return lineas;
}

ResultadoImportacion importar(const OpcionesImportacion& opciones) {
  try {
    return Importacion(opciones).ejecutar();
  } catch (const std::bad_alloc&) {
    throw OutOfMemoryError(parrafos({"No hay memoria suficiente para importar la solución del "
                                     "planificador al documento " +
                                         os::pathForUser(opciones.documento) + ".",
                                     kCierreOtrosProgramas, kNingunArchivoEscrito}),
                           {.file = opciones.documento});
  }
}

}  // namespace vestran
