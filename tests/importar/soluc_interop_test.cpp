// SOLUC as other programs write it: any dBase variant, deleted rows, numeric days.

#include "importar/Importacion.hpp"

#include <gtest/gtest.h>

#include "exportar/export_fixture.hpp"

namespace vestran::test {
namespace {

// Exports a small document, then lets `writeSoluc` write SOLUC into the planner folder
// and imports; returns the <tramo> lines of the result.
class SolucInterop : public ::testing::Test {
 protected:
  void SetUp() override {
    exportFixture.exportar(documento(
        "<materias><materia>Música</materia></materias>"
        "<profesores><profesor><nombre>JGL</nombre><nombreCompleto>J</nombreCompleto>"
        "</profesor></profesores><aulas><aula><nombre>Aula Ñ</nombre></aula></aulas>"
        "<grupos><grupo submarco=\"1\"><nombre>1A</nombre><nivel>E</nivel><curso>1</curso>"
        "<unidad>A</unidad></grupo></grupos><sesionesLectivas><sesion id=\"77\"><materia>"
        "Música</materia><profesor>JGL</profesor><grupo>1A</grupo><distribucionSemanal>"
        "<distribucionVariable><numSesiones>2</numSesiones></distribucionVariable>"
        "</distribucionSemanal><tarea/></sesion></sesionesLectivas>"));
  }
  std::vector<std::string> importTramos() {
    const auto r = importar({exportFixture.document(), exportFixture.planner()});
    std::vector<std::string> lines;
    const std::string xml = readFile(r.archivo);
    for (std::size_t at = xml.find("<tramo "); at != std::string::npos;
         at = xml.find("<tramo ", at + 1)) {
      lines.push_back(xml.substr(at, xml.find("</tramo>", at) + 8 - at));
    }
    return lines;
  }
  std::filesystem::path soluc() const { return exportFixture.planner() / "SOLUC.DBF"; }
  ExportFixture exportFixture;
};

const std::vector<std::string> kEsperado = {
    "<tramo dia=\"0\" indice=\"1\" marco=\"1\"><aula id=\"Aula Ñ\"><sesion>77</sesion>"
    "<profesor>JGL</profesor></aula></tramo>",
    "<tramo dia=\"3\" indice=\"2\" marco=\"1\"><aula anonima=\"\"><sesion>77</sesion>"
    "<profesor>JGL</profesor></aula></tramo>",
};

TEST_F(SolucInterop, Level7TableWrittenByTDbf) {
  REQUIRE_INDEPENDENT_TOOLS();
  tdbfWrite(soluc(), 7,
            "DIA:F:2:0;HORA:I:0:0;MARCO:S:1:0;AULA:S:10:0;ASIG:S:10:0;CODGRUPO:S:10:0;"
            "PROF:S:10:0;TURNO:S:1:0\n"
            "1|1|0|Aula Ñ|Música|E1A|JGL|\n"
            "*3|3|0|Aula Ñ|Música|E1A|JGL|\n"
            "0|5|0||Música|E1A|JGL|\n"
            "4|2|0||Música|E1A|JGL|\n");
  EXPECT_EQ(importTramos(), kEsperado);
}

TEST_F(SolucInterop, Dbase3AndVisualFoxProTablesWrittenByPythonDbf) {
  REQUIRE_INDEPENDENT_TOOLS();
  for (const char* type : {"db3", "vfp"}) {
    SCOPED_TRACE(type);
    const std::string numbers =
        std::string(type) == "vfp" ? "dia B; hora I" : "dia N(2,0); hora F(4,1)";
    python(R"(
import sys, dbf
t = dbf.Table(sys.argv[1], sys.argv[2] + '; marco C(1); aula C(10); asig C(10); codgrupo C(10); prof C(10)',
              dbf_type=sys.argv[3], codepage='cp850')
t.open(dbf.READ_WRITE)
t.append((1, 1, '0', 'Aula Ñ', 'Música', 'E1A', 'JGL'))
t.append((2, 2, '0', 'Aula Ñ', 'Música', 'E1A', 'JGL'))
t.append((4, 2, '0', '', 'Música', 'E1A', 'JGL'))
dbf.delete(t[1])
t.close()
)",
           {soluc().string(), numbers, type});
    EXPECT_EQ(importTramos(), kEsperado);
  }
}

}  // namespace
}  // namespace vestran::test
