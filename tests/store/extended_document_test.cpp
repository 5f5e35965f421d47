// A document extended without its tree: byte for byte the input outside the new nodes, in
// every encoding and line-end style, read back as the tree itself would be written, and
// refused or outlined as the tree would be.

#include <libxml/c14n.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <gtest/gtest.h>

#include "store/xml/document.hpp"
#include "store/xml/extended_document.hpp"
#include "support/test_support.hpp"

namespace vestran {
namespace {

// The canonical form (C14N, comments kept) of a document's bytes: equal for two
// documents with the same elements, attributes, texts and namespaces.
std::string canonical(const std::string& bytes) {
  xmlDocPtr doc = xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr,
                                XML_PARSE_NONET);
  EXPECT_NE(doc, nullptr) << bytes;
  if (!doc) return {};
  xmlChar* out = nullptr;
  const int n = xmlC14NDocDumpMemory(doc, nullptr, XML_C14N_1_0, nullptr, 1, &out);
  std::string text(reinterpret_cast<const char*>(out), n > 0 ? static_cast<std::size_t>(n) : 0);
  xmlFree(out);
  xmlFreeDoc(doc);
  return text;
}

// Appends a lesson as the import does, one a line.
void appendLesson(Element horario) {
  Element tramo = horario.appendElement("tramo");
  horario.appendText("\n");
  tramo.setAttribute("dia", 1);
  tramo.setAttribute("marco", "Mañana & tarde €");
  Element aula = tramo.appendElement("aula");
  aula.setAttribute("id", "Aula \"Ñ\" <1>");
  aula.appendElement("sesion").setText("345");
  aula.appendElement("profesor");
}

// The input with a <horario> appended at the end of the root, and `lessons` lessons in
// the first <horario>, as saved; with `settleEach`, settled after each lesson.
std::string saved(const std::string& input, int lessons = 1, bool settleEach = false) {
  ExtendedDocument d = ExtendedDocument::parse(input, "horario");
  EXPECT_FALSE(d.empty()) << d.problem()->message;
  if (d.empty()) return {};
  Element nuevo = d.root().appendElement("horario");
  Element horario = d.child() ? d.outlinedChild() : nuevo;
  if (!d.child() || !d.child()->hasChildNodes) horario.appendText("\n");
  for (int k = 0; k < lessons; ++k) {
    appendLesson(horario);
    if (settleEach) d.settle(horario);
  }
  return d.serialize();
}

// The same, written from the whole tree.
std::string savedFromTree(const std::string& input) {
  Document d = Document::parse(input);
  Element root = d.root();
  root.appendElement("horario");
  Element horario = root.child("horario");
  if (!horario.hasChildNodes()) horario.appendText("\n");
  appendLesson(horario);
  return d.serialize();
}

const std::string kBody =
    "<!DOCTYPE datosGHC [\n  <!ENTITY centro \"IES Valle [del] Jerte\">\n  <!-- ']' y '>' -->\n]>\n"
    "<!-- exportado el 1 de septiembre -->\n<?proceso dato=\"x\"?>\n"
    "<datosGHC version=\"2\" nota='a > b'>\n"
    "  <materias><materia>Música &centro; &amp; más</materia><vacia/><otra></otra></materias>\n"
    "  <a><![CDATA[x < y ]] </a> >]]></a>\n"
    "</datosGHC>\n<!-- fin -->\n";

TEST(ExtendedDocument, EveryEncodingKeepsTheInputByteForByteAroundTheNewSection) {
  struct Case {
    const char* name;
    const char* encoding;  // of the bytes
    std::string declaration;
    std::string bom;
    bool crlf;
  } cases[] = {
      {"utf-8, no declaration", "UTF-8", "", "", false},
      {"utf-8 with BOM and CRLF", "UTF-8", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n",
       "\xEF\xBB\xBF", true},
      {"utf-16le with BOM", "UTF-16LE", "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n",
       std::string("\xFF\xFE", 2), false},
      {"utf-16be with BOM and CRLF", "UTF-16BE", "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n",
       std::string("\xFE\xFF", 2), true},
      {"iso-8859-1", "ISO-8859-1", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n", "", true},
      {"iso-8859-15", "ISO-8859-15", "<?xml version='1.0' encoding='iso-8859-15'?>\n", "", false},
      {"windows-1252", "WINDOWS-1252",
       "<?xml version=\"1.0\" encoding=\"windows-1252\" standalone=\"no\"?>\n", "", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string text = c.declaration + kBody;
    if (c.crlf) {
      std::string withCr;
      for (char ch : text) withCr += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
      text = withCr;
    }
    const std::string input = c.bom + test::encodeAs(text, c.encoding);
    const std::string out = saved(input);
    // Everything up to the root's end tag, and from it on, is the input's.
    const std::string endTag = test::encodeAs("</datosGHC>", c.encoding);
    const std::size_t at = input.rfind(endTag);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(out.substr(0, at), input.substr(0, at));
    EXPECT_EQ(out.substr(out.size() - (input.size() - at)), input.substr(at));
    // The section itself, in the document's encoding and line ends.
    const std::string nl = c.crlf ? "\r\n" : "\n";
    const std::string euro = std::string(c.encoding) == "ISO-8859-1" ? "&#8364;" : "€";
    EXPECT_EQ(
        out.substr(at, out.size() - input.size()),
        test::encodeAs("<horario>" + nl + "<tramo dia=\"1\" marco=\"Mañana &amp; tarde " + euro +
                           "\"><aula id=\"Aula &quot;Ñ&quot; &lt;1&gt;\"><sesion>345"
                           "</sesion><profesor/></aula></tramo>" +
                           nl + "</horario>",
                       c.encoding));
    EXPECT_EQ(canonical(out), canonical(savedFromTree(input)));
  }
}

TEST(ExtendedDocument, AnEarlierHorarioGetsTheLessonsAndAnEmptyOneFollowsAtTheEnd) {
  struct Case {
    const char* name;
    std::string input;
    std::string output;
  } cases[] = {
      {"with content", "<datosGHC>\n<horario>\n<tramo dia=\"0\"/>\n</horario>\n</datosGHC>",
       "<datosGHC>\n<horario>\n<tramo dia=\"0\"/>\n<tramo dia=\"1\" marco=\"Mañana &amp; tarde "
       "€\"><aula id=\"Aula &quot;Ñ&quot; &lt;1&gt;\"><sesion>345</sesion><profesor/></aula>"
       "</tramo>\n</horario>\n<horario/></datosGHC>"},
      {"an empty-element tag", "<datosGHC><horario a=\"1\" /></datosGHC>",
       "<datosGHC><horario a=\"1\" >\n<tramo dia=\"1\" marco=\"Mañana &amp; tarde €\"><aula "
       "id=\"Aula &quot;Ñ&quot; &lt;1&gt;\"><sesion>345</sesion><profesor/></aula></tramo>\n"
       "</horario><horario/></datosGHC>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(saved(c.input), c.output);
    EXPECT_EQ(canonical(saved(c.input)), canonical(savedFromTree(c.input)));
  }
}

TEST(ExtendedDocument, InADefaultNamespaceTheNewSectionIsInNoNamespace) {
  const std::string input =
      "<datosGHC version=\"1\" xmlns=\"urn:colmeda:ghc\" xmlns:x=\"urn:x\" x:a=\"b\">"
      "<materias/></datosGHC>";
  for (const std::string& out : {saved(input), savedFromTree(input)}) {
    xmlDocPtr doc = xmlReadMemory(out.data(), static_cast<int>(out.size()), nullptr, nullptr, 0);
    ASSERT_NE(doc, nullptr);
    const xmlNode* root = xmlDocGetRootElement(doc);
    ASSERT_NE(root->ns, nullptr);
    const xmlNode* horario = root->last;
    EXPECT_STREQ(reinterpret_cast<const char*>(horario->name), "horario");
    EXPECT_EQ(horario->ns, nullptr) << out;
    const xmlNode* tramo = horario->children->next;
    EXPECT_EQ(tramo->ns, nullptr) << out;
    xmlFreeDoc(doc);
  }
  // The root's declarations keep their place among its attributes.
  EXPECT_EQ(saved(input).substr(0, input.rfind("</datosGHC>")),
            input.substr(0, input.rfind("</datosGHC>")));
  EXPECT_NE(saved(input).find("<horario xmlns=\"\">"), std::string::npos);
}

// Found by the fuzz target documento_fuzz: libxml2 writes this encoding through iconv or
// ICU, loses the euro sign and escapes "&" twice; the copy of the input keeps the lesson.
TEST(ExtendedDocument, AnEncodingLibxml2WritesBadlyStillGetsTheLessonExactly) {
  const std::string input =
      "<?xml version=\"1.0\" encoding=\"ISO-8859-1-\"?>\r\n<datosGHC a=\"2\">\r\n</datosGHC>\r\n";
  const Document result = Document::parse(saved(input));
  const Element tramo = result.root().child("horario").child("tramo");
  EXPECT_EQ(tramo.attribute("marco").value_or(""), "Mañana & tarde €");
  EXPECT_EQ(tramo.child("aula").attribute("id").value_or(""), "Aula \"Ñ\" <1>");
}

TEST(ExtendedDocument, WhereTheInputCannotBeCopiedTheTreeIsWritten) {
  // Shift_JIS puts ASCII bytes inside its characters: its markup cannot be found by bytes.
  const std::string sjis = "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n<datosGHC>" +
                           test::encodeAs("<a>表</a>", "Shift_JIS") + "</datosGHC>\n";
  EXPECT_EQ(saved(sjis), savedFromTree(sjis));
  // Nothing appended: the input itself.
  ExtendedDocument same = ExtendedDocument::parse("<datosGHC >\r\n</datosGHC >", "horario");
  EXPECT_EQ(same.serialize(), "<datosGHC >\r\n</datosGHC >");
}

TEST(ExtendedDocument, LessonsSettledOneByOneGiveTheSameBytes) {
  const std::string inputs[] = {
      "<datosGHC>\r\n</datosGHC>", "<datosGHC><horario/></datosGHC>",
      "\xFF\xFE" + test::encodeAs("<datosGHC>\n<horario>\n</horario>\n</datosGHC>", "UTF-16LE")};
  for (const std::string& input : inputs) {
    EXPECT_EQ(saved(input, 3, true), saved(input, 3, false));
  }
}

// The outline the parse keeps of the root's first <horario> is what the tree has.
TEST(ExtendedDocument, TheOutlineOfTheChildIsTheTreesOwn) {
  const std::string cases[] = {
      "<datosGHC><horario/></datosGHC>",
      "<datosGHC><horario></horario><horario><tramo/></horario></datosGHC>",
      "<datosGHC>\n<x/>\n<horario>\n<tramo/><tramo><tramo/></tramo><!-- c --><otro/>"
      "<tramo/></horario></datosGHC>",
      "<datosGHC><horario><!-- solo un comentario --></horario></datosGHC>",
      "<datosGHC><horario><?pi dato?></horario></datosGHC>",
      "<datosGHC><horario><![CDATA[]]></horario></datosGHC>",
      "<!DOCTYPE d [<!ENTITY t \"<tramo/><tramo/>\"><!ENTITY v \"\">]>"
      "<datosGHC><horario>&t;&t;</horario><b>&v;</b></datosGHC>",
      "<!DOCTYPE d [<!ENTITY h \"<horario><tramo/></horario>\">]>"
      "<datosGHC>&h;<horario>&amp;</horario></datosGHC>",
      "<g:datosGHC xmlns:g=\"urn:g\"><g:horario>\n<g:tramo/></g:horario></g:datosGHC>",
      "<datosGHC><sin/></datosGHC>",
  };
  for (const std::string& input : cases) {
    SCOPED_TRACE(input);
    const ExtendedDocument d = ExtendedDocument::parse(input, "horario");
    const Document tree = Document::parse(input);
    ASSERT_FALSE(d.empty());
    EXPECT_EQ(d.rootName(), tree.root().name());
    const Element child = tree.root().child("horario");
    ASSERT_EQ(d.child() != nullptr, static_cast<bool>(child));
    if (!child) continue;
    EXPECT_EQ(d.child()->line, child.line());
    EXPECT_EQ(d.child()->hasChildNodes, child.hasChildNodes());
    EXPECT_EQ(d.child()->countChildren("tramo"), child.countChildren("tramo"));
    EXPECT_EQ(canonical(saved(input)), canonical(savedFromTree(input)));
  }
}

// A document is refused, and for the same reason, whether it is read into a tree or not.
TEST(ExtendedDocument, RefusesWhatTheTreeRefuses) {
  const std::string cases[] = {
      "",
      "   ",
      "hola",
      "<datosGHC><a></b></datosGHC>",
      "<datosGHC>",
      "<datosGHC/><otro/>",
      "<?xml version=\"1.0\" encoding=\"nada-9\"?><datosGHC/>",
      "<datosGHC>\xFF</datosGHC>",
      "<!DOCTYPE d [<!ENTITY a \"" + std::string(1000, 'y') +
          "\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c "
          "\"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">]>"
          "<datosGHC>&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;</datosGHC>",
      "<!DOCTYPE d [<!ENTITY e \"<a>\">]><datosGHC>&e;</datosGHC>",
  };
  for (const std::string& input : cases) {
    SCOPED_TRACE(input.substr(0, 80));
    const ExtendedDocument d = ExtendedDocument::parse(input, "horario");
    const Document tree = Document::parse(input);
    ASSERT_TRUE(tree.empty());
    ASSERT_TRUE(d.empty());
    EXPECT_EQ(d.problem()->kind, tree.problem()->kind);
    EXPECT_EQ(d.problem()->message, tree.problem()->message);
    EXPECT_EQ(d.problem()->line, tree.problem()->line);
  }
}

}  // namespace
}  // namespace vestran
