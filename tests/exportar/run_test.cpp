// The export run as a whole.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "exportar/export_fixture.hpp"
#include "store/errors.hpp"

#ifndef _WIN32
#include "support/child_process.hpp"
#endif

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

TEST(ExportRun, WritesTheSixTablesInOrderAndCountsTheirRows) {
  ExportFixture f;
  const auto r = f.exportar(kDocumento);
  const char* const enOrden[] = {"ASIGNOMT", "PROFT", "AULAT", "DIASHORAST", "GRUPOST", "ASIGT"};
  ASSERT_EQ(r.tablas.size(), 6u);
  ASSERT_EQ(tablasExportadas().size(), 6u);
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(r.tablas[i].tabla, enOrden[i]);
    EXPECT_EQ(tablasExportadas()[i], enOrden[i]);
  }
  for (const auto& t : r.tablas) EXPECT_EQ(t.filas, 1u) << t.tabla;
  EXPECT_TRUE(r.informe.vacio());
  // Nothing but the tables and the run lock remains: no temporary file, no staging folder.
  EXPECT_EQ(listDir(f.planner()),
            (std::vector<std::string>{"ASIGNOMT.DBF", "ASIGT.DBF", "AULAT.DBF", "DIASHORAST.DBF",
                                      "GRUPOST.DBF", "PROFT.DBF", "vestran.lck"}));
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
    for (const std::string& t : exportedTableFiles()) before.push_back(readFile(f.planner() / t));
    try {
      f.exportar(c.xml);
      FAIL();
    } catch (const DocumentError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find("No se ha modificado ninguna tabla"), std::string::npos);
    }
    for (std::size_t i = 0; i < 6; ++i) {
      EXPECT_EQ(readFile(f.planner() / exportedTableFiles()[i]), before[i])
          << exportedTableFiles()[i];
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
#ifdef _WIN32
// A planner table that another program (an antivirus, a backup) holds for a second when the
// export puts the new set in place is replaced once it is let go.
TEST(ExportRun, ATableHeldForAMomentIsReplacedOnceLetGo) {
  ExportFixture f;
  f.exportar(kDocumento);
  {
    FileHolder antivirus(f.planner() / "ASIGT.DBF");
    antivirus.letGoAfter(std::chrono::seconds(1));
    const auto r = f.exportar(kDocumento);
    EXPECT_EQ(r.tablas.size(), 6u);
  }
  EXPECT_TRUE(std::filesystem::exists(f.planner() / "ASIGT.DBF"));
}
#endif

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
    EXPECT_EQ(e.avisos()[0].find("GRUPOST ha quedado vacía: el documento no tiene ningún <grupo>"),
              0u);
    EXPECT_EQ(e.avisos()[1].find("ASIGT ha quedado vacía: el documento no tiene ninguna <sesion>"),
              0u);
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

#ifndef _WIN32
// A disk that fills while the new tables are written: the message says so and what to do,
// names no file of vestran's own, and the earlier tables stay byte for byte.
TEST(ExportRun, AFullDiskLeavesTheEarlierTablesAndSaysWhatToDo) {
  ExportFixture f;
  f.exportar(kDocumento);
  const auto before = f.files();
  std::string sesiones;
  for (int i = 0; i < 200; ++i) {
    sesiones += "<sesion id=\"" + std::to_string(i) +
                "\"><materia>Música</materia><profesor>"
                "JGL</profesor><grupo>1A</grupo><distribucionSemanal><distribucionVariable>"
                "<numSesiones>2</numSesiones></distribucionVariable></distribucionSemanal>"
                "<tarea/></sesion>";
  }
  std::string xml = kDocumento;
  xml.insert(xml.find("</sesionesLectivas>"), sesiones);
  writeFile(f.document(), xml);
  const int code = inChildProcess(
      [&] {
        try {
          OpcionesExportacion o;
          o.documento = f.document();
          o.directorio = f.planner();
          Exportacion(std::move(o)).ejecutar();
        } catch (const TableError& e) {
          const std::string m = e.what();
          const bool dice =
              m.find(
                  "No se pudo guardar la tabla ASIGT: no queda espacio en el "
                  "disco.") == 0 &&
              m.find("Libere espacio en el disco y vuelva a exportar.") != std::string::npos &&
              m.find("No se ha modificado ninguna tabla.") != std::string::npos;
          const bool calla = m.find(".tmp") == std::string::npos &&
                             m.find("vestran-exportacion") == std::string::npos;
          if (!(dice && calla)) std::fprintf(stderr, "%s\n", m.c_str());
          return dice && calla ? 7 : 8;
        }
        return 0;
      },
      16 * 1024);
  EXPECT_EQ(code, 7);
  EXPECT_EQ(f.files(), before);
}
#endif

}  // namespace
}  // namespace vestran::test
