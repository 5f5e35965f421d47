// The timetable write-back.

#include "importar/Importacion.hpp"

#include <gtest/gtest.h>

#include "importar/importar_fixture.hpp"
#include "store/errors.hpp"
#include "store/table/table.hpp"
#include "store/xml/document.hpp"
#include "support/test_support.hpp"
#ifndef _WIN32
#include "support/child_process.hpp"
#endif

namespace vestran::test {
namespace {

TEST_F(Importar, WorkedExample) {
  planner({{"3", "3", "0", "A12", "MAT1", "1ESOA", "GARC"},
           {"3", "4", "0", "", "MAT1", "1ESOA", "GARC"},
           {"0", "5", "0", "A12", "MAT1", "1ESOA", "GARC"}});
  const auto r = importar();
  EXPECT_EQ(r.archivo, dir / "ResultadoVestrancentro.xml");
  EXPECT_EQ(r.tramos, 2u);
  EXPECT_EQ(horario(r.archivo),
            "<horario>\n"
            "<tramo dia=\"2\" indice=\"3\" marco=\"7\"><aula id=\"Aula 12\"><sesion>345</sesion>"
            "<profesor>GARC</profesor></aula></tramo>\n"
            "<tramo dia=\"2\" indice=\"4\" marco=\"7\"><aula anonima=\"Gimnasio\"><sesion>345"
            "</sesion><profesor>GARC</profesor></aula></tramo>\n"
            "</horario>");
  EXPECT_EQ(readFile(dir / "centro.xml"), kDocumento);
}

TEST_F(Importar, UnmatchedLookupsAndOtherEdgeCases) {
  planner({{"1", "7", "1", "GIM1", "MAT1", "1ESOA", "GARC"},      // not an ordinary room
           {"2", "1", "X", "a12", "MAT1", "1esoa", "GARC"},       // case counts everywhere
           {"2.4", "0", "0", " ", "ZZZ", "1ESOA", ""}},           // nearest whole day
          {{"A12", "Aula 12", "N"}, {"GIM1", "Gimnasio", "X"}});  // no generic room
  const auto r = importar();
  EXPECT_EQ(horario(r.archivo),
            "<horario>\n"
            "<tramo dia=\"0\" indice=\"7\" marco=\"Tarde\"><aula><sesion>345</sesion>"
            "<profesor>GARC</profesor></aula></tramo>\n"
            "<tramo dia=\"1\" indice=\"1\" marco=\"\"><aula><sesion/><profesor>GARC</profesor>"
            "</aula></tramo>\n"
            "<tramo dia=\"1\" indice=\"0\" marco=\"7\"><aula anonima=\"\"><sesion/><profesor/>"
            "</aula></tramo>\n"
            "</horario>");
  const auto& l = r.informe.lineas();
  ASSERT_EQ(l.size(), 3u);
  EXPECT_EQ(l[0],
            "Filas de SOLUC cuyo MARCO no está en DIASHORAST (marco vacío): 1 (por ejemplo: "
            "fila 2 (MARCO 'X'))");
  EXPECT_EQ(l[1],
            "Filas de SOLUC cuya AULA no está en AULAT (aula sin atributos): 1 (por "
            "ejemplo: fila 2 (AULA 'a12'))");
  EXPECT_EQ(l[2],
            "Filas de SOLUC cuya ASIG y CODGRUPO no están en ASIGT (sesion vacía): 2 (por "
            "ejemplo: fila 2 (ASIG 'MAT1', CODGRUPO '1esoa'); fila 3 (ASIG 'ZZZ', "
            "CODGRUPO '1ESOA'))");
}

TEST_F(Importar, OfSeveralSessionsOfOneSubjectAndGroupTheLessonsTeachersIsTaken) {
  planner({{"1", "1", "0", "A12", "ING", "2B", "PEPA"},
           {"1", "2", "0", "A12", "ING", "2B", "JUAN"},
           {"1", "3", "0", "A12", "ING", "2B", "OTRO"}},
          {{"A12", "Aula 12", "N"}}, {{"ING", "2B", "JUAN", "501"}, {"ING", "2B", "PEPA", "502"}});
  const std::string h = horario(importar().archivo);
  EXPECT_NE(h.find("indice=\"1\" marco=\"7\"><aula id=\"Aula 12\"><sesion>502"), std::string::npos);
  EXPECT_NE(h.find("indice=\"2\" marco=\"7\"><aula id=\"Aula 12\"><sesion>501"), std::string::npos);
  EXPECT_NE(h.find("indice=\"3\" marco=\"7\"><aula id=\"Aula 12\"><sesion>501"), std::string::npos);
}

TEST_F(Importar, NoPlacedLessonGivesAnEmptyHorarioAtTheEnd) {
  planner({{"0", "1", "0", "A12", "MAT1", "1ESOA", "GARC"}});
  const auto r = importar();
  EXPECT_EQ(r.tramos, 0u);
  EXPECT_EQ(readFile(r.archivo),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<datosGHC>\n  <materias/>\n"
            "<horario>\n</horario></datosGHC>\n");
}

TEST_F(Importar, AnEarlierResultChosenAgainGetsTheLessonsInItsFirstHorario) {
  planner({{"1", "1", "0", "A12", "MAT1", "1ESOA", "GARC"}});
  const auto first = importar();
  const auto second = vestran::importar({first.archivo, dir / "DTEMP"});
  EXPECT_EQ(second.archivo, dir / "ResultadoVestranResultadoVestrancentro.xml");
  const std::string h = horario(second.archivo);
  EXPECT_EQ(h.find("<horario>\n<tramo"), 0u);
  EXPECT_EQ(h.size() - h.rfind("<horario/>"), std::string("<horario/>").size());
  EXPECT_EQ(std::count(h.begin(), h.end(), '\n'), 3);  // two tramo lines in the first
  ASSERT_EQ(second.informe.lineas().size(), 1u);
  EXPECT_EQ(second.informe.lineas()[0].substr(0, 35), "El documento ya tenía un <horario>");
  // The summary says it, not only the report: the timetable is doubled.
  EXPECT_EQ(second.clasesPrevias, 1u);
  const auto avisos = resumir(second).avisos;
  ASSERT_EQ(avisos.size(), 1u);
  EXPECT_NE(avisos[0].find("ya tenía un horario con 1 clase, y se le han añadido 1 clase más"),
            std::string::npos)
      << avisos[0];
  EXPECT_NE(avisos[0].find("importe de nuevo eligiendo el documento original que exportó "
                           "Colmeda"),
            std::string::npos)
      << avisos[0];
}

TEST_F(Importar, AWrongDocumentOrAMissingTableWritesNothingAndReleasesEveryTable) {
  struct Case {
    const char* name;
    std::string xml;
    const char* removeTable;
    const char* message;
  } cases[] = {
      {"does not parse", "<datosGHC><a></datosGHC>", nullptr,
       "no se puede usar: la etiqueta de cierre </datosGHC> (línea 1) no cierra el elemento <a>"},
      {"wrong root", "<otro/>", nullptr,
       "es un documento XML, pero no un documento de intercambio de Colmeda"},
      {"missing table", kDocumento, "ASIGT.DBF", "No existe la tabla ASIGT"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    planner({{"1", "1", "0", "A12", "MAT1", "1ESOA", "GARC"}});
    if (c.removeTable) std::filesystem::remove(dir / "DTEMP" / c.removeTable);
    try {
      importar(c.xml);
      FAIL();
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "ResultadoVestrancentro.xml"));
    for (const char* t : {"SOLUC", "GRUPOST", "PROFT", "AULAT"}) {
      EXPECT_NO_THROW(Table::open(dir / "DTEMP", t)) << t;
    }
  }
}

TEST_F(Importar, ATableThePlannerStillHoldsStopsTheRun) {
  planner({{"1", "1", "0", "A12", "MAT1", "1ESOA", "GARC"}});
  Table held = Table::open(dir / "DTEMP", "DIASHORAST");
  EXPECT_THROW(importar(), TableLockedError);
  EXPECT_FALSE(std::filesystem::exists(dir / "ResultadoVestrancentro.xml"));
}

#ifndef _WIN32
TEST_F(Importar, AFailedSaveLeavesTheEarlierResultIntactAndNoTemporaryFile) {
  planner({{"1", "1", "0", "A12", "MAT1", "1ESOA", "GARC"}});
  writeFile(dir / "ResultadoVestrancentro.xml", "anterior");
  // A document that parses and is larger than what the disk takes.
  writeFile(dir / "centro.xml", "<datosGHC><!--" + std::string(4000, '.') + "--></datosGHC>");
  const int code = inChildProcess(
      [&] {
        try {
          vestran::importar({dir / "centro.xml", dir / "DTEMP"});
        } catch (const DocumentError& e) {
          const std::string m = e.what();
          return m.find("No se pudo guardar el documento") != std::string::npos &&
                         m.find("no queda espacio en el disco") != std::string::npos
                     ? 7
                     : 8;
        }
        return 0;
      },
      2000);
  EXPECT_EQ(code, 7);
  EXPECT_EQ(readFile(dir / "ResultadoVestrancentro.xml"), "anterior");
  EXPECT_EQ(listDir(dir.path()),
            (std::vector<std::string>{"DTEMP", "ResultadoVestrancentro.xml", "centro.xml"}));
}
#endif

}  // namespace
}  // namespace vestran::test
