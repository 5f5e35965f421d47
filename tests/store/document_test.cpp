#include "store/xml/document.hpp"

#include <gtest/gtest.h>

#include "store/errors.hpp"
#include "support/test_support.hpp"

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
    const std::string utf8 = std::string(c.name) == "utf8-bom" ? "\xEF\xBB\xBF" + body
                                                                : c.declaration + body;
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
            "<horario><tramo dia=\"-1\" marco=\"Ma\xF1" "ana &amp; tarde\">"
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

TEST(Document, AFailedSaveThrowsAndLeavesNoFile) {
  TempDir dir;
  Document d = Document::parse("<datosGHC/>");
  EXPECT_THROW(d.save(dir / "no-existe" / "r.xml"), DocumentError);
  EXPECT_TRUE(test::listDir(dir.path()).empty());
}

}  // namespace
}  // namespace vestran
