// vestran-cli from the outside: exit codes, messages, and tables read by other programs.

#include <gtest/gtest.h>

#include "exportar/export_fixture.hpp"
#include "store/table/table.hpp"
#include "support/test_support.hpp"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace vestran::test {
namespace {

const std::string kDosMarcos = documento(
    "<materias><materia>Música</materia></materias>"
    "<marcosDeHorario>"
    "<marcoHorario id=\"1\"><tramo><submarco>1</submarco><dia>0</dia><indice>1</indice>"
    "<horaEntrada>08:00:00</horaEntrada><horaSalida>08:55:00</horaSalida><Tipo>Lectiva</Tipo>"
    "</tramo></marcoHorario>"
    "<marcoHorario id=\"2\"><tramo><submarco>2</submarco><dia>2</dia><indice>1</indice>"
    "<horaEntrada>15:30:00</horaEntrada><horaSalida>16:25:00</horaSalida><Tipo>Lectiva</Tipo>"
    "</tramo></marcoHorario>"
    "<marcoHorario id=\"3\"/>"
    "</marcosDeHorario>"
    "<grupos><grupo submarco=\"2\"><nombre>2º Bach. B</nombre><nivel>BAC</nivel><curso>2</curso>"
    "<unidad>B</unidad></grupo></grupos>"
    "<sesionesLectivas><sesion id=\"101\"><materia>Música</materia><profesor/>"
    "<grupo>2º Bach. B</grupo><distribucionSemanal><distribucionVariable><numSesiones>1"
    "</numSesiones></distribucionVariable></distribucionSemanal><tarea/></sesion>"
    "</sesionesLectivas>");

class Cli : public ::testing::Test {
 protected:
  void SetUp() override { writeFile(dir / "centro.xml", kDosMarcos); }
  std::string doc() const { return utf8(dir / "centro.xml"); }
  std::string planner() const { return utf8(dir / "DTEMP"); }
  // vestran-cli with these arguments. Without --dir the planner folder is still this
  // test's own, so that no case can reach the developer's planner folder.
  ProcessResult cli(std::vector<std::string> args, Environment env = {}) const {
    args.insert(args.begin(), VESTRAN_CLI);
    env.insert(env.begin(), {"VESTRAN_DTEMP", planner()});
    return run(args, {}, env);
  }
  TempDir dir;
};

TEST_F(Cli, ExportWritesLevel7TablesThatTDbfReads) {
  REQUIRE_INDEPENDENT_TOOLS();
  const auto r = cli({"exportar", doc(), "--dir", planner(), "--marcos", "2,1"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, 19), "Proceso finalizado\n");
  EXPECT_NE(r.out.find("  DIASHORAST: 2 filas\n  GRUPOST: 1 fila\n"), std::string::npos) << r.out;
  const auto dump = tdbfDump(dir / "DTEMP" / "DIASHORAST.DBF");
  ASSERT_EQ(dump.size(), 1u + 17u + 2u);
  EXPECT_EQ(dump[0], "LEVEL 7 CP 1252");
  EXPECT_EQ(dump[12], "FIELD CL_MARCO_ID C 2 0");
  EXPECT_EQ(dump[15], "FIELD CL_HORADESDE C 8 0");
  EXPECT_EQ(dump[18],
            "ROW|11|<null>|1|Lunes|1|1-08:00-08:55|08:00|08:55|55|0|1|1|1|0|08:00:00|"
            "08:55:00|Lectiva");
  EXPECT_EQ(dump[19],
            "ROW|31|<null>|3|Miércoles|1|1-15:30-16:25|15:30|16:25|55|1|2|2|2|2|"
            "15:30:00|16:25:00|Lectiva");
  EXPECT_EQ(tdbfDump(dir / "DTEMP" / "GRUPOST.DBF").back(),
            "ROW|BAC2B|<null>|BAC|2|B|2º Bach. B|1");
}

TEST_F(Cli, ExportInDbase3FormIsReadByDbfread) {
  REQUIRE_INDEPENDENT_TOOLS();
  const auto r = cli({"exportar", doc(), "--marcos", "2"}, {{"VESTRAN_FORMATO", "dbase3"}});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(python(R"(
import sys, dbfread
t = dbfread.DBF(sys.argv[1])
print([f.name for f in t.fields][11:])
for r in t: print(r['DIHO'], r['TEXTODIA'], r['CL_HORADES'], r['MARCO'])
)",
                   {(dir / "DTEMP" / "DIASHORAST.DBF").string()}),
            "['CL_MARCO_I', 'CL_SUBMARC', 'CL_DIA', 'CL_HORADES', 'CL_HORAHAS', 'CL_TIPO']\n"
            "31 Miércoles 15:30:00 0\n");
}

TEST_F(Cli, ExitCodesAndMessages) {
  writeFile(dir / "roto.xml", "<datosGHC><marcosDeHorario>");
  const std::string roto = utf8(dir / "roto.xml");
  writeFile(dir / "gemelos.xml", documento("<marcosDeHorario><marcoHorario id=\"1\"/>"
                                           "<marcoHorario id=\" 1 \"/></marcosDeHorario>"));
  const std::string gemelos = utf8(dir / "gemelos.xml");
  const std::string no = utf8(dir / "no.xml");
  struct Case {
    const char* name;
    std::vector<std::string> args;
    int exitCode;
    std::string message;
  } cases[] = {
      {"several frames and no --marcos",
       {"exportar", doc(), "--dir", planner()},
       2,
       "El documento tiene 3 marcos horarios; elija uno o dos con --marcos ID[,ID]:\n  1\n  2\n  "
       "3\n"},
      {"three frames",
       {"exportar", doc(), "--dir", planner(), "--marcos", "1,2,3"},
       2,
       "Demasiados Marcos Horarios seleccionados.\nComo máximo puede seleccionar 2 Marcos "
       "Horarios\n"},
      {"unknown frame",
       {"exportar", doc(), "--dir", planner(), "--marcos", "1,7"},
       2,
       "El documento no tiene ningún marco horario con el identificador '7'.\n"},
      {"one frame named twice",
       {"exportar", doc(), "--dir", planner(), "--marcos", "1, 1"},
       2,
       "El marco horario '1' está nombrado dos veces"},
      {"two frames of one identifier",
       {"exportar", gemelos, "--dir", planner(), "--marcos", "1"},
       1,
       "tiene 2 marcos horarios con el mismo identificador '1'"},
      {"a document that does not parse, with --marcos",
       {"exportar", roto, "--marcos", "1"},
       1,
       "no se puede usar: el documento se acaba sin cerrar el elemento <marcosDeHorario>"},
      {"missing document", {"exportar", no}, 3, "No existe archivo\n"},
      {"missing document to import", {"importar", no}, 3, "No existe archivo XML.\n"},
      {"import without planner tables",
       {"importar", doc(), "--dir", planner()},
       1,
       "No existe la tabla SOLUC"},
      {"unknown format",
       {"exportar", doc(), "--formato", "dbase5"},
       2,
       "Formato de tabla desconocido"},
      {"unknown command", {"borrar"}, 2, "Orden desconocida: 'borrar'"},
      {"missing argument", {"tabla"}, 2, "La orden tabla necesita FICHERO.DBF"},
      {"option of another command",
       {"tabla", "x.dbf", "--marcos", "1"},
       2,
       "no admite la opción --marcos"},
      {"unreadable table", {"tabla", doc()}, 1, "no se puede leer"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto r = cli(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "DTEMP"));  // no usage error touched a table
}

#ifndef _WIN32
// Something that exists but is no file is not "missing": it is read, and refused for what
// it is, as an unreadable document is (exit 1, not 3).
TEST_F(Cli, ADocumentThatIsNoFileIsNotReportedAsMissing) {
  ASSERT_EQ(mkfifo((dir / "tuberia.xml").c_str(), 0644), 0);
  std::filesystem::create_symlink("/dev/zero", dir / "cero.xml");
  // The planner's tables, so that the import reaches the document.
  ASSERT_EQ(cli({"exportar", doc(), "--dir", planner(), "--marcos", "2"}).exitCode, 0);
  ASSERT_EQ(run({VESTRAN_SIMULAR_SOLUC, "--dir", planner()}).exitCode, 0);
  for (const char* nombre : {"tuberia.xml", "cero.xml"}) {
    SCOPED_TRACE(nombre);
    for (const char* orden : {"exportar", "importar"}) {
      const auto r = cli({orden, utf8(dir / nombre), "--dir", planner()});
      EXPECT_EQ(r.exitCode, 1) << r.err;
      EXPECT_NE(r.err.find("no es un archivo normal"), std::string::npos) << r.err;
      EXPECT_EQ(r.err.find("No existe archivo"), std::string::npos) << r.err;
    }
  }
}
#endif

TEST_F(Cli, TablaQuotesCsvFieldsAndWritesTheSameBytesEverywhere) {
  const std::vector<FieldDef> campos = {{"TEXTO", FieldKind::character, 20},
                                        {"N", FieldKind::integer}};
  Table::recreate(dir.path(), "CSV", campos, TableFormat::level7);
  Table t = Table::open(dir.path(), "CSV");
  for (const char* texto : {"llano", "con, coma", "con \"comillas\"", "dos\nlíneas", "fin\r\n"}) {
    t.append();
    t.setText("TEXTO", texto);
    t.setInteger("N", 7);
    t.post();
  }
  t.close();
  const auto r = cli({"tabla", utf8(dir / "CSV.DBF")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "TEXTO,N\nllano,7\n\"con, coma\",7\n\"con \"\"comillas\"\"\",7\n"
            "\"dos\nlíneas\",7\n\"fin\r\n\",7\n");
}

TEST_F(Cli, TablaPrintsTablesOfOtherProgramsAsCsv) {
  REQUIRE_INDEPENDENT_TOOLS();
  python(R"(
import sys, dbf
t = dbf.Table(sys.argv[1], 'nombre C(12); dia I; hora B', dbf_type='vfp', codepage='cp850')
t.open(dbf.READ_WRITE)
t.append(('Año', 1, 2.5))
t.append(('Borrada', 2, 0.0))
t.append(('Ñu', -3, 0.125))
dbf.delete(t[1])
t.close()
)",
         {(dir / "vfp.dbf").string()});
  auto r = cli({"tabla", utf8(dir / "vfp.dbf")});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "NOMBRE,DIA,HORA\nAño,1,2.5\nÑu,-3,0.125\n");

  tdbfWrite(dir / "largos.dbf", 7, "CL_HORADESDE:S:8:0;CL_GENERICA:S:1:0\n08:30:00|S\n");
  r = cli({"tabla", utf8(dir / "largos.dbf")});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "CL_HORADESDE,CL_GENERICA\n08:30:00,S\n");
}

TEST_F(Cli, ImportWritesTheResultBesideTheDocument) {
  ASSERT_EQ(cli({"exportar", doc(), "--dir", planner(), "--marcos", "2"}).exitCode, 0);
  ASSERT_EQ(run({VESTRAN_SIMULAR_SOLUC, "--dir", planner()}).exitCode, 0);
  const auto r = cli({"importar", doc(), "--dir", planner()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, 19), "Proceso finalizado\n");
  EXPECT_NE(r.out.find("Resultado: " + utf8(dir / "ResultadoVestrancentro.xml") + "\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("Clases escritas en el horario: 1\n"), std::string::npos) << r.out;
}

TEST_F(Cli, AnExportThePlannerCouldNotUseStopsAndSaysWhy) {
  writeFile(
      dir / "largo.xml",
      documento(
          "<marcosDeHorario><marcoHorario id=\"MAÑANA-LARGA\"><tramo><submarco>MAÑANA-LARGA"
          "</submarco><dia>0</dia><indice>1</indice><horaEntrada>08:00</horaEntrada>"
          "<horaSalida>08:55</horaSalida><Tipo>L</Tipo></tramo></marcoHorario></marcosDeHorario>"));
  const auto r = cli({"exportar", utf8(dir / "largo.xml"), "--dir", planner()});
  EXPECT_EQ(r.exitCode, 1) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("El marco horario 'MAÑANA-LARGA' no ha dado ninguna hora: su "
                       "identificador tiene 12 caracteres"),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("No se ha modificado ninguna tabla."), std::string::npos) << r.err;
  EXPECT_EQ(exportedTablesOf(dir / "DTEMP").size(), 0u);
}

// An export of the wrong document is undone: the first set comes back byte for byte, and a
// second restore brings the wrong one back again. SOLUC is never touched.
TEST_F(Cli, RestaurarUndoesTheLastExport) {
  auto r = cli({"restaurar", "--dir", planner()});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("no hay tablas anteriores que restaurar"), std::string::npos) << r.err;

  ASSERT_EQ(cli({"exportar", doc(), "--dir", planner(), "--marcos", "2"}).exitCode, 0);
  writeFile(dir / "DTEMP" / "SOLUC.DBF", "la solución del planificador");
  const auto first = exportedTablesOf(dir / "DTEMP");
  writeFile(dir / "otro.xml",
            std::string(kDosMarcos).replace(kDosMarcos.find("Música"), 7, "Dibujo"));
  ASSERT_EQ(cli({"exportar", utf8(dir / "otro.xml"), "--dir", planner(), "--marcos", "2"}).exitCode,
            1);  // Dibujo has no session: the planner could not use it, nothing changed
  EXPECT_EQ(exportedTablesOf(dir / "DTEMP"), first);
  writeFile(
      dir / "otro.xml",
      documento(
          "<materias><materia>Dibujo</materia></materias><grupos><grupo submarco=\"1\"><nombre>1A"
          "</nombre><nivel>E</nivel><curso>1</curso><unidad>A</unidad></grupo></grupos>"
          "<sesionesLectivas><sesion id=\"7\"><materia>Dibujo</materia><profesor/><grupo>1A</grupo>"
          "<distribucionSemanal><distribucionVariable><numSesiones>3</numSesiones>"
          "</distribucionVariable></distribucionSemanal><tarea/></sesion></sesionesLectivas>"));
  ASSERT_EQ(cli({"exportar", utf8(dir / "otro.xml"), "--dir", planner()}).exitCode, 0);
  const auto wrong = exportedTablesOf(dir / "DTEMP");
  ASSERT_NE(wrong, first);

  r = cli({"restaurar", "--dir", planner()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, 19), "Proceso finalizado\n");
  EXPECT_NE(r.out.find("  ASIGT: 1 fila\n"), std::string::npos) << r.out;
  EXPECT_EQ(exportedTablesOf(dir / "DTEMP"), first);
  EXPECT_EQ(readFile(dir / "DTEMP" / "SOLUC.DBF"), "la solución del planificador");
  ASSERT_EQ(cli({"restaurar", "--dir", planner()}).exitCode, 0);
  EXPECT_EQ(exportedTablesOf(dir / "DTEMP"), wrong);
  EXPECT_EQ(cli({"restaurar", "otro", "--dir", planner()}).exitCode, 2);
}

TEST_F(Cli, MarcosListsTheFramesAndTheirFirstDayPeriods) {
  const auto r = cli({"marcos", doc()});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out,
            "1\n  1-08:00:00-08:55:00-Lectiva\n2\n3\n  Aviso: No se puede exportar: no "
            "tiene ninguna hora (tramo) suya en el documento.\n");
}

TEST_F(Cli, HelpAndVersion) {
  const auto help = cli({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("exportar DOCUMENTO"), std::string::npos);
  EXPECT_EQ(cli({"--version"}).out.substr(0, 12), "vestran-cli ");
}

}  // namespace
}  // namespace vestran::test
