// An arbitrary document with a timetable appended: read without its tree it is taken or
// refused as the tree takes it, and the result that keeps the input's bytes reads back
// exactly as the one written from the tree.

#include <libxml/c14n.h>
#include <libxml/parser.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "store/errors.hpp"
#include "store/xml/document.hpp"
#include "store/xml/extended_document.hpp"

namespace {

std::string canonical(const std::string& bytes) {
  xmlDocPtr doc = xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (!doc) return "<no se lee>";
  xmlChar* out = nullptr;
  const int n = xmlC14NDocDumpMemory(doc, nullptr, XML_C14N_1_0, nullptr, 1, &out);
  std::string text = n >= 0 ? std::string(reinterpret_cast<const char*>(out), n) : "<sin c14n>";
  xmlFree(out);
  xmlFreeDoc(doc);
  return text;
}

constexpr const char* kMarco = "Mañana <&> \"€\"";
constexpr const char* kSesion = "1 < 2 & ñ";

// Whether the saved document holds the appended lesson exactly as it was given.
bool faithful(const std::string& saved) {
  xmlDocPtr doc = xmlReadMemory(saved.data(), static_cast<int>(saved.size()), nullptr, nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (!doc) return false;
  bool found = false;
  for (xmlNode* h = xmlDocGetRootElement(doc)->children; h && !found; h = h->next) {
    const bool horario = h->type == XML_ELEMENT_NODE &&
                         std::string(reinterpret_cast<const char*>(h->name)) == "horario";
    if (!horario) continue;
    // The lesson is the last element of the first horario.
    for (xmlNode* t = h->last; t && !found; t = t->prev) {
      if (t->type != XML_ELEMENT_NODE) continue;
      xmlChar* marco = xmlGetProp(t, BAD_CAST "marco");
      xmlChar* sesion =
          t->children && t->children->children ? xmlNodeGetContent(t->children->children) : nullptr;
      found = marco && sesion && std::string(reinterpret_cast<char*>(marco)) == kMarco &&
              std::string(reinterpret_cast<char*>(sesion)) == kSesion;
      xmlFree(marco);
      xmlFree(sesion);
      break;
    }
    break;
  }
  xmlFreeDoc(doc);
  return found;
}

void appendLesson(vestran::Element horario) {
  vestran::Element tramo = horario.appendElement("tramo");
  horario.appendText("\n");
  tramo.setAttribute("marco", kMarco);
  tramo.appendElement("aula").appendElement("sesion").setText(kSesion);
}

// The document with a lesson appended as the import appends it, without its tree; empty
// when it cannot be read.
std::string extended(const std::string& input) {
  vestran::ExtendedDocument d = vestran::ExtendedDocument::parse(input, "horario");
  if (d.empty()) return {};
  vestran::Element nuevo = d.root().appendElement("horario");
  vestran::Element horario = d.child() ? d.outlinedChild() : nuevo;
  if (!d.child() || !d.child()->hasChildNodes) horario.appendText("\n");
  appendLesson(horario);
  return d.serialize();
}

// The same through the whole tree.
std::string fromTree(const std::string& input) {
  vestran::Document d = vestran::Document::parse(input);
  if (d.empty()) return {};
  vestran::Element root = d.root();
  root.appendElement("horario");
  vestran::Element horario = root.child("horario");
  if (!horario.hasChildNodes()) horario.appendText("\n");
  appendLesson(horario);
  return d.serialize();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  // Both readings take and refuse the same documents.
  const bool readable = !vestran::Document::parse(input).empty();
  if (readable != !vestran::ExtendedDocument::parse(input, "horario").empty()) std::abort();
  if (!readable) return 0;
  std::string kept;
  std::string tree;
  try {
    kept = extended(input);
    tree = fromTree(input);
  } catch (const vestran::Error&) {
    return 0;  // a document libxml2 cannot write back, either way
  }
  if (canonical(kept) == canonical(tree)) return 0;
  // They differ: that is a fault of the copy of the input, unless libxml2's own writer is
  // the one that lost the lesson (it does, for an encoding it reaches through iconv or ICU
  // that lacks a character) and the copy kept it.
  if (faithful(tree) || !faithful(kept)) std::abort();
  return 0;
}
