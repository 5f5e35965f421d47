// Tables written by the store are read by independent dBase implementations exactly as
// meant, and the store reads what they write.

#include <gtest/gtest.h>

#include "store/table/table.hpp"
#include "store/table/table_csv.hpp"
#include "support/test_support.hpp"

#include <sstream>

namespace vestran {
namespace {

using test::TempDir;

std::string csvOf(const std::filesystem::path& dir, std::string_view name) {
  Table t = Table::open(dir, name);
  std::ostringstream out;
  writeCsv(t, out);
  return out.str();
}

// The layout of the day-period table's long names, plus one field of every kind.
void writeSample(const std::filesystem::path& dir, TableFormat format) {
  const std::vector<FieldDef> fields = {
      {"TEXTODIA", FieldKind::character, 20},   {"CL_HORADESDE", FieldKind::character, 8},
      {"CL_GENERICA", FieldKind::character, 1}, {"CL_SESION", FieldKind::integer},
      {"ESTAREA", FieldKind::logical},          {"HORAS", FieldKind::floating},
  };
  Table::recreate(dir, "MUESTRA", fields, format);
  Table t = Table::open(dir, "MUESTRA");
  t.append();
  t.setText("TEXTODIA", "Miércoles ñandú €");
  t.setText("CL_HORADESDE", "08:00:00");
  t.setText("CL_GENERICA", "S");
  t.setInteger("CL_SESION", -345);
  t.setLogical("ESTAREA", true);
  t.setText("HORAS", "2.5");
  t.post();
  t.append();
  t.setText("TEXTODIA", " Sábado");
  t.setLogical("ESTAREA", false);
  t.post();
  t.close();
}

TEST(Interop, TDbfReadsOurLevel7TablesWithTheirLongNamesTypesAndAccents) {
  REQUIRE_INDEPENDENT_TOOLS();
  TempDir dir;
  writeSample(dir.path(), TableFormat::level7);
  EXPECT_EQ(test::tdbfDump(dir / "MUESTRA.DBF"),
            (std::vector<std::string>{
                "LEVEL 7 CP 1252",
                "FIELD TEXTODIA C 20 0",
                "FIELD CL_HORADESDE C 8 0",
                "FIELD CL_GENERICA C 1 0",
                "FIELD CL_SESION I 4 0",
                "FIELD ESTAREA L 1 0",
                "FIELD HORAS N 18 8",
                "ROW|Miércoles ñandú €|08:00:00|S|-345|True|2.5",
                "ROW| Sábado|<null>|<null>|<null>|False|<null>",
            }));
}

TEST(Interop, WeReadLevel7TablesWrittenByTDbf) {
  REQUIRE_INDEPENDENT_TOOLS();
  TempDir dir;
  test::tdbfWrite(dir / "TDBF.DBF", 7,
                  "CL_HORADESDE:S:8:0;NOMBRE:S:30:0;N:I:0:0;F:F:18:8;OK:L:0:0;FECHA:D:0:0;"
                  "MOMENTO:T:0:0;CLAVE:A:0:0\n"
                  "08:00:00|Miércoles ñandú €|42|2.5|T|2026-12-09|2026-12-09 08:30:15|\n"
                  "*borrada|x|1|1|F|||\n"
                  "|  sangría|-7|-0.125|F|||\n");
  EXPECT_EQ(csvOf(dir.path(), "tdbf"),
            "CL_HORADESDE,NOMBRE,N,F,OK,FECHA,MOMENTO,CLAVE\n"
            "08:00:00,Miércoles ñandú €,42,2.5,T,2026-12-09,2026-12-09 08:30:15,0\n"
            ",  sangría,-7,-0.125,F,,,2\n");
}

TEST(Interop, DbfreadReadsOurDbase3TablesWithNamesCutToTen) {
  REQUIRE_INDEPENDENT_TOOLS();
  TempDir dir;
  writeSample(dir.path(), TableFormat::dBase3);
  const std::string out = test::python(R"(
import sys, dbfread
t = dbfread.DBF(sys.argv[1])
print(t.dbversion, t.encoding)
for f in t.fields: print(f.name, f.type, f.length, f.decimal_count)
for r in t: print(list(r.values()))
)",
                                       {(dir / "MUESTRA.DBF").string()});
  EXPECT_EQ(out,
            "FoxBASE+/Dbase III plus, no memory cp1252\n"
            "TEXTODIA C 20 0\n"
            "CL_HORADES C 8 0\n"
            "CL_GENERIC C 1 0\n"
            "CL_SESION N 11 0\n"
            "ESTAREA L 1 0\n"
            "HORAS N 18 8\n"
            "['Miércoles ñandú €', '08:00:00', 'S', -345, True, 2.5]\n"
            "[' Sábado', '', '', None, False, None]\n");
}

TEST(Interop, WeReadVisualFoxProAndDbase3TablesWrittenByPythonDbf) {
  REQUIRE_INDEPENDENT_TOOLS();
  TempDir dir;
  test::python(R"(
import sys, dbf, datetime
d = sys.argv[1]
t = dbf.Table(d + '/vfp.dbf', 'nombre C(20); dia I; hora B; precio Y; momento T; ok L; notas M',
              dbf_type='vfp', codepage='cp850')
t.open(dbf.READ_WRITE)
t.append(('Música', 2, 3.0, 12.5, datetime.datetime(2026, 12, 9, 8, 30, 0), True, 'larga'))
t.append(('Borrada', 9, 9.0, 0, None, False, ''))
t.append(('Ñandú', -7, 4.25, -0.0001, None, None, 'otra'))
dbf.delete(t[1])
t.close()
t = dbf.Table(d + '/d3.dbf', 'nombre C(20); dia N(3,0); nota N(6,2); fecha D', dbf_type='db3',
              codepage='cp437')
t.open(dbf.READ_WRITE)
t.append(('Camión', 4, 7.25, dbf.Date(2026, 12, 9)))
t.close()
)",
               {dir.path().string()});
  EXPECT_EQ(csvOf(dir.path(), "vfp"),
            "NOMBRE,DIA,HORA,PRECIO,MOMENTO,OK,NOTAS\n"  // memo contents are not read
            "Música,2,3,12.5,2026-12-09 08:30:00,T,\n"
            "Ñandú,-7,4.25,-0.0001,,,\n");
  EXPECT_EQ(csvOf(dir.path(), "d3"),
            "NOMBRE,DIA,NOTA,FECHA\n"
            "Camión,4,7.25,2026-12-09\n");
}

TEST(Interop, TheLanguageDriverBytePicksTheCodePage) {
  REQUIRE_INDEPENDENT_TOOLS();
  TempDir dir;
  struct Case {
    const char* cp;
    const char* text;  // in letters the code page has
  } cases[] = {
      {"cp437", "Año Ñandú é"},  {"cp850", "Año Ñandú é"}, {"cp852", "Łódź čeština"},
      {"cp1252", "Año Ñandú é"}, {"cp866", "Дневной"},     {"cp1250", "Łódź čeština"},
  };
  for (const auto& [cp, text] : cases) {
    SCOPED_TRACE(cp);
    test::python(R"(
import sys, dbf
t = dbf.Table(sys.argv[1], 'texto C(20)', dbf_type='db3', codepage=sys.argv[2])
t.open(dbf.READ_WRITE)
t.append((sys.argv[3],))
t.close()
)",
                 {(dir / "CP.DBF").string(), cp, text});
    EXPECT_EQ(csvOf(dir.path(), "CP"), "TEXTO\n" + std::string(text) + "\n");
  }
}

}  // namespace
}  // namespace vestran
