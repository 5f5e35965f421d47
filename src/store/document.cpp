#include "store/document.hpp"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlsave.h>
#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

#include <fstream>
#include <iterator>
#include <mutex>

#include "store/errors.hpp"
#include "store/os_file.hpp"
#include "store/text.hpp"

namespace vestran {

namespace {

const xmlChar* xml(std::string_view s, std::string& holder) {
  holder.assign(s);
  return reinterpret_cast<const xmlChar*>(holder.c_str());
}

bool nameIs(const xmlNode* node, std::string_view name) {
  return node->type == XML_ELEMENT_NODE &&
         std::string_view(reinterpret_cast<const char*>(node->name)) == name;
}

std::string nfc(std::string_view utf8) {
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* normalizer = icu::Normalizer2::getNFCInstance(status);
  if (U_FAILURE(status)) return std::string(utf8);
  const icu::UnicodeString source = icu::UnicodeString::fromUTF8(
      icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())));
  if (normalizer->isNormalized(source, status) && U_SUCCESS(status)) return std::string(utf8);
  status = U_ZERO_ERROR;
  const icu::UnicodeString normalized = normalizer->normalize(source, status);
  if (U_FAILURE(status)) return std::string(utf8);
  std::string out;
  normalized.toUTF8String(out);
  return out;
}

std::string owned(xmlChar* s) {
  if (!s) return {};
  std::string out(reinterpret_cast<const char*>(s));
  xmlFree(s);
  return nfc(out);
}

// Refuses every external entity and DTD; the document itself is parsed from memory.
xmlParserInputPtr refuseExternal(const char*, const char*, xmlParserCtxtPtr) { return nullptr; }

void silence(void*, const char*, ...) {}

void initialiseParser() {
  static std::once_flag once;
  std::call_once(once, [] {
    xmlInitParser();
    xmlSetExternalEntityLoader(refuseExternal);
    xmlSetGenericErrorFunc(nullptr, silence);
  });
}

int appendToString(void* context, const char* buffer, int length) {
  static_cast<std::string*>(context)->append(buffer, static_cast<std::size_t>(length));
  return length;
}

int closeNothing(void*) { return 0; }

bool startsWith(std::string_view bytes, std::string_view prefix) {
  return bytes.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::string Element::name() const {
  return node_ ? std::string(reinterpret_cast<const char*>(node_->name)) : std::string();
}

int Element::line() const { return node_ ? static_cast<int>(xmlGetLineNo(node_)) : 0; }

Element Element::child(std::string_view name) const {
  if (!node_) return {};
  for (xmlNode* c = node_->children; c; c = c->next) {
    if (nameIs(c, name)) return Element(c);
  }
  return {};
}

std::vector<Element> Element::children(std::string_view name) const {
  std::vector<Element> found;
  if (!node_) return found;
  for (xmlNode* c = node_->children; c; c = c->next) {
    if (nameIs(c, name)) found.push_back(Element(c));
  }
  return found;
}

std::size_t Element::countChildren(std::string_view name) const {
  std::size_t n = 0;
  if (!node_) return n;
  for (xmlNode* c = node_->children; c; c = c->next) n += nameIs(c, name) ? 1 : 0;
  return n;
}

bool Element::hasChildNodes() const { return node_ && node_->children; }

std::string Element::text() const { return node_ ? owned(xmlNodeGetContent(node_)) : ""; }

std::vector<Attribute> Element::attributes() const {
  std::vector<Attribute> list;
  if (!node_) return list;
  for (xmlAttr* a = node_->properties; a; a = a->next) {
    list.push_back({reinterpret_cast<const char*>(a->name),
                    owned(xmlNodeListGetString(node_->doc, a->children, 1))});
  }
  return list;
}

std::optional<std::string> Element::attribute(std::string_view name) const {
  if (!node_) return std::nullopt;
  for (xmlAttr* a = node_->properties; a; a = a->next) {
    if (std::string_view(reinterpret_cast<const char*>(a->name)) == name && !a->ns) {
      return owned(xmlNodeListGetString(node_->doc, a->children, 1));
    }
  }
  return std::nullopt;
}

void Element::setAttribute(std::string_view name, std::string_view value) {
  std::string n;
  std::string v;
  xmlSetProp(node_, xml(name, n), xml(value, v));
}

void Element::setAttribute(std::string_view name, std::int32_t value) {
  setAttribute(name, std::to_string(value));
}

void Element::setText(std::string_view text) {
  xmlChar* escaped = nullptr;
  {
    std::string t;
    escaped = xmlEncodeSpecialChars(node_->doc, xml(text, t));
  }
  xmlNodeSetContent(node_, escaped);
  xmlFree(escaped);
}

void Element::appendChild(Element child) { xmlAddChild(node_, child.node_); }

void Element::appendText(std::string_view text) {
  xmlNode* t = xmlNewDocTextLen(node_->doc, reinterpret_cast<const xmlChar*>(text.data()),
                                static_cast<int>(text.size()));
  xmlAddChild(node_, t);
}

void Document::Free::operator()(_xmlDoc* doc) const { xmlFreeDoc(doc); }

Document::Document() = default;
Document::~Document() = default;
Document::Document(Document&&) noexcept = default;
Document& Document::operator=(Document&&) noexcept = default;

Document Document::load(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    Document d;
    d.problem_ = LoadProblem{"No se pudo leer el archivo " + os::pathToUtf8(path), 0};
    return d;
  }
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return parse(bytes);
}

Document Document::parse(std::string_view bytes) {
  initialiseParser();
  Document d;
  if (startsWith(bytes, "\xEF\xBB\xBF")) {
    d.source_.utf8Bom = true;
    d.source_.declaration = startsWith(bytes.substr(3), "<?xml");
  } else if (startsWith(bytes, "\xFF\xFE") || startsWith(bytes, "\xFE\xFF")) {
    d.source_.encoding = "UTF-16";
    d.source_.utf16BigEndian = bytes[0] == '\xFE';
    d.source_.declaration = startsWith(bytes.substr(2), std::string_view("<\0?\0x\0m\0l", 9)) ||
                            startsWith(bytes.substr(2), std::string_view("\0<\0?\0x\0m\0l", 10));
  } else {
    d.source_.declaration = startsWith(bytes, "<?xml");
  }

  xmlParserCtxtPtr context = xmlNewParserCtxt();
  if (!context) {
    d.problem_ = LoadProblem{"No hay memoria para leer el documento XML", 0};
    return d;
  }
  const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
  xmlDocPtr doc = xmlCtxtReadMemory(context, bytes.data(), static_cast<int>(bytes.size()),
                                    nullptr, nullptr, options);
  if (!doc) {
    const xmlError* error = xmlCtxtGetLastError(context);
    LoadProblem p;
    p.line = error ? error->line : 0;
    const std::string detail = error && error->message ? trim(error->message) : "";
    p.message = "El documento XML no se puede leer";
    if (p.line > 0) p.message += " (línea " + std::to_string(p.line) + ")";
    if (!detail.empty()) p.message += ": " + detail;
    d.problem_ = std::move(p);
  } else {
    d.doc_.reset(doc);
    if (doc->encoding && d.source_.encoding.empty()) {
      d.source_.encoding = reinterpret_cast<const char*>(doc->encoding);
    }
  }
  xmlFreeParserCtxt(context);
  return d;
}

Element Document::root() const {
  return doc_ ? Element(xmlDocGetRootElement(doc_.get())) : Element();
}

std::vector<Element> Document::select(std::string_view path) const {
  std::vector<std::string_view> steps;
  std::size_t start = path.starts_with('/') ? 1 : 0;
  while (start <= path.size()) {
    const std::size_t end = std::min(path.find('/', start), path.size());
    steps.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  std::vector<Element> current;
  const Element r = root();
  if (!r || steps.empty() || r.name() != steps.front()) return current;
  current.push_back(r);
  for (std::size_t i = 1; i < steps.size(); ++i) {
    std::vector<Element> next;
    for (const Element& e : current) {
      for (Element c : e.children(steps[i])) next.push_back(c);
    }
    current = std::move(next);
  }
  return current;
}

Element Document::createElement(std::string_view name) {
  std::string n;
  return Element(xmlNewDocNode(doc_.get(), nullptr, xml(name, n), nullptr));
}

std::string Document::serialize() const {
  std::string out;
  if (!doc_) return out;
  if (source_.utf8Bom) out = "\xEF\xBB\xBF";
  const int options = source_.declaration ? 0 : XML_SAVE_NO_DECL;
  xmlSaveCtxtPtr save =
      xmlSaveToIO(appendToString, closeNothing, &out,
                  source_.encoding.empty() ? nullptr : source_.encoding.c_str(), options);
  if (!save) throw DocumentError("No se puede escribir el documento en " + source_.encoding);
  xmlSaveDoc(save, doc_.get());
  if (xmlSaveClose(save) < 0) throw DocumentError("No se pudo preparar el documento XML");
  // libxml2 writes UTF-16 little-endian with its byte-order mark; a big-endian input gets
  // its own byte order back.
  if (source_.utf16BigEndian) {
    for (std::size_t i = 0; i + 1 < out.size(); i += 2) std::swap(out[i], out[i + 1]);
  }
  return out;
}

void Document::save(const std::filesystem::path& path) const {
  const std::string bytes = serialize();
  try {
    os::writeFileAtomically(path, bytes);
  } catch (const os::FileError& e) {
    throw DocumentError("No se pudo guardar el documento " + os::pathToUtf8(path) + ": " +
                        e.what());
  }
}

}  // namespace vestran
