#include "generar_centro/CentroGenerado.hpp"

#include <vector>

#include "store/table/table.hpp"

namespace vestran::generador {

namespace {

std::string n(int i) { return std::to_string(i); }

std::string tramos(const std::string& marco, int primeraHora) {
  std::string s;
  for (int d = 0; d < 5; ++d) {
    for (int h = 1; h <= 6; ++h) {
      const int hora = primeraHora + h - 1;
      const std::string hh = (hora < 10 ? "0" : "") + n(hora);
      s += "<tramo><submarco>" + marco + "</submarco><dia>" + n(d) + "</dia><indice>" + n(h) +
           "</indice><horaEntrada>" + hh + ":00</horaEntrada><horaSalida>" + hh +
           ":55</horaSalida><Tipo>Lectiva</Tipo></tramo>";
    }
  }
  return s;
}

}  // namespace

namespace {

std::string documentoDeCentroCompartido(int sesiones) {
  const int materias = std::max(sesiones / 272, 2);
  const int aulas = std::max(sesiones / 285, 2);
  const int grupos = std::max(sesiones / 25, 2);
  const int profesores = std::max(sesiones / 50, 2);
  // Long accented names, many of them alike in their first letters.
  static const char* const kMaterias[] = {"Matemáticas aplicadas a las ciencias sociales",
                                          "Lengua castellana y literatura",
                                          "Educación física y deportiva",
                                          "Física y química experimental",
                                          "Geografía e historia de España",
                                          "Biología y geología aplicada",
                                          "Tecnología e ingeniería industrial",
                                          "Educación plástica, visual y audiovisual",
                                          "Música y artes escénicas",
                                          "Latín y cultura clásica",
                                          "Inglés (primera lengua)",
                                          "Francés (segunda lengua)",
                                          "Economía de la empresa",
                                          "Filosofía y ciudadanía",
                                          "Dibujo técnico aplicado",
                                          "Psicología y sociología",
                                          "Religión católica",
                                          "Valores éticos y cívicos",
                                          "Tecnologías de la información",
                                          "Ciencias de la tierra"};
  const auto materia = [](int i) {
    return std::string(kMaterias[i % 20]) + " (bilingüe), nivel " + n(i / 20 + 1);
  };
  const auto grupo = [](int i) { return "1º de Bachillerato de Ciencias y Tecnología — " + n(i); };
  std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<datosGHC><materias>";
  for (int i = 0; i < materias; ++i) s += "<materia>" + materia(i) + "</materia>";
  s += "</materias><tareas><tarea>Guardia</tarea></tareas><profesores>";
  for (int i = 0; i < profesores; ++i) {
    s += "<profesor><nombre>PÑ" + n(i) +
         "</nombre><nombreCompleto>María José Fernández-Núñez "
         "de la Peña " +
         n(i) + "</nombreCompleto></profesor>";
  }
  s += "</profesores><aulas>";
  static const char* const kAulas[] = {"Laboratorio de Física y Química",
                                       "Aula de informática",
                                       "Aula de música",
                                       "Taller de tecnología",
                                       "Biblioteca escolar",
                                       "Aula de dibujo",
                                       "Sala de audiovisuales",
                                       "Laboratorio de idiomas",
                                       "Aula polivalente",
                                       "Gimnasio pequeño",
                                       "Aula de apoyo",
                                       "Salón de actos",
                                       "Aula de desdoble",
                                       "Laboratorio de biología",
                                       "Aula de plástica",
                                       "Aula de religión",
                                       "Seminario de lengua",
                                       "Seminario de historia",
                                       "Aula de refuerzo",
                                       "Aula de convivencia"};
  for (int i = 0; i < aulas; ++i) {
    s += "<aula><nombre>Aula " + n(100 + i) + " (" + kAulas[i % 20] + ")</nombre></aula>";
  }
  s += "</aulas><conjuntoDeAulas><general nombre=\"Gimnasio cubierto\" numero=\"4\"/>"
       "</conjuntoDeAulas><marcosDeHorario><marcoHorario id=\"MAÑANA\">" +
       tramos("MAÑANA", 8) + "</marcoHorario><marcoHorario id=\"TARDE\">" + tramos("TARDE", 15) +
       "</marcoHorario></marcosDeHorario><grupos>";
  for (int i = 0; i < grupos; ++i) {
    s += std::string("<grupo submarco=\"") + (i % 2 ? "TARDE" : "MAÑANA") + "\"><nombre>" +
         grupo(i) + "</nombre><nivel>BACH</nivel><curso>" + n(i % 2 + 1) + "</curso><unidad>" +
         n(i % 100) + "</unidad></grupo>";
  }
  s += "</grupos><sesionesLectivas>";
  for (int i = 0; i < sesiones; ++i) {
    s += "<sesion id=\"" + n(i + 1) + "\"><materia>" + materia(i % materias) +
         "</materia><profesor>PÑ" + n(i % profesores) + "</profesor><grupo>" + grupo(i % grupos) +
         "</grupo><distribucionSemanal><distribucionVariable><numSesiones>" + n(i % 5 + 1) +
         "</numSesiones></distribucionVariable></distribucionSemanal><tarea>" +
         (i % 9 == 0 ? "Guardia" : "") + "</tarea></sesion>";
  }
  return s + "</sesionesLectivas></datosGHC>\n";
}

}  // namespace

std::string documentoDeCentro(const OpcionesCentro& o) {
  const int sesiones = std::max(o.sesiones, 10);
  if (o.forma == Forma::compartida) return documentoDeCentroCompartido(sesiones);
  const int materias = sesiones / 5;
  const int personas = sesiones / 10;
  std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<datosGHC><materias>";
  for (int i = 0; i < materias; ++i) s += "<materia>" + n(i) + " Educación Física</materia>";
  s += "</materias><tareas><tarea>Guardia</tarea></tareas><profesores>";
  for (int i = 0; i < personas; ++i) {
    s += "<profesor><nombre>P" + n(i) + "</nombre><nombreCompleto>Profesora Núñez " + n(i) +
         "</nombreCompleto></profesor>";
  }
  s += "</profesores><aulas>";
  for (int i = 0; i < personas; ++i) s += "<aula><nombre>Aula " + n(i) + "</nombre></aula>";
  s += "</aulas><conjuntoDeAulas><general nombre=\"Desdoble\" numero=\"3\"/></conjuntoDeAulas>"
       "<marcosDeHorario><marcoHorario id=\"1\">" +
       tramos("1", 8) + "</marcoHorario>";
  if (o.dosMarcos) s += "<marcoHorario id=\"2\">" + tramos("2", 15) + "</marcoHorario>";
  s += "</marcosDeHorario><grupos>";
  for (int i = 0; i < personas; ++i) {
    const std::string marco = o.dosMarcos && i % 2 ? "2" : "1";
    s += "<grupo submarco=\"" + marco + "\"><nombre>Grupo " + n(i) +
         "</nombre><nivel>ESO</nivel>"
         "<curso>" +
         n(i % 4 + 1) + "</curso><unidad>" + n(i) + "</unidad></grupo>";
  }
  s += "</grupos><sesionesLectivas>";
  for (int i = 0; i < sesiones; ++i) {
    s += "<sesion id=\"" + n(i + 1) + "\"><materia>" + n(i % materias) +
         " Educación Física</materia><profesor>P" + n(i % personas) + "</profesor><grupo>Grupo " +
         n(i % personas) + "</grupo><distribucionSemanal><distribucionVariable><numSesiones>" +
         n(i % 4 + 1) +
         "</numSesiones></distribucionVariable></distribucionSemanal><tarea/>"
         "</sesion>";
  }
  return s + "</sesionesLectivas></datosGHC>\n";
}

void escribirSolucion(const std::filesystem::path& dir) {
  const std::vector<FieldDef> campos = {
      {"DIA", FieldKind::integer},        {"HORA", FieldKind::integer},
      {"MARCO", FieldKind::character, 1}, {"AULA", FieldKind::character, 10},
      {"ASIG", FieldKind::character, 10}, {"CODGRUPO", FieldKind::character, 10},
      {"PROF", FieldKind::character, 10}};
  std::vector<std::string> aulas;
  {
    Table t = Table::open(dir, "AULAT");
    for (t.first(); !t.eof(); t.next()) aulas.push_back(t.text("ABREV"));
  }
  Table::recreate(dir, "SOLUC", campos, TableFormat::level7);
  Table asig = Table::open(dir, "ASIGT");
  Table soluc = Table::open(dir, "SOLUC");
  std::size_t i = 0;
  for (asig.first(); !asig.eof(); asig.next(), ++i) {
    soluc.append();
    soluc.setInteger("DIA", static_cast<std::int64_t>(i % 5 + 1));
    soluc.setInteger("HORA", static_cast<std::int64_t>(i % 6 + 1));
    soluc.setText("MARCO", "0");
    soluc.setText("AULA", aulas.empty() || i % 7 == 0 ? "" : aulas[i % aulas.size()]);
    soluc.setText("ASIG", asig.text("CASIG"));
    soluc.setText("CODGRUPO", asig.text("CGRUP"));
    soluc.setText("PROF", asig.text("CPROF"));
    soluc.post();
  }
  soluc.close();
}

}  // namespace vestran::generador
