// ASIGT: the teaching sessions.

#include <gtest/gtest.h>

#include "exportar/export_fixture.hpp"
#include "store/errors.hpp"

namespace vestran::test {
namespace {

std::string sesion(const std::string& atributos, const std::string& materia,
                   const std::string& profesor, const std::string& grupo,
                   const std::string& numSesiones, const std::string& tarea) {
  return "<sesion" + atributos + "><materia>" + materia + "</materia><profesor>" + profesor +
         "</profesor><grupo>" + grupo +
         "</grupo><distribucionSemanal><distribucionVariable>"
         "<numSesiones>" +
         numSesiones +
         "</numSesiones></distribucionVariable>"
         "</distribucionSemanal><tarea>" +
         tarea + "</tarea></sesion>";
}

const std::string kBase =
    "<materias><materia>Música</materia></materias><tareas><tarea>Guardia</tarea></tareas>"
    "<profesores><profesor><nombre>JGL</nombre><nombreCompleto>J</nombreCompleto></profesor>"
    "</profesores><grupos><grupo submarco=\"1\"><nombre>Primero A</nombre><nivel>SEC</nivel>"
    "<curso>1</curso><unidad>A</unidad></grupo></grupos>";

const std::vector<std::string> kCampos = {"CASIG",  "CPROF",  "CGRUP",    "CAULA", "TURNO",
                                          "NIVEL",  "CURSO",  "GRUPO",    "HORAS", "SESIONES",
                                          "NCONEX", "CTAREA", "CL_SESION"};

TEST(ExportarSesiones, WorkedExample) {
  ExportFixture f;
  const auto r = f.exportar(documento(
      kBase + "<sesionesLectivas>" + sesion(" id=\"101\"", "Música", "JGL", "Primero A", "3", "") +
      sesion(" id=\"102\"", "Música", "XYZ", "Primero A", "15", "") +
      sesion(" id=\"103\"", "Dibujo", "JGL", "Primero A", "2", "") +
      sesion(" id=\"104\"", "Música", "JGL", "Segundo B", " ", "Guardia") + "</sesionesLectivas>"));
  EXPECT_EQ(
      f.rows("ASIGT", kCampos),
      (Rows{{"Música", "JGL", "SEC1A", "", "", "SEC", "1", "A", "3", "111", "", "", "101"},
            {"Música", "", "SEC1A", "", "", "SEC", "1", "A", "15", "21111111111111", "", "", "102"},
            {"Música", "JGL", "", "", "", "", "", "", "1", "1", "", "Guardia", "104"}}));
  EXPECT_EQ(linesWith(r.informe, "103: se omite porque su materia 'Dibujo'").size(), 1u);
  EXPECT_EQ(linesWith(r.informe, "102: el profesor 'XYZ' no está en PROFT").size(), 1u);
  EXPECT_EQ(linesWith(r.informe, "104: el grupo 'Segundo B' no está en GRUPOST").size(), 1u);
}

TEST(ExportarSesiones, WeeklyPeriodsAndTheirDistribution) {
  struct Case {
    const char* numSesiones;
    const char* horas;
    const char* sesiones;
  } cases[] = {
      {"3", "3", "111"},
      {"13", "13", "1111111111111"},
      {"14", "14", "11111111111111"},
      {"15", "15", "21111111111111"},
      {"25", "25", "121111111111111"},
      {"", "1", "1"},
      {"0", "0", ""},
      {"-2", "-2", ""},
  };
  std::string lista = "<sesionesLectivas>";
  for (const Case& c : cases) lista += sesion(" id=\"1\"", "Música", "", "", c.numSesiones, "");
  ExportFixture f;
  f.exportar(documento(kBase + lista + "</sesionesLectivas>"));
  Rows expected;
  for (const Case& c : cases) expected.push_back({c.horas, c.sesiones});
  EXPECT_EQ(f.rows("ASIGT", {"HORAS", "SESIONES"}), expected);
}

TEST(ExportarSesiones, LookupsAreExactAndTasksMayNameAnyCode) {
  ExportFixture f;
  f.exportar(documento(kBase + "<sesionesLectivas>" +
                       sesion(" id=\"1\"", "MÚSICA", "JGL", "Primero A", "1", "") +  // no row
                       sesion(" id=\"2\"", "Música", "jgl", "primero a", "1", "Música") +
                       "</sesionesLectivas>"));
  EXPECT_EQ(f.rows("ASIGT", {"CASIG", "CPROF", "CGRUP", "CTAREA", "CL_SESION"}),
            (Rows{{"Música", "", "", "Música", "2"}}));
}

TEST(ExportarSesiones, ValuesAreReadWithinEachSession) {
  ExportFixture f;
  const auto r = f.exportar(documento(
      kBase +
      "<sesionesLectivas>"
      "<sesion><materia>Música</materia><grupo>Primero A</grupo><grupo>Otro</grupo></sesion>" +
      sesion(" codigo=\"7\" id=\"99\"", "Música", "JGL", "Primero A", "2", "") +
      "</sesionesLectivas>"));
  EXPECT_EQ(f.rows("ASIGT", {"CPROF", "CGRUP", "HORAS", "CL_SESION"}),
            (Rows{{"", "SEC1A", "1", ""}, {"JGL", "SEC1A", "2", "7"}}));
  EXPECT_EQ(linesWith(r.informe, "<sesion> nº 1 (línea 2): <grupo> aparece 2 veces").size(), 1u);
  EXPECT_EQ(linesWith(r.informe, "no tiene atributos; CL_SESION queda vacío").size(), 1u);
  EXPECT_EQ(linesWith(r.informe, "falta <distribucionSemanal>").size(), 1u);
}

TEST(ExportarSesiones, NonIntegerPeriodsOrIdentifiersStopTheRun) {
  for (const auto& [atributo, numSesiones, valor] :
       {std::tuple{" id=\"1\"", "2.5", "'2.5'"}, std::tuple{" id=\"A1\"", "2", "'A1'"}}) {
    SCOPED_TRACE(valor);
    ExportFixture f;
    const std::string m = f.failingExport<ConversionError>(
        documento(kBase + "<sesionesLectivas>" + sesion(" id=\"5\"", "Música", "", "", "1", "") +
                  sesion(atributo, "Música", "", "", numSesiones, "") + "</sesionesLectivas>"));
    EXPECT_NE(m.find("\n" + std::string(valor) + " is not a valid integer value\n"),
              std::string::npos)
        << m;
    EXPECT_EQ(
        m.find("Un dato del documento debe ser un número entero y no lo es: " + std::string(valor)),
        0u)
        << m;
  }
}

TEST(ExportarSesiones, ANegativeCountIsWrittenAsTheRuleSaysAndReported) {
  ExportFixture f;
  const auto r = f.exportar(documento(kBase + "<sesionesLectivas>" +
                                      sesion(" id=\"9\"", "Música", "", "", "-5", "") +
                                      "</sesionesLectivas>"));
  EXPECT_EQ(f.rows("ASIGT", {"HORAS", "SESIONES"}), (Rows{{"-5", ""}}));
  EXPECT_EQ(linesWith(r.informe, "<numSesiones> es -5").size(), 1u);
}

}  // namespace
}  // namespace vestran::test
