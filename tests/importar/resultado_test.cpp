// The planner's solution as other tools write it, and what the import says of a SOLUC it
// cannot use or that holds no lesson.

#include <gtest/gtest.h>

#include "importar/importar_fixture.hpp"
#include "store/dbase/codepage.hpp"
#include "store/errors.hpp"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace vestran::test {
namespace {

namespace fs = std::filesystem;

class Resultado : public Importar {
 protected:
  // The worked example's tables with accented codes everywhere a SOLUC names one.
  void plannerWithAccents() {
    planner({}, {{"AULAÑ", "Aula Ñandú", "N"}}, {{"MÚSICA", "1ºA", "ÁÉÍ", "345"}});
  }
  fs::path soluc() const { return dir / "DTEMP" / "SOLUC.DBF"; }
  // Makes SOLUC's header name no code page, as LibreOffice and GDAL leave it.
  void clearLanguageDriver() const {
    std::string bytes = readFile(soluc());
    bytes[29] = '\0';
    if (bytes[0] == 0x04) bytes.replace(32, 32, 32, '\0');  // level 7 names it too
    writeFile(soluc(), bytes);
  }
};

TEST_F(Resultado, ASolucInUtf8OrCp850ImportsAsTheSameSolutionInWindows1252) {
  REQUIRE_INDEPENDENT_TOOLS();
  struct Case {
    const char* name;
    const char* codepage;  // python3-dbf's
    bool clearDriver;
    const char* cpg;   // the .cpg file beside it; none when null
    const char* note;  // what the report says of the code page; none when null
  } cases[] = {
      {"Windows-1252, named in the header", "cp1252", false, nullptr, nullptr},
      {"UTF-8, driver 0, SOLUC.cpg", "utf8", true, " utf-8\r\n",
       "se leen en UTF-8, como dice SOLUC.cpg"},
      {"CP850, driver 0, SOLUC.cpg", "cp850", true, "850", "se leen en CP850, como dice SOLUC.cpg"},
      {"UTF-8, driver 0, no .cpg", "utf8", true, nullptr,
       "todos son UTF-8 válido, con acentos, y se leen en UTF-8"},
  };
  std::string reference;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    plannerWithAccents();
    python(R"(
import sys, dbf
t = dbf.Table(sys.argv[1], 'DIA N(3,0); HORA N(3,0); MARCO C(1); AULA C(10); ASIG C(10); '
              'CODGRUPO C(10); PROF C(10)', dbf_type='db3', codepage=sys.argv[2])
t.open(dbf.READ_WRITE)
t.append((2, 3, '0', 'AULAÑ', 'MÚSICA', '1ºA', 'ÁÉÍ'))
t.close()
)",
           {utf8(soluc()), c.codepage});
    if (c.clearDriver) clearLanguageDriver();
    fs::remove(dir / "DTEMP" / "SOLUC.cpg");
    if (c.cpg) writeFile(dir / "DTEMP" / "SOLUC.cpg", c.cpg);
    const auto r = importar();
    const std::string h = horario(r.archivo);
    if (reference.empty()) {
      reference = h;
      EXPECT_EQ(h,
                "<horario>\n<tramo dia=\"1\" indice=\"3\" marco=\"7\"><aula id=\"Aula Ñandú\">"
                "<sesion>345</sesion><profesor>ÁÉÍ</profesor></aula></tramo>\n</horario>");
    }
    EXPECT_EQ(h, reference);
    const auto notes = r.informe.lineas();
    if (c.note) {
      ASSERT_FALSE(notes.empty());
      EXPECT_NE(notes.front().find(c.note), std::string::npos) << notes.front();
    } else {
      EXPECT_TRUE(notes.empty()) << notes.front();
    }
  }
}

TEST(CodePages, TheNamesCpgFilesUse) {
  struct Case {
    const char* text;
    std::optional<int> codePage;
  } cases[] = {
      {"UTF-8", kUtf8},
      {"utf8\n", kUtf8},
      {"65001", kUtf8},
      {"1252", 1252},
      {"CP850", 850},
      {"ANSI 1252", 1252},
      {"OEM 850", 850},
      {"Windows-1250", 1250},
      {"ISO-8859-1", 28591},
      {"88591", 28591},
      {"885915", 28605},
      {"iso_8859-15", 28605},
      {"latin-9", std::nullopt},
      {"", std::nullopt},
      {"CP99999", 99999},
  };
  for (const Case& c : cases) EXPECT_EQ(codePageOfCpgText(c.text), c.codePage) << c.text;
  EXPECT_FALSE(CodePage::available(99999));
}

// Every code page a table's header can name can be read by this build: the Windows build
// carries a reduced converter list, and this runs there too.
TEST(CodePages, EveryCodePageATableCanNameCanBeRead) {
  for (int codePage : codePagesOfTables()) {
    EXPECT_TRUE(CodePage::available(codePage)) << codePageName(codePage);
  }
}

// A code page this build cannot read is said aloud, never read as another without a word;
// a SOLUC in one stops the import, since its codes would come out garbled.
TEST_F(Resultado, ASolucInACodePageThisBuildCannotReadStopsTheImport) {
  planner({{"1", "1", "0", "A12", "MAT1", "1ESOA", "GARC"}});
  clearLanguageDriver();
  writeFile(dir / "DTEMP" / "SOLUC.cpg", "ISO-8859-16");
  ASSERT_FALSE(CodePage::available(28606));
  {
    const Table t = Table::open(dir / "DTEMP", "SOLUC");
    EXPECT_EQ(t.codePageSource(), CodePageSource::unavailable);
    EXPECT_NE(t.codePageNote()->find("SOLUC.cpg dice que los textos de SOLUC están en "
                                     "ISO-8859-16, que esta instalación de vestran no sabe leer"),
              std::string::npos)
        << *t.codePageNote();
  }
  try {
    importar();
    FAIL() << "the import went on";
  } catch (const TableError& e) {
    EXPECT_NE(std::string(e.what()).find("no se puede leer bien"), std::string::npos) << e.what();
  }
  EXPECT_FALSE(fs::exists(dir / "ResultadoVestrancentro.xml"));
}

TEST_F(Resultado, ASolucWithoutAPlacedLessonIsNamedAsSuch) {
  struct Case {
    const char* name;
    std::vector<Fila> rows;
    const char* warning;
  } cases[] = {
      {"no rows", {}, "no tiene ninguna fila"},
      {"every DIA 0",
       {{"0", "1", "0", "A12", "MAT1", "1ESOA", "GARC"},
        {"0", "2", "0", "A12", "MAT1", "1ESOA", "GARC"}},
       "sus 2 filas tienen DIA 0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    planner(c.rows);
    const auto r = importar();
    EXPECT_EQ(horario(r.archivo), "<horario>\n</horario>");
    const auto avisos = resumir(r).avisos;
    ASSERT_EQ(avisos.size(), 1u);
    EXPECT_EQ(avisos[0].find("La solución del planificador (SOLUC) no tiene ninguna clase "
                             "colocada: "),
              0u);
    EXPECT_NE(avisos[0].find(c.warning), std::string::npos) << avisos[0];
  }
}

// Rows whose day or period is no whole number, or a negative one, are named in the summary
// and not written; the rest of the timetable is. Nothing reads as 0 or shifts to -2.
TEST_F(Resultado, RowsWithADayOrPeriodThatIsNoWholeNumberAreNamedAndNotWritten) {
  const std::vector<FieldDef> textDay = {
      {"DIA", FieldKind::character, 3},   {"HORA", FieldKind::character, 3},
      {"MARCO", FieldKind::character, 1}, {"AULA", FieldKind::character, 10},
      {"ASIG", FieldKind::character, 10}, {"CODGRUPO", FieldKind::character, 10},
      {"PROF", FieldKind::character, 10}};
  struct Case {
    const char* name;
    std::vector<FieldDef> fields;
    Fila bad;
  } cases[] = {
      {"a negative day", kSoluc, {"-1", "2", "0", "A12", "MAT1", "1ESOA", "GARC"}},
      {"a negative period", kSoluc, {"2", "-3", "0", "A12", "MAT1", "1ESOA", "GARC"}},
      {"a day that holds text", textDay, {"abc", "2", "0", "A12", "MAT1", "1ESOA", "GARC"}},
      {"a day that is half a number", textDay, {"1e", "2", "0", "A12", "MAT1", "1ESOA", "GARC"}},
      {"a period that holds text", textDay, {"2", "x", "0", "A12", "MAT1", "1ESOA", "GARC"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    planner({});
    tabla(dir / "DTEMP", "SOLUC", c.fields,
          {{"1", "1", "0", "A12", "MAT1", "1ESOA", "GARC"}, c.bad});
    const auto r = importar();
    EXPECT_EQ(r.tramos, 1u);
    const std::string h = horario(r.archivo);
    EXPECT_EQ(std::count(h.begin(), h.end(), '\n'), 2) << h;  // the good row only
    EXPECT_EQ(h.find("-2"), std::string::npos) << h;
    const auto avisos = resumir(r).avisos;
    ASSERT_EQ(avisos.size(), 1u);
    EXPECT_NE(avisos[0].find("1 fila de la solución del planificador (SOLUC) tiene"),
              std::string::npos)
        << avisos[0];
    EXPECT_NE(avisos[0].find("fila 2 (MAT1, 1ESOA, GARC)"), std::string::npos) << avisos[0];
  }
}

TEST_F(Resultado, ASolucThatCannotBeReadSaysWhatAndWhereAndWritesNothing) {
  struct Case {
    const char* name;
    std::function<void(const fs::path&)> spoil;  // turns the good SOLUC into a bad one
    std::vector<std::string> messages;
  } cases[] = {
      {"a DIA of type date",
       [](const fs::path& d) {
         std::string b = readFile(d / "SOLUC.DBF");
         b[68 + 32] = 'D';  // the type of the first field descriptor
         b[68 + 33] = 8;
         writeFile(d / "SOLUC.DBF", b);
       },
       {"su campo DIA es de tipo D (fecha), que no guarda números",
        "Vuelva a resolver el horario en Dalmerin"}},
      {"a DIA with no room for a digit",
       [](const fs::path& d) {
         std::string b = readFile(d / "SOLUC.DBF");
         b[68 + 32] = 'N';  // DIA becomes N 0, and HORA takes the bytes it leaves
         b[68 + 33] = 0;
         b[68 + 48 + 33] = 36;
         writeFile(d / "SOLUC.DBF", b);
       },
       {"su campo DIA no tiene sitio para ninguna cifra"}},
      {"a header cut inside a field descriptor",
       [](const fs::path& d) {
         std::string b = readFile(d / "SOLUC.DBF");
         const int length = 68 + 48 * 3 + 20;  // three fields and part of the fourth
         b[8] = static_cast<char>(length & 0xFF);
         b[9] = static_cast<char>(length >> 8);
         writeFile(d / "SOLUC.DBF", b);
       },
       {"La tabla SOLUC", "la cabecera termina en medio de la descripción del campo 4"}},
      {"a logical field two bytes wide",
       [](const fs::path& d) {
         std::string b = readFile(d / "SOLUC.DBF");
         b[68 + 48 * 2 + 32] = 'L';  // MARCO, C 1, becomes L 2 with the same record length
         b[68 + 48 * 2 + 33] = 2;
         b[68 + 48 * 3 + 33] = 9;  // AULA loses the byte
         writeFile(d / "SOLUC.DBF", b);
       },
       {"el campo MARCO es de tipo L y mide 2 bytes, no 1"}},
      {"a folder named SOLUC.DBF",
       [](const fs::path& d) {
         fs::remove(d / "SOLUC.DBF");
         fs::create_directories(d / "SOLUC.DBF");
       },
       {"No se pudo abrir la tabla SOLUC", "es una carpeta"}},
#ifndef _WIN32
      {"a named pipe named SOLUC.DBF",
       [](const fs::path& d) {
         fs::remove(d / "SOLUC.DBF");
         ASSERT_EQ(mkfifo((d / "SOLUC.DBF").c_str(), 0644), 0);
       },
       {"No se pudo abrir la tabla SOLUC", "no es un archivo normal"}},
#endif
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(dir / "DTEMP");
    planner({{"1", "1", "0", "A12", "MAT1", "1ESOA", "GARC"}});
    c.spoil(dir / "DTEMP");
    try {
      importar();
      ADD_FAILURE() << "the import went on";
    } catch (const Error& e) {
      for (const std::string& m : c.messages) {
        EXPECT_NE(std::string(e.what()).find(m), std::string::npos) << e.what();
      }
    }
    EXPECT_FALSE(fs::exists(dir / "ResultadoVestrancentro.xml"));
  }
}

}  // namespace
}  // namespace vestran::test

#ifndef _WIN32
namespace vestran::test {
namespace {

// Whatever stands at the result's name, the result is a new file there, and the document
// and whatever a link pointed to stay byte for byte; a result that would be the document
// itself is refused.
TEST_F(Resultado, TheResultIsANewFileAndNeverWrittenThroughALink) {
  struct Case {
    const char* name;
    std::function<void(const fs::path& result)> plant;
    bool refused;
  } cases[] = {
      {"a link to the document", [&](const fs::path& r) { fs::create_symlink("centro.xml", r); },
       false},
      {"a link to another file",
       [&](const fs::path& r) {
         writeFile(dir / "otro.xml", "de otra persona");
         fs::create_symlink(dir / "otro.xml", r);
       },
       false},
      {"a link to nothing",
       [&](const fs::path& r) { fs::create_symlink(dir / "no-existe.xml", r); }, false},
      {"another name of the document",
       [&](const fs::path& r) { fs::create_hard_link(dir / "centro.xml", r); }, false},
      {"a document that is a link to the result",
       [&](const fs::path& r) {
         fs::rename(dir / "centro.xml", r);
         fs::create_symlink(r.filename(), dir / "centro.xml");
       },
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    planner({{"1", "1", "0", "A12", "MAT1", "1ESOA", "GARC"}});
    for (const char* f : {"ResultadoVestrancentro.xml", "centro.xml", "otro.xml"}) {
      fs::remove(dir / f);
    }
    writeFile(dir / "centro.xml", kDocumento);
    const fs::path result = dir / "ResultadoVestrancentro.xml";
    c.plant(result);
    const std::string other = fs::exists(dir / "otro.xml") ? readFile(dir / "otro.xml") : "";
    try {
      const auto r = vestran::importar({dir / "centro.xml", dir / "DTEMP"});
      EXPECT_FALSE(c.refused) << "a result over the document was written";
      EXPECT_EQ(fs::symlink_status(result).type(), fs::file_type::regular);
      EXPECT_EQ(fs::hard_link_count(result), 1u);
      EXPECT_NE(readFile(result).find("<tramo dia=\"0\""), std::string::npos);
      EXPECT_TRUE(r.reemplazado);
    } catch (const DocumentError& e) {
      EXPECT_TRUE(c.refused) << e.what();
      EXPECT_NE(std::string(e.what()).find("que es el propio documento elegido"), std::string::npos)
          << e.what();
    }
    EXPECT_EQ(readFile(dir / "centro.xml"), kDocumento);
    EXPECT_EQ(fs::exists(dir / "otro.xml") ? readFile(dir / "otro.xml") : "", other);
    EXPECT_FALSE(fs::exists(dir / "no-existe.xml"));
  }
}

}  // namespace
}  // namespace vestran::test
#endif
