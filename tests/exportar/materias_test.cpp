// ASIGNOMT: subjects and tasks with their short codes.

#include <gtest/gtest.h>

#include "exportar/export_fixture.hpp"

namespace vestran::test {
namespace {

std::string materias(const std::vector<std::string>& textos,
                     const std::vector<std::string>& tareas = {}) {
  std::string s = "<materias>";
  for (const auto& t : textos) s += "<materia>" + t + "</materia>";
  s += "</materias><tareas>";
  for (const auto& t : tareas) s += "<tarea>" + t + "</tarea>";
  return s + "</tareas>";
}

const std::vector<std::string> kCampos = {"COD", "CODLARGO", "NOMBRE", "CODTAREA", "ESTAREA"};

TEST(ExportarMaterias, WorkedExample) {
  ExportFixture f;
  f.exportar(documento(materias({"Lengua Castellana y Literatura", "Lengua Extranjera: Inglés",
                                 "Lengua Castellana (refuerzo)", "Música", "MÚSICA"},
                                {"Guardia", "Música", "Lengua Castellana - apoyo"})));
  EXPECT_EQ(f.rows("ASIGNOMT", kCampos),
            (Rows{
                {"Lengua Cas", "Lengua Cas", "Lengua Castellana y Literatura", "", "F"},
                {"Lengua Ext", "Lengua Ext", "Lengua Extranjera: Inglés", "", "F"},
                {"Lengua Ca1", "Lengua Cas", "Lengua Castellana (refuerzo)", "", "F"},
                {"Música", "Música", "Música", "", "F"},
                {"Guardia", "Guardia", "Guardia", "Guardia", "T"},
                {"Lengua Ca2", "Lengua Cas", "Lengua Castellana - apoyo", "Lengua Cas", "T"},
            }));
}

TEST(ExportarMaterias, TheTenthSuffixIsShortenedAndLaterOnesStayUnique) {
  std::vector<std::string> textos;
  for (const char* resto : {"Física", "Química", "Biología", "Geología", "Idiomas", "Música",
                            "Dibujo", "Robótica", "Cocina", "Teatro", "Radio", "Prensa"}) {
    textos.push_back(std::string("Laboratorio de ") + resto);
  }
  ExportFixture f;
  f.exportar(documento(materias(textos)));
  Rows expected = {{"Laboratori"}};
  for (int n = 1; n <= 9; ++n) expected.push_back({"Laborator" + std::to_string(n)});
  expected.push_back({"Laborato10"});  // the eleventh, as the first 8 and last 2 characters
  expected.push_back({"Laborato11"});  // the twelfth no longer repeats the eleventh's code
  EXPECT_EQ(f.rows("ASIGNOMT", {"COD"}), expected);
}

TEST(ExportarMaterias, EdgeCasesOfTheCodeScheme) {
  ExportFixture f;
  const std::string largo(90, 'x');
  f.exportar(documento(materias({"Lengua Castellana y Literatura", "Lengua Castellana (refuerzo)",
                                 "Lengua Ca1",  // equals an issued suffixed code
                                 "Educación Física",
                                 "Educación",  // "Educación " and "Educación" are one code on disk
                                 "", "", largo})));
  EXPECT_EQ(f.rows("ASIGNOMT", {"COD", "NOMBRE"}),
            (Rows{{"Lengua Cas", "Lengua Castellana y Literatura"},
                  {"Lengua Ca1", "Lengua Castellana (refuerzo)"},
                  {"Lengua Ca2", "Lengua Ca1"},
                  {"Educación", "Educación Física"},
                  {"Educación1", "Educación"},
                  {"", ""},  // the first empty text gives an empty row; the second is seen
                  {"xxxxxxxxxx", std::string(80, 'x')}}));
}

TEST(ExportarMaterias, EmptySectionsGiveAnEmptyTableWithItsSixFields) {
  ExportFixture f;
  const auto r = f.exportar(documento("<materias/><tareas/>"));
  EXPECT_EQ(f.rows("ASIGNOMT", {"COD", "CODLARGO", "NOMBRE", "MATERIA", "CODTAREA", "ESTAREA"}),
            Rows{});
  EXPECT_EQ(r.tablas.front().tabla, "ASIGNOMT");
  EXPECT_EQ(r.tablas.front().filas, 0u);
}

TEST(ExportarMaterias, SkippedTextsAreReported) {
  ExportFixture f;
  const auto r = f.exportar(documento(materias({"Música", "MÚSICA"}, {"música"})));
  EXPECT_EQ(linesWith(r.informe, "se omite porque ya figura como 'Música'").size(), 2u);
}

}  // namespace
}  // namespace vestran::test
