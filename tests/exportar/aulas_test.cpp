// AULAT: real rooms and the numbered rooms of the generic room set.

#include <gtest/gtest.h>

#include "exportar/export_fixture.hpp"
#include "store/errors.hpp"

namespace vestran::test {
namespace {

std::string aulas(const std::vector<std::string>& nombres, const std::string& general = "") {
  std::string s = "<aulas>";
  for (const auto& n : nombres) s += "<aula><nombre>" + n + "</nombre></aula>";
  s += "</aulas>";
  if (!general.empty()) s += "<conjuntoDeAulas>" + general + "</conjuntoDeAulas>";
  return s;
}

const std::vector<std::string> kCampos = {"ABREV", "NOMBRE", "EDIFICIO", "MAXALUM", "CL_GENERICA"};

TEST(ExportarAulas, WorkedExample) {
  ExportFixture f;
  f.exportar(documento(aulas({"Aula 1.01", "Laboratorio de Química", "Laboratorio de Física"},
                             "<general nombre=\"Desdoble\" numero=\"3\"/>")));
  EXPECT_EQ(f.rows("AULAT", kCampos), (Rows{{"Aula 1.01", "Aula 1.01", "", "", "N"},
                                            {"Laboratori", "Laboratorio de Química", "", "", "N"},
                                            {"Laborator1", "Laboratorio de Física", "", "", "N"},
                                            {"Desdoble1", "Desdoble", "", "", "S"},
                                            {"Desdoble2", "Desdoble", "", "", "S"},
                                            {"Desdoble3", "Desdoble", "", "", "S"}}));
}

TEST(ExportarAulas, GenericRoomNamesAreShortenedByTheirOwnRule) {
  struct Case {
    const char* conjunto;
    int numero;
    std::size_t row;
    const char* abrev;
    const char* nombre;
  } cases[] = {
      {"Aula libre", 10, 0, "Aula libe1", "Aula libre"},
      {"Aula libre", 10, 9, "Aula lie10", "Aula libre"},
      {"Aula de informática", 1, 0, "nformátia1", "Aula de informática"},
      // the code is trimmed; the name is stored as read (its trailing blank is not kept)
      {" Patio ", 1, 0, "Patio 1", " Patio"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.conjunto);
    ExportFixture f;
    f.exportar(documento(aulas({}, "<general nombre=\"" + std::string(c.conjunto) + "\" numero=\"" +
                                       std::to_string(c.numero) + "\"/>")));
    const Rows rows = f.rows("AULAT", {"ABREV", "NOMBRE"});
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(c.numero));
    EXPECT_EQ(rows[c.row], (std::vector<std::string>{c.abrev, c.nombre}));
  }
}

TEST(ExportarAulas, RealAndGenericRoomsShareOneListOfCodes) {
  ExportFixture f;
  f.exportar(documento(aulas({"Gimnasio  cubierto", "Gimnasio", "aula 2", "AULA 2", "Desdoble1"},
                             "<general nombre=\"Desdoble\" numero=\"1\"/>"
                             "<general nombre=\"Otro\" numero=\"5\"/>")));
  EXPECT_EQ(
      f.rows("AULAT", {"ABREV"}),
      (Rows{{"Gimnasio"}, {"Gimnasio1"}, {"aula 2"}, {"AULA 21"}, {"Desdoble1"}, {"Desdoble11"}}));
}

TEST(ExportarAulas, CountsAndAttributesOfTheGenericSet) {
  struct Case {
    const char* general;
    std::size_t generic;
    const char* report;
  } cases[] = {
      {"<general nombre=\"X\" numero=\"0\"/>", 0, nullptr},
      {"<general nombre=\"X\" numero=\"-2\"/>", 0, nullptr},
      {"<general numero=\"X\" nombre=\"2\"/>", 2, nullptr},  // by position, not by name
      {"<general nombre=\"X\"/>", 0, "necesita dos"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.general);
    ExportFixture f;
    const auto r = f.exportar(documento(aulas({}, c.general)));
    EXPECT_EQ(f.rows("AULAT", {"ABREV"}).size(), c.generic);
    if (c.report) {
      EXPECT_EQ(linesWith(r.informe, c.report).size(), 1u);
    }
  }
}

TEST(ExportarAulas, ANonIntegerCountStopsTheRunWithTheConversionError) {
  ExportFixture f;
  const std::string m = f.failingExport<ConversionError>(
      documento(aulas({"Aula 1"}, "<general nombre=\"X\" numero=\"tres\"/>")));
  EXPECT_NE(m.find("\n'tres' is not a valid integer value\n"), std::string::npos) << m;
  EXPECT_NE(m.find("Corrija ese dato en Colmeda"), std::string::npos) << m;
}

}  // namespace
}  // namespace vestran::test
