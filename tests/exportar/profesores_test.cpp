// PROFT: teachers coded by their short name.

#include <gtest/gtest.h>

#include "exportar/export_fixture.hpp"

namespace vestran::test {
namespace {

std::string profesores(const std::vector<std::string>& nombres) {
  std::string s = "<profesores>";
  for (const auto& n : nombres) {
    s += "<profesor><nombre>" + n + "</nombre><nombreCompleto>Nombre de " + n +
         "</nombreCompleto></profesor>";
  }
  return s + "</profesores>";
}

TEST(ExportarProfesores, WorkedExampleAndEdgeCases) {
  struct Case {
    const char* name;
    std::vector<std::string> nombres;
    Rows abrev;
  } cases[] = {
      {"worked example",
       {"JGL", "JGL", "jgl", "García Pérez", "ABCDEFGHIJ", "ABCDEFGHIJ"},
       {{"JGL"}, {"JGL1"}, {"jgl2"}, {"García Pez"}, {"ABCDEFGHIJ"}, {"ABCDEFGHI1"}}},
      {"empty short names", {"", "", ""}, {{""}, {"1"}, {"2"}}},
      {"long names alike in their first 8 and last 2 characters",
       {"García Pérez", "García Pañez"},
       {{"García Pez"}, {"García Pz1"}}},
      {"eleventh teacher of a 9-character name",
       {"ABCDEFGHI", "ABCDEFGHI", "ABCDEFGHI", "ABCDEFGHI", "ABCDEFGHI", "ABCDEFGHI", "ABCDEFGHI",
        "ABCDEFGHI", "ABCDEFGHI", "ABCDEFGHI", "ABCDEFGHI"},
       {{"ABCDEFGHI"},
        {"ABCDEFGHI1"},
        {"ABCDEFGHI2"},
        {"ABCDEFGHI3"},
        {"ABCDEFGHI4"},
        {"ABCDEFGHI5"},
        {"ABCDEFGHI6"},
        {"ABCDEFGHI7"},
        {"ABCDEFGHI8"},
        {"ABCDEFGHI9"},
        {"ABCDEFGH10"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ExportFixture f;
    f.exportar(documento(profesores(c.nombres)));
    EXPECT_EQ(f.rows("PROFT", {"ABREV"}), c.abrev);
  }
}

TEST(ExportarProfesores, NamesAreReadWithinEachTeacherAndOtherFieldsStayEmpty) {
  ExportFixture f;
  const auto r =
      f.exportar(documento("<profesores>"
                           "<profesor><nombre> AAA </nombre></profesor>"  // no full name
                           "<profesor><nombre>BBB</nombre><nombreCompleto>" +
                           std::string(85, 'b') +
                           "</nombreCompleto></profesor>"
                           "<profesor><nombreCompleto>Sin Nombre</nombreCompleto></profesor>"
                           "</profesores>"));
  EXPECT_EQ(f.rows("PROFT", {"ABREV", "NOMBRE", "DEPART", "EMAIL", "DNI", "X_EMPLEADO"}),
            (Rows{{"AAA", "", "", "", "", ""},
                  {"BBB", std::string(80, 'b'), "", "", "", ""},
                  {"", "Sin Nombre", "", "", "", ""}}));
  EXPECT_EQ(linesWith(r.informe, "<profesor> nº 1 (línea 2): falta <nombreCompleto>").size(), 1u);
  EXPECT_EQ(linesWith(r.informe, "<profesor> nº 3 (línea 2): falta <nombre>").size(), 1u);
}

}  // namespace
}  // namespace vestran::test
