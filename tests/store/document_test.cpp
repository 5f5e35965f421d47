#include "store/xml/document.hpp"

#include <gtest/gtest.h>
#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

#include <chrono>

#include "store/errors.hpp"
#include "support/test_support.hpp"

#ifndef _WIN32
#include "support/child_process.hpp"
#endif

namespace vestran {
namespace {

using test::TempDir;

TEST(Document, ReadsTheSameTextsFromEveryEncodingAndSavesBackInIt) {
  TempDir dir;
  const std::string body = "<datosGHC><materia>Música € Ñandú</materia></datosGHC>\n";
  test::writeFile(dir / "utf8.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + body);
  struct Case {
    const char* name;
    const char* encoding;  // of the bytes
    std::string declaration;
    std::string startsWith;
  } cases[] = {
      {"utf8-bom", "UTF-8", "", "\xEF\xBB\xBF<datosGHC>"},
      {"utf8-decl", "UTF-8", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"},
      {"utf16le-bom", "UTF-16LE", "", std::string("\xFF\xFE<\0", 4)},
      {"utf16be-bom", "UTF-16BE", "", std::string("\xFE\xFF\0<", 4)},
      {"windows-1252", "WINDOWS-1252", "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n",
       "<?xml version=\"1.0\" encoding=\"windows-1252\"?>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string utf8 =
        std::string(c.name) == "utf8-bom" ? "\xEF\xBB\xBF" + body : c.declaration + body;
    std::string bytes = utf8;
    if (std::string(c.encoding).starts_with("UTF-16")) {
      bytes = test::encodeAs(body, c.encoding);
      bytes = (std::string(c.encoding) == "UTF-16LE" ? "\xFF\xFE" : "\xFE\xFF") + bytes;
    } else if (std::string(c.encoding) != "UTF-8") {
      bytes = test::encodeAs(utf8, c.encoding);
    }
    const auto path = dir / (std::string(c.name) + ".xml");
    test::writeFile(path, bytes);
    Document d = Document::load(path);
    ASSERT_FALSE(d.empty()) << d.problem()->message;
    EXPECT_EQ(d.root().child("materia").text(), "Música € Ñandú");

    const auto saved = dir / (std::string(c.name) + "-saved.xml");
    d.save(saved);
    const std::string out = test::readFile(saved);
    EXPECT_EQ(out.substr(0, c.startsWith.size()), c.startsWith);
    EXPECT_EQ(Document::load(saved).root().child("materia").text(), "Música € Ñandú");
  }
  // ISO-8859-1 has no euro sign; its own letters survive.
  test::writeFile(dir / "latin1.xml",
                  "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>A\xF1o \xC1</a>");
  EXPECT_EQ(Document::load(dir / "latin1.xml").root().text(), "Año Á");
}

TEST(Document, TextsComeOutInNormalFormC) {
  Document d = Document::parse("<a x=\"Mu&#x301;sica\">Mu\xCC\x81sica</a>");
  EXPECT_EQ(d.root().text(), "Música");
  EXPECT_EQ(d.root().attribute("x"), "Música");
  // Texts of characters below U+0300 are taken as they are: none of them combines with
  // what stands before it or moves past it, so any text of them is in normal form C.
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
  ASSERT_TRUE(U_SUCCESS(status));
  for (UChar32 c = 0x80; c < 0x300; ++c) {
    EXPECT_EQ(nfc->quickCheck(icu::UnicodeString(c), status), UNORM_YES) << c;
    EXPECT_EQ(nfc->getCombiningClass(c), 0) << c;
  }
}

TEST(Document, AFileThatDoesNotParseLoadsEmptyWithTheParserMessageAndLine) {
  Document d = Document::parse("<datosGHC>\n<materias>\n</materia>\n</datosGHC>");
  EXPECT_TRUE(d.empty());
  EXPECT_FALSE(d.root());
  EXPECT_TRUE(d.select("/datosGHC/materias").empty());
  ASSERT_TRUE(d.problem());
  EXPECT_EQ(d.problem()->line, 3);
  EXPECT_NE(d.problem()->message.find("línea 3"), std::string::npos) << d.problem()->message;
  EXPECT_NE(d.problem()->message.find("materia"), std::string::npos) << d.problem()->message;

  TempDir dir;
  Document missing = Document::load(dir / "no.xml");
  EXPECT_TRUE(missing.empty());
  EXPECT_NE(missing.problem()->message.find("no.xml"), std::string::npos);
}

TEST(Document, LoadsNoExternalEntityOrDtd) {
  TempDir dir;
  test::writeFile(dir / "secreto.txt", "SECRETO");
  test::writeFile(dir / "ext.dtd", "<!ENTITY fuera \"DTD-EXTERNA\">");
  const std::string xml = "<?xml version=\"1.0\"?>\n<!DOCTYPE datosGHC SYSTEM \"" +
                          (dir / "ext.dtd").string() + "\" [\n<!ENTITY s SYSTEM \"file://" +
                          (dir / "secreto.txt").string() +
                          "\">\n<!ENTITY dentro \"interna\">\n]>\n<datosGHC><a>&s;</a>"
                          "<b>&dentro;</b></datosGHC>";
  Document d = Document::parse(xml);
  ASSERT_FALSE(d.empty()) << d.problem()->message;
  EXPECT_EQ(d.root().child("a").text().find("SECRETO"), std::string::npos);
  EXPECT_EQ(d.root().child("b").text(), "interna");
}

TEST(Document, ReadsElementsWithinTheirOwnParentInDocumentOrder) {
  Document d = Document::parse(
      "<datosGHC><aulas><aula><nombre>A1</nombre></aula><aula/>"
      "<aula><nombre>A3</nombre><nombre>otra</nombre></aula></aulas>"
      "<aulas><aula><nombre>B1</nombre></aula></aulas>"
      "<conjuntoDeAulas><general nombre=\"Desdoble\" numero=\"3\"/></conjuntoDeAulas>"
      "</datosGHC>");
  const auto aulas = d.select("/datosGHC/aulas/aula");
  ASSERT_EQ(aulas.size(), 4u);
  EXPECT_EQ(aulas[0].child("nombre").text(), "A1");
  EXPECT_FALSE(aulas[1].child("nombre"));
  EXPECT_EQ(aulas[1].child("nombre").text(), "");
  EXPECT_EQ(aulas[2].countChildren("nombre"), 2u);
  EXPECT_EQ(aulas[2].child("nombre").text(), "A3");
  EXPECT_EQ(aulas[3].child("nombre").text(), "B1");
  const auto general = d.select("/datosGHC/conjuntoDeAulas/general");
  ASSERT_EQ(general.size(), 1u);
  const auto attributes = general[0].attributes();
  ASSERT_EQ(attributes.size(), 2u);
  EXPECT_EQ(attributes[0].name, "nombre");
  EXPECT_EQ(attributes[1].value, "3");
  EXPECT_TRUE(d.select("/otra/aulas").empty());
}

TEST(Document, SaveKeepsEverythingOfTheInputAndAddsNewElementsAtTheEnd) {
  TempDir dir;
  const std::string input =
      "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"yes\"?>\n"
      "<!-- exportado -->\n<?proceso dato?>\n<datosGHC version=\"2\">\n"
      "  <a><![CDATA[x < y]]></a>\n  <b/>\n</datosGHC>\n";
  test::writeFile(dir / "in.xml", input);
  Document d = Document::load(dir / "in.xml");
  Element tramo = d.root().appendElement("horario").appendElement("tramo");
  tramo.setAttribute("dia", -1);
  tramo.setAttribute("marco", "Mañana & tarde");
  tramo.appendElement("sesion").setText("101 <");
  d.save(dir / "out.xml");
  EXPECT_EQ(test::readFile(dir / "in.xml"), input);
  EXPECT_EQ(test::readFile(dir / "out.xml"),
            "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"yes\"?>\n"
            "<!-- exportado -->\n<?proceso dato?>\n<datosGHC version=\"2\">\n"
            "  <a><![CDATA[x < y]]></a>\n  <b/>\n"
            "<horario><tramo dia=\"-1\" marco=\"Ma\xF1"
            "ana &amp; tarde\">"
            "<sesion>101 &lt;</sesion></tramo></horario></datosGHC>\n");
}

TEST(Document, ADocumentBeyondTheParsersLimitsIsExplainedInSpanish) {
  std::string deep;
  for (int i = 0; i < 300; ++i) deep += "<a>";
  for (int i = 0; i < 300; ++i) deep += "</a>";
  const Document d = Document::parse("<datosGHC>" + deep + "</datosGHC>");
  ASSERT_TRUE(d.empty());
  const std::string m = d.problem()->message;
  EXPECT_NE(m.find("mayor de lo que admite el lector de XML"), std::string::npos) << m;
  EXPECT_EQ(m.find("XML_PARSE_HUGE"), std::string::npos) << m;
}

// Each usual way a file fails to be an XML document is told in the user's words, from the
// parser's error code, never in the parser's English.
TEST(Document, AFileThatIsNoXmlDocumentIsToldInSpanishByWhatIsWrong) {
  using Kind = LoadProblem::Kind;
  struct Case {
    const char* name;
    std::string bytes;
    Kind kind;
    const char* words;
  } cases[] = {
      {"empty", "", Kind::empty, "el archivo está vacío"},
      {"blanks only", " \r\n\t\n", Kind::empty, "el archivo está vacío"},
      {"a text file", "Horario de 1º A\nLunes: Música\n", Kind::notXml,
       "no es un documento XML: no empieza por una etiqueta"},
      {"cut short", "<datosGHC>\n<materias>\n<materia>Mús", Kind::unfinished,
       "el documento se acaba sin cerrar el elemento <materia> que empieza en la línea 3"},
      {"end tag of another element", "<datosGHC>\n<materias>\n</datosGHC>", Kind::mismatchedTag,
       "la etiqueta de cierre </datosGHC> (línea 3) no cierra el elemento <materias> que "
       "empieza en la línea 2"},
      {"text after the root", "<datosGHC/>\nfin", Kind::extraContent,
       "hay algo más después del final de su elemento principal (línea 2)"},
      {"latin-1 bytes in UTF-8", "<datosGHC>Mel\xE9ndez</datosGHC>", Kind::encoding,
       "tiene caracteres que no son válidos (línea 1)"},
      {"unknown encoding", "<?xml version=\"1.0\" encoding=\"KLINGON\"?><datosGHC/>",
       Kind::encoding, "declara una codificación que no se conoce ('KLINGON')"},
      {"an attribute past the reader's limit",
       "<datosGHC a=\"" + std::string(11'000'000, 'x') + "\"/>", Kind::beyondLimits,
       "mayor de lo que admite el lector de XML"},
      {"an attribute without quotes", "<datosGHC a=1/>", Kind::malformed,
       "no sigue las reglas del XML en la línea 1, columna 13"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Document d = Document::parse(c.bytes);
    ASSERT_TRUE(d.empty());
    EXPECT_EQ(d.problem()->kind, c.kind);
    const std::string& m = d.problem()->message;
    EXPECT_NE(m.find(c.words), std::string::npos) << m;
    for (const char* english : {"expected", "Premature", "Extra content", "not proper", "huge",
                                "Unsupported", "mismatch", "AttValue"}) {
      EXPECT_EQ(m.find(english), std::string::npos) << m;
    }
  }
}

// An internal entity used many times would expand to gigabytes: the parse stops as soon as
// the expansion passes the document's size and a megabyte, in little time and memory.
TEST(Document, EntitiesThatExpandFarPastTheDocumentAreRefused) {
  const std::string entity(100'000, 'x');
  std::string refs;
  for (int i = 0; i < 20'000; ++i) refs += "&e;";
  const std::string attack = "<!DOCTYPE datosGHC [<!ENTITY e \"" + entity + "\">]><datosGHC><a>" +
                             refs + "</a></datosGHC>";
  ASSERT_LT(attack.size(), 170'000u);
  const auto refused = [&] {
    const auto start = std::chrono::steady_clock::now();
    const Document d = Document::parse(attack);
    if (!d.empty() || d.problem()->kind != LoadProblem::Kind::entityExpansion) return 8;
    if (d.problem()->message.find("se expanden a más de 1 MB") == std::string::npos) return 9;
    return std::chrono::steady_clock::now() - start < std::chrono::seconds(1) ? 7 : 10;
  };
#ifdef _WIN32
  EXPECT_EQ(refused(), 7);
#else
  // Within 200 MB of address space, where the expansion would need gigabytes.
  EXPECT_EQ(test::inChildProcess([&] {
              test::limitAddressSpace(200u << 20);
              return refused();
            }),
            7);
#endif

  // Nested entities count with what they expand to; a few uses of a small one are fine.
  const Document nested = Document::parse("<!DOCTYPE d [<!ENTITY a \"" + std::string(1000, 'y') +
                                          "\"><!ENTITY b \"&a;&a;&a;&a;"
                                          "&a;&a;&a;&a;&a;&a;\">]><d>" +
                                          [] {
                                            std::string s;
                                            for (int i = 0; i < 200; ++i) s += "&b;";
                                            return s;
                                          }() +
                                          "</d>");
  ASSERT_TRUE(nested.empty());
  EXPECT_EQ(nested.problem()->kind, LoadProblem::Kind::entityExpansion);
  const Document fine = Document::parse(
      "<!DOCTYPE datosGHC [<!ENTITY aula \"Aula de música\">]><datosGHC><a>&aula;</a>"
      "<b>&aula;</b></datosGHC>");
  ASSERT_FALSE(fine.empty()) << fine.problem()->message;
  EXPECT_EQ(fine.select("/datosGHC/b").front().text(), "Aula de música");
}

TEST(Document, AFailedSaveThrowsAndLeavesNoFile) {
  TempDir dir;
  Document d = Document::parse("<datosGHC/>");
  EXPECT_THROW(d.save(dir / "no-existe" / "r.xml"), DocumentError);
  EXPECT_TRUE(test::listDir(dir.path()).empty());
}

}  // namespace
}  // namespace vestran
