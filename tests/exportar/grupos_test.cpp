// GRUPOST: the groups of the frames used.

#include <gtest/gtest.h>

#include "exportar/export_fixture.hpp"
#include "store/errors.hpp"

namespace vestran::test {
namespace {

struct Grupo {
  std::string submarco, nombre, nivel, curso, unidad;
};

std::string grupos(const std::vector<Grupo>& lista) {
  std::string s = "<grupos>";
  for (const Grupo& g : lista) {
    s += "<grupo submarco=\"" + g.submarco + "\"><nombre>" + g.nombre + "</nombre><nivel>" +
         g.nivel + "</nivel><curso>" + g.curso + "</curso><unidad>" + g.unidad +
         "</unidad></grupo>";
  }
  return s + "</grupos>";
}

// Frames with these identifiers; the first starts at 09:00, the later ones earlier, so
// that choosing the first two gives the first letter "1" and the second "0".
std::string marcos(const std::vector<std::string>& ids) {
  std::string s = "<marcosDeHorario>";
  int hora = 9;
  for (const auto& id : ids) {
    s += "<marcoHorario id=\"" + id + "\"><tramo><submarco>" + id +
         "</submarco><dia>0</dia><indice>1</indice><horaEntrada>0" + std::to_string(hora) +
         ":00</horaEntrada><horaSalida>0" + std::to_string(hora) +
         ":55</horaSalida><Tipo>X</Tipo></tramo></marcoHorario>";
    --hora;
  }
  return s + "</marcosDeHorario>";
}

const std::vector<std::string> kCampos = {"ABREV", "TURNO",   "NIVEL", "CURSO",
                                          "GRUPO", "DESCRIP", "MARCO"};

TEST(ExportarGrupos, WorkedExample) {
  ExportFixture f;
  f.exportar(
      documento(marcos({"1", "2", "3"}) + grupos({{"1", "Primero A", "SEC", "1", "A"},
                                                  {"2", "Primero A tarde", "SEC", "1", "A"},
                                                  {"3", "Taller", "TAL", "1", "A"},
                                                  {"1", "Superior C", "SUPERIORES", "1", "C"}})),
      {0, 1});
  EXPECT_EQ(f.rows("GRUPOST", kCampos),
            (Rows{{"SEC1A", "", "SEC", "1", "A", "Primero A", "1"},
                  {"SEC1A1", "", "SEC", "1", "A", "Primero A tarde", "0"},
                  {"SUPERIOR1C", "", "SUPER", "1", "C", "Superior C", "1"}}));
}

TEST(ExportarGrupos, TheWholeFrameIdentifierDecidesTheFrame) {
  ExportFixture f;
  const auto r = f.exportar(documento(marcos({"1", "12"}) + grupos({{"12", "Doce", "D", "1", "A"},
                                                                    {" 1 ", "Uno", "U", "1", "A"},
                                                                    {"3", "Tres", "U", "1", "A"}})),
                            {1});  // frame 12 only
  EXPECT_EQ(f.rows("GRUPOST", {"DESCRIP", "MARCO"}), (Rows{{"Doce", "0"}}));
  EXPECT_EQ(
      linesWith(r.informe, "'Uno': se omite porque su marco horario '1' no se exporta").size(), 1u);
}

TEST(ExportarGrupos, ALoneGroupIsWritten) {
  ExportFixture f;
  f.exportar(documento(grupos({{"1", "Único", "ESO", "1", "A"}})));
  EXPECT_EQ(f.rows("GRUPOST", {"ABREV", "MARCO"}), (Rows{{"ESO1A", "0"}}));
}

TEST(ExportarGrupos, CodesAreUniqueWithinTheTable) {
  struct Case {
    const char* name;
    std::vector<Grupo> grupos;
    Rows abrev;
  } cases[] = {
      {"letter case",
       {{"1", "a", "AB", "1", "C"},
        {"1", "b", "AB", "1", "C"},
        {"1", "c", "AB", "1", "C"},
        {"1", "d", "ab", "1", "c"}},
       {{"AB1C"}, {"AB1C1"}, {"AB1C2"}, {"ab1c3"}}},
      {"a skipped group issues no code",
       {{"9", "x", "AB", "1", "C"}, {"1", "y", "AB", "1", "C"}},
       {{"AB1C"}}},
      {"a base of twelve characters",
       {{"1", "a", "ABCDEFGH", "IJ", "KL"}, {"1", "b", "ABCDEFGH", "IJ", "KL"}},
       {{"ABCDEFGHKL"}, {"ABCDEFGHL1"}}},
      {"long bases alike in their first 8 and last 2 characters",
       {{"1", "a", "ABCDEFGH", "xx", "KL"},
        {"1", "b", "ABCDEFGH", "yy", "KL"},
        {"1", "c", "ABCDEFGH", "", "KL"}},
       {{"ABCDEFGHKL"}, {"ABCDEFGHL1"}, {"ABCDEFGHK1"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ExportFixture f;
    f.exportar(documento(grupos(c.grupos)));
    EXPECT_EQ(f.rows("GRUPOST", {"ABREV"}), c.abrev);
  }
}

TEST(ExportarGrupos, ElevenAndTwelveGroupsOfATenCharacterBase) {
  std::vector<Grupo> lista(12, Grupo{"1", "g", "ABCDEFG", "HI", "J"});
  ExportFixture f;
  f.exportar(documento(grupos(lista)));
  const Rows rows = f.rows("GRUPOST", {"ABREV"});
  ASSERT_EQ(rows.size(), 12u);
  EXPECT_EQ(rows[0][0], "ABCDEFGHIJ");
  EXPECT_EQ(rows[1][0], "ABCDEFGHI1");
  EXPECT_EQ(rows[9][0], "ABCDEFGHI9");
  EXPECT_EQ(rows[10][0], "ABCDEFGH10");
  EXPECT_EQ(rows[11][0], "ABCDEFGH11");
}

TEST(ExportarGrupos, WhenEverySuffixIsTakenTheRunStopsNamingTheTextAndTheTable) {
  std::vector<Grupo> lista(1001, Grupo{"1", "g", "AB", "", ""});
  ExportFixture f;
  EXPECT_EQ(f.failingExport<CodigosAgotados>(documento(grupos(lista))),
            "No queda ningún código corto libre para 'AB' en la tabla GRUPOST: ya se usan "
            "todos los sufijos del 1 al 999 de 'AB'.\nAcorte o cambie ese nombre en Colmeda y "
            "exporte de nuevo.\nNo se ha modificado ninguna tabla.");
}

}  // namespace
}  // namespace vestran::test
