// DIASHORAST: the periods of the frames used, and the frame letters.

#include <gtest/gtest.h>

#include "exportar/export_fixture.hpp"
#include "store/errors.hpp"

namespace vestran::test {
namespace {

struct Tramo {
  std::string submarco, dia, indice, entrada, salida, tipo = "X";
};

std::string marcos(const std::vector<std::pair<std::string, std::vector<Tramo>>>& lista) {
  std::string s = "<marcosDeHorario>";
  for (const auto& [id, tramos] : lista) {
    s += "<marcoHorario id=\"" + id + "\">";
    for (const Tramo& t : tramos) {
      s += "<tramo><submarco>" + t.submarco + "</submarco><dia>" + t.dia + "</dia><indice>" +
           t.indice + "</indice><horaEntrada>" + t.entrada + "</horaEntrada><horaSalida>" +
           t.salida + "</horaSalida><Tipo>" + t.tipo + "</Tipo></tramo>";
    }
    s += "</marcoHorario>";
  }
  return s + "</marcosDeHorario>";
}

const std::vector<std::string> kTodos = {
    "DIHO",        "CODDIHO",   "DIA",          "TEXTODIA",     "HORA",     "TEXTOHOR",
    "HORADESDE",   "HORAHASTA", "MINUTOS",      "MARCO",        "MARCOXML", "CL_MARCO_ID",
    "CL_SUBMARCO", "CL_DIA",    "CL_HORADESDE", "CL_HORAHASTA", "CL_TIPO"};

const auto kDosMarcos = marcos(
    {{"1", {{"1", "0", "1", "08:00:00", "08:55:00"}, {"1", "0", "2", "08:55:00", "09:50:00"}}},
     {"2", {{"2", "0", "1", "07:30:00", "08:25:00"}}}});

TEST(ExportarMarcos, WorkedExample) {
  ExportFixture f;
  f.exportar(documento(kDosMarcos), {1, 0});
  EXPECT_EQ(f.rows("DIASHORAST", kTodos),
            (Rows{{"11", "", "1", "Lunes", "1", "1-08:00-08:55", "08:00", "08:55", "55", "1", "1",
                   "1", "1", "0", "08:00:00", "08:55:00", "X"},
                  {"12", "", "1", "Lunes", "2", "2-08:55-09:50", "08:55", "09:50", "55", "1", "1",
                   "1", "1", "0", "08:55:00", "09:50:00", "X"},
                  {"11", "", "1", "Lunes", "1", "1-07:30-08:25", "07:30", "08:25", "55", "0", "2",
                   "2", "2", "0", "07:30:00", "08:25:00", "X"}}));
}

TEST(ExportarMarcos, FrameLetters) {
  struct Case {
    const char* name;
    std::string section;
    std::vector<std::size_t> chosen;
    Rows marcoAndXml;
  } cases[] = {
      {"only frame 1 of the worked example", kDosMarcos, {0}, {{"0", "1"}, {"0", "1"}}},
      {"equal starts: the upper frame gets 0",
       marcos({{"A", {{"A", "0", "1", "08:00", "09:00"}}},
               {"B", {{"B", "0", "1", "08:00", "09:00"}}}}),
       {0, 1},
       {{"0", "A"}, {"1", "B"}}},
      {"only the second has Monday period 1",
       marcos({{"A", {{"A", "1", "1", "07:00", "08:00"}}},
               {"B", {{"B", "0", "1", "08:00", "09:00"}}}}),
       {0, 1},
       {{"0", "A"}, {"1", "B"}}},
      {"periods stand where their submarco says, mixed as in the document",
       marcos({{"A", {{"B", "0", "1", "07:00", "08:00"}, {"A", "0", "1", "09:00", "10:00"}}},
               {"B", {}}}),
       {0, 1},
       {{"0", "B"}, {"1", "A"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ExportFixture f;
    f.exportar(documento(c.section), c.chosen);
    EXPECT_EQ(f.rows("DIASHORAST", {"MARCO", "MARCOXML"}), c.marcoAndXml);
  }
}

TEST(ExportarMarcos, ASingleFrameIsUsedWithoutAskingAndGetsLetterZero) {
  ExportFixture f;
  f.exportar(documento(marcos({{" 7 ",
                                {{"7", "0", "1", "08:00", "09:00"},
                                 {"", "0", "2", "09:00", "10:00"},  // equals the empty 2nd
                                 {"8", "0", "3", "10:00", "11:00"}}}})));
  EXPECT_EQ(f.chooserCalls(), 0);
  EXPECT_EQ(f.rows("DIASHORAST", {"DIHO", "MARCO", "MARCOXML"}),
            (Rows{{"11", "0", "7"}, {"12", "1", ""}}));
}

TEST(ExportarMarcos, ASingleIdentifierOfTwentyCharactersIsSplitLikeTwoFrames) {
  ExportFixture f;
  f.exportar(documento(marcos({{"AAAAAAAAAABBBBBBBBBB",
                                {{"AAAAAAAAAA", "0", "1", "09:00", "10:00"},
                                 {"BBBBBBBBBB", "0", "1", "08:00", "09:00"}}}})));
  EXPECT_EQ(f.rows("DIASHORAST", {"MARCO", "MARCOXML"}),
            (Rows{{"1", "AAAAAAAAAA"}, {"0", "BBBBBBBBBB"}}));
}

TEST(ExportarMarcos, DaysTimesAndIdentifiersOutsideTheUsualRange) {
  ExportFixture f;
  f.exportar(
      documento(marcos({{"1",
                         {{"1", "7", "1", "10:00", "09:30"},
                          {"1", "-1", "10", "08:00", "08:00:59"},
                          {"1", "12", "2", "08:00", "09:00"}}},
                        {"CATORCECHARS12", {{"CATORCECHARS12", "0", "1", "08:00", "09:00"}}}})),
      {0});
  EXPECT_EQ(
      f.rows("DIASHORAST", {"DIHO", "DIA", "TEXTODIA", "MINUTOS", "CL_DIA"}),
      (Rows{
          {"81", "8", "", "-30", "7"}, {"010", "0", "", "0", "-"}, {"132", "13", "", "60", "1"}}));
}

TEST(ExportarMarcos, ABadTimeStopsTheRunNamingThePeriod) {
  ExportFixture f;
  const std::string m = f.failingExport<ConversionError>(documento(
      marcos({{"1", {{"1", "0", "1", "08:00", "09:00"}, {"1", "0", "2", "9:00", "10:00"}}}})));
  EXPECT_NE(m.find("\n'9:' is not a valid integer value\n"), std::string::npos) << m;
  EXPECT_NE(m.find("<tramo> nº 2"), std::string::npos) << m;
}

TEST(ExportarMarcos, TheChooserIsAskedAgainUntilOneOrTwoFramesAreChosen) {
  TempDir dir;
  writeFile(dir / "c.xml", documento(kDosMarcos));
  int calls = 0;
  OpcionesExportacion o;
  o.documento = dir / "c.xml";
  o.directorio = dir / "DTEMP";
  o.elegirMarcos = [&](const SolicitudMarcos& s) -> std::vector<std::size_t> {
    EXPECT_EQ(s.documento, dir / "c.xml");
    EXPECT_EQ(s.marcos.size(), 2u);
    ++calls;
    if (calls == 1) return {};
    if (calls == 2) return {0, 1, 1, 7};  // duplicates and strangers do not count
    return {1};
  };
  o.siNoSirven = SiNoSirven::colocar;  // the document has no groups nor sessions
  Exportacion(std::move(o)).ejecutar();
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(rowsOf(dir / "DTEMP", "DIASHORAST", {"MARCOXML"}), (Rows{{"1"}, {"1"}, {"2"}}));
}

// Values the planner cannot work with as they stand are named in the report: a period
// given twice in one frame is written once, and an impossible time keeps the minutes the
// rule gives.
TEST(ExportarMarcos, RepeatedPeriodsAndImpossibleTimesAreReported) {
  ExportFixture f;
  const auto r = f.exportar(documento(marcos({{"1",
                                               {{"1", "0", "1", "08:00", "08:55"},
                                                {"1", "0", "1", "09:00", "09:55"},
                                                {"1", "0", "2", "25:99", "08:00"}}}})));
  EXPECT_EQ(f.rows("DIASHORAST", {"DIHO", "HORADESDE", "MINUTOS"}),
            (Rows{{"11", "08:00", "55"}, {"12", "25:99", "-1119"}}));
  EXPECT_EQ(linesWith(r.informe, "<tramo> nº 2").front(),
            "<tramo> nº 2 (línea 2): repite el día 0 y la hora 1 del marco '1' de otro <tramo> "
            "anterior; se omite.");
  EXPECT_EQ(linesWith(r.informe, "<tramo> nº 3").front(),
            "<tramo> nº 3 (línea 2): la hora de entrada '25:99' no es una hora del día; MINUTOS "
            "queda en -1119.");
}

}  // namespace
}  // namespace vestran::test
