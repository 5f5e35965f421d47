// The export run as a whole.

#include <gtest/gtest.h>

#include "exportar/export_fixture.hpp"
#include "store/errors.hpp"

namespace vestran::test {
namespace {

const std::string kDocumento = documento(
    "<materias><materia>Música</materia></materias>"
    "<profesores><profesor><nombre>JGL</nombre><nombreCompleto>J</nombreCompleto></profesor>"
    "</profesores><aulas><aula><nombre>Aula 1</nombre></aula></aulas>"
    "<grupos><grupo submarco=\"1\"><nombre>1A</nombre><nivel>E</nivel><curso>1</curso>"
    "<unidad>A</unidad></grupo></grupos><sesionesLectivas><sesion id=\"1\"><materia>Música"
    "</materia><profesor>JGL</profesor><grupo>1A</grupo><distribucionSemanal>"
    "<distribucionVariable><numSesiones>2</numSesiones></distribucionVariable>"
    "</distribucionSemanal><tarea/></sesion></sesionesLectivas>");

const char* const kTablas[] = {"ASIGNOMT", "PROFT", "AULAT", "DIASHORAST", "GRUPOST", "ASIGT"};

TEST(ExportRun, WritesTheSixTablesInOrderAndCountsTheirRows) {
  ExportFixture f;
  const auto r = f.exportar(kDocumento);
  ASSERT_EQ(r.tablas.size(), 6u);
  for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(r.tablas[i].tabla, kTablas[i]);
  for (const auto& t : r.tablas) EXPECT_EQ(t.filas, 1u) << t.tabla;
  EXPECT_TRUE(r.informe.vacio());
  // Nothing but the tables and the run lock remains: no temporary file, no staging folder.
  EXPECT_EQ(listDir(f.planner()), (std::vector<std::string>{"ASIGNOMT.DBF", "ASIGT.DBF",
                                                             "AULAT.DBF", "DIASHORAST.DBF",
                                                             "GRUPOST.DBF", "PROFT.DBF",
                                                             "vestran.lck"}));
}

TEST(ExportRun, AWrongDocumentStopsTheRunBeforeAnyTableIsTouched) {
  struct Case {
    const char* name;
    std::string xml;
    const char* message;
  } cases[] = {
      {"does not parse", "<datosGHC>\n<materias>\n</datosGHC>", "línea 3"},
      {"wrong root", "<otraCosa><marcosDeHorario/></otraCosa>",
       "es un documento XML, pero no un documento de intercambio de Colmeda"},
      {"no time frame", "<datosGHC><materias/></datosGHC>", "ningún marco horario"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ExportFixture f;
    f.exportar(kDocumento);
    std::vector<std::string> before;
    for (const char* t : kTablas) before.push_back(readFile(f.planner() / (std::string(t) + ".DBF")));
    try {
      f.exportar(c.xml);
      FAIL();
    } catch (const DocumentError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find("No se ha modificado ninguna tabla"),
                std::string::npos);
    }
    for (std::size_t i = 0; i < 6; ++i) {
      EXPECT_EQ(readFile(f.planner() / (std::string(kTablas[i]) + ".DBF")), before[i]) << kTablas[i];
    }
  }
}

TEST(ExportRun, ARepeatedExportStartsClean) {
  ExportFixture f;
  f.exportar(kDocumento);
  const Rows first = f.rows("ASIGNOMT", {"COD"});
  f.exportar(kDocumento);
  EXPECT_EQ(f.rows("ASIGNOMT", {"COD"}), first);
  EXPECT_EQ(f.rows("ASIGT", {"CASIG", "CPROF", "CGRUP"}), (Rows{{"Música", "JGL", "E1A"}}));
}

// A set the planner could not use (no groups, no lessons) does not replace the earlier
// one: the run stops with each cause and the earlier tables stay byte for byte.
TEST(ExportRun, TheProgressNamesEachTableInTurnAndAnUnusableSetIsNotPutInPlace) {
  ExportFixture f;
  f.exportar(documento(""));
  const auto before = f.files();
  const std::string xml = documento("<materias><materia>Música</materia></materias>");
  writeFile(f.document(), xml);
  std::vector<std::string> tareas;
  OpcionesExportacion o;
  o.documento = f.document();
  o.directorio = f.planner();
  o.progreso = [&](const Progreso& p) {
    if (tareas.empty() || tareas.back() != p.tarea) tareas.emplace_back(p.tarea);
  };
  try {
    Exportacion(std::move(o)).ejecutar();
    FAIL() << "an unusable set was put in place";
  } catch (const ExportacionInservible& e) {
    ASSERT_EQ(e.avisos().size(), 2u);
    EXPECT_EQ(e.avisos()[0].find("GRUPOST ha quedado vacía: el documento no tiene ningún <grupo>"), 0u);
    EXPECT_EQ(e.avisos()[1].find("ASIGT ha quedado vacía: el documento no tiene ninguna <sesion>"), 0u);
    const std::string m = e.what();
    EXPECT_EQ(m.find("Las tablas nuevas no servirían al planificador"), 0u) << m;
    EXPECT_NE(m.find("No se ha modificado ninguna tabla."), std::string::npos) << m;
  }
  EXPECT_EQ(tareas, (std::vector<std::string>{"Leyendo el documento", "ASIGNOMT", "DIASHORAST"}));
  EXPECT_EQ(f.files(), before);
}

TEST(ExportRun, CharactersTheTablesCannotHoldAreReported) {
  ExportFixture f;
  const auto r = f.exportar(documento("<materias><materia>Matemáticas ∑</materia></materias>"));
  EXPECT_EQ(f.rows("ASIGNOMT", {"NOMBRE"}), (Rows{{"Matemáticas ?"}}));
  EXPECT_EQ(linesWith(r.informe, "ASIGNOMT, fila 1, campo CODLARGO").size(), 0u);
  EXPECT_EQ(linesWith(r.informe, "ASIGNOMT, fila 1, campo NOMBRE: 'Matemáticas ∑'").size(), 1u);
}

}  // namespace
}  // namespace vestran::test
