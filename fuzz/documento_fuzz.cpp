// An arbitrary document with a timetable appended: the result that keeps the input's
// bytes must read back exactly as the one written from the tree.

#include <libxml/c14n.h>
#include <libxml/parser.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "store/document.hpp"
#include "store/errors.hpp"

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

std::string withTimetable(const std::string& input, bool keep) {
  vestran::Document d = vestran::Document::parse(input);
  if (d.empty()) return {};
  if (keep) d.keepInput(input);
  vestran::Element root = d.root();
  root.appendElement("horario");
  vestran::Element horario = root.child("horario");
  if (!horario.hasChildNodes()) horario.appendText("\n");
  vestran::Element tramo = horario.appendElement("tramo");
  horario.appendText("\n");
  tramo.setAttribute("marco", "Mañana <&> \"€\"");
  tramo.appendElement("aula").appendElement("sesion").setText("1 < 2 & ñ");
  return d.serialize();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::string kept;
  std::string tree;
  try {
    kept = withTimetable(input, true);
    tree = withTimetable(input, false);
  } catch (const vestran::Error&) {
    return 0;  // a document libxml2 cannot write back, either way
  }
  if (kept.empty()) return 0;
  if (canonical(kept) != canonical(tree)) std::abort();
  return 0;
}
