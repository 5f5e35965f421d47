#include "store/xml/document.hpp"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlsave.h>
#include <unicode/bytestream.h>
#include <unicode/normalizer2.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <functional>
#include <limits>
#include <mutex>
#include <new>
#include <stdexcept>

#include "store/errors.hpp"
#include "store/os/file_reader.hpp"
#include "store/os/paths.hpp"
#include "store/os/replacing.hpp"
#include "store/text.hpp"
#include "store/xml/detail/parse_guard.hpp"
#include "store/xml/detail/source_form.hpp"

namespace vestran {

namespace {

const xmlChar* xml(std::string_view s, std::string& holder) {
  holder.assign(s);
  return reinterpret_cast<const xmlChar*>(holder.c_str());
}

// Compares without measuring the node's name first.
bool sameName(const xmlChar* nodeName, std::string_view name) {
  const auto* s = reinterpret_cast<const char*>(nodeName);
  return std::strncmp(s, name.data(), name.size()) == 0 && s[name.size()] == '\0';
}

bool nameIs(const xmlNode* node, std::string_view name) {
  return node->type == XML_ELEMENT_NODE && sameName(node->name, name);
}

// The text in Unicode normal form C. A text of characters below U+0300 (no UTF-8 byte from
// 0xCC up) is in it already, as ICU's own quick check knows: so are almost all texts.
std::string nfc(std::string text) {
  if (std::none_of(text.begin(), text.end(),
                   [](char c) { return static_cast<unsigned char>(c) >= 0xCC; })) {
    return text;
  }
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* normalizer = icu::Normalizer2::getNFCInstance(status);
  if (U_FAILURE(status)) return text;
  const icu::StringPiece piece(text.data(), static_cast<int32_t>(text.size()));
  if (normalizer->isNormalizedUTF8(piece, status) && U_SUCCESS(status)) return text;
  status = U_ZERO_ERROR;
  std::string out;
  icu::StringByteSink<std::string> sink(&out);
  normalizer->normalizeUTF8(0, piece, sink, nullptr, status);
  return U_SUCCESS(status) ? out : text;
}

std::string owned(xmlChar* s) {
  if (!s) return {};
  std::string out(reinterpret_cast<const char*>(s));
  xmlFree(s);
  return nfc(std::move(out));
}

int appendToString(void* context, const char* buffer, int length) {
  static_cast<std::string*>(context)->append(buffer, static_cast<std::size_t>(length));
  return length;
}

int closeNothing(void*) { return 0; }

struct CloseSaveContext {
  void operator()(xmlSaveCtxt* c) const { xmlSaveClose(c); }
};

[[noreturn]] void noElement(const char* operation) {
  throw std::logic_error(std::string(operation) + " on an empty element handle");
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

Element Element::firstChildElement() const {
  if (!node_) return {};
  for (xmlNode* c = node_->children; c; c = c->next) {
    if (c->type == XML_ELEMENT_NODE) return Element(c);
  }
  return {};
}

Element Element::nextSiblingElement() const {
  if (!node_) return {};
  for (xmlNode* c = node_->next; c; c = c->next) {
    if (c->type == XML_ELEMENT_NODE) return Element(c);
  }
  return {};
}

bool Element::hasName(std::string_view name) const { return node_ && sameName(node_->name, name); }

std::string_view Element::nameView() const {
  return node_ ? std::string_view(reinterpret_cast<const char*>(node_->name)) : std::string_view();
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

std::optional<std::string_view> Element::asciiText() const {
  if (!node_) return std::string_view();
  const xmlNode* only = node_->children;
  if (!only) return std::string_view();
  if (only->next || (only->type != XML_TEXT_NODE && only->type != XML_CDATA_SECTION_NODE) ||
      !only->content) {
    return std::nullopt;
  }
  const std::string_view text(reinterpret_cast<const char*>(only->content));
  if (!isAscii(text)) return std::nullopt;
  return text;
}

std::string Element::text() const {
  if (!node_) return {};
  // Most elements hold one piece of text, or none: no need to gather and copy twice.
  const xmlNode* only = node_->children;
  if (!only) return {};
  if (!only->next && (only->type == XML_TEXT_NODE || only->type == XML_CDATA_SECTION_NODE) &&
      only->content) {
    return nfc(std::string(reinterpret_cast<const char*>(only->content)));
  }
  return owned(xmlNodeGetContent(node_));
}

std::vector<Attribute> Element::attributes() const {
  std::vector<Attribute> list;
  if (!node_) return list;
  for (xmlAttr* a = node_->properties; a; a = a->next) {
    list.push_back({reinterpret_cast<const char*>(a->name),
                    owned(xmlNodeListGetString(node_->doc, a->children, 1))});
  }
  return list;
}

std::optional<Attribute> Element::firstAttribute() const {
  if (!node_ || !node_->properties) return std::nullopt;
  const xmlAttr* a = node_->properties;
  // A value of one piece of text, as most are, is taken as it stands.
  const xmlNode* only = a->children;
  if (only && !only->next && only->type == XML_TEXT_NODE && only->content) {
    return Attribute{reinterpret_cast<const char*>(a->name),
                     nfc(reinterpret_cast<const char*>(only->content))};
  }
  return Attribute{reinterpret_cast<const char*>(a->name),
                   owned(xmlNodeListGetString(node_->doc, a->children, 1))};
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
  if (!node_) noElement("setAttribute");
  std::string n;
  std::string v;
  xmlSetProp(node_, xml(name, n), xml(value, v));
}

void Element::setAttribute(std::string_view name, std::int32_t value) {
  setAttribute(name, std::to_string(value));
}

void Element::setText(std::string_view text) {
  if (!node_) noElement("setText");
  xmlChar* escaped = nullptr;
  {
    std::string t;
    escaped = xmlEncodeSpecialChars(node_->doc, xml(text, t));
  }
  xmlNodeSetContent(node_, escaped);
  xmlFree(escaped);
}

Element Element::appendElement(std::string_view name) {
  if (!node_) noElement("appendElement");
  std::string n;
  xmlNode* child = xmlNewDocNode(node_->doc, nullptr, xml(name, n), nullptr);
  if (!child) throw std::bad_alloc();
  xmlAddChild(node_, child);
  // Without a declaration of its own, an element without prefix belongs to the default
  // namespace in scope.
  const xmlNs* inScope = xmlSearchNs(node_->doc, node_, nullptr);
  if (inScope && inScope->href && *inScope->href) xmlNewNs(child, BAD_CAST "", nullptr);
  return Element(child);
}

void Element::appendText(std::string_view text) {
  if (!node_) noElement("appendText");
  xmlNode* t = xmlNewDocTextLen(node_->doc, reinterpret_cast<const xmlChar*>(text.data()),
                                static_cast<int>(text.size()));
  if (!t) throw std::bad_alloc();
  // xmlAddChild merges a text node into a text last child, and frees it.
  xmlAddChild(node_, t);
}

void Document::Free::operator()(_xmlDoc* doc) const { xmlFreeDoc(doc); }

Document::Document() = default;
Document::~Document() = default;
Document::Document(Document&&) noexcept = default;
Document& Document::operator=(Document&&) noexcept = default;

Document Document::load(const std::filesystem::path& path) {
  try {
    return parseFile(path);
  } catch (const os::FileError& e) {
    Document d;
    if (e.code() == std::errc::value_too_large) {
      d.problem_ = LoadProblem{LoadProblem::Kind::tooLarge,
                               "pasa de 2 GB, más de lo que admite el lector de XML", 0, 0};
    } else {
      d.problem_ = LoadProblem{LoadProblem::Kind::unreadable, e.what(), 0, 0};
    }
    return d;
  } catch (const std::bad_alloc&) {
    Document d;
    d.problem_ =
        LoadProblem{LoadProblem::Kind::outOfMemory, "no hay memoria suficiente para leerlo", 0, 0};
    return d;
  }
}

std::string Document::encoding() const { return source_.encodingName(); }

Document Document::parse(std::string_view bytes) {
  return parseWith(bytes, bytes.size(), [&](xmlParserCtxtPtr context, int options) {
    return xmlCtxtReadMemory(context, bytes.data(), static_cast<int>(bytes.size()), nullptr,
                             nullptr, options);
  });
}

Document Document::parseFile(const std::filesystem::path& path) {
  os::FileReader reader = os::FileReader::open(path);
  // What the start says of the encoding and the declaration; the whole is read in pieces.
  std::string start(static_cast<std::size_t>(std::min<std::uint64_t>(reader.size(), kSniffed)),
                    '\0');
  start.resize(reader.read(start.data(), start.size()));
  struct Lectura {
    os::FileReader* reader;
    std::string_view start;
    std::size_t usado = 0;
    std::exception_ptr fallo;
  } lectura{&reader, start, 0, nullptr};
  const auto leer = [](void* contexto, char* buffer, int length) -> int {
    auto* l = static_cast<Lectura*>(contexto);
    try {
      if (l->usado < l->start.size()) {
        const std::size_t n = std::min<std::size_t>(l->start.size() - l->usado, length);
        std::copy_n(l->start.data() + l->usado, n, buffer);
        l->usado += n;
        return static_cast<int>(n);
      }
      return static_cast<int>(l->reader->read(buffer, static_cast<std::size_t>(length)));
    } catch (...) {
      l->fallo = std::current_exception();
      return -1;
    }
  };
  // Short texts kept inside their nodes: fewer allocations. The tree may still grow.
  Document d = parseWith(start, reader.size(), [&](xmlParserCtxtPtr context, int options) {
    return xmlCtxtReadIO(context, leer, nullptr, &lectura, nullptr, nullptr,
                         options | XML_PARSE_COMPACT);
  });
  if (lectura.fallo) std::rethrow_exception(lectura.fallo);
  return d;
}

Document Document::parseWith(std::string_view start, std::uint64_t size,
                             const std::function<xmlDocPtr(xmlParserCtxtPtr, int)>& read) {
  Document d;
  d.source_ = detail::SourceForm::of(start);
  detail::ParseOutcome outcome = detail::parseGuarded(start, size, {}, read);
  if (outcome.problem) {
    d.problem_ = std::move(outcome.problem);
    return d;
  }
  d.doc_.reset(outcome.doc.release());
  if (d.doc_->encoding && d.source_.encoding.empty()) {
    d.source_.encoding = reinterpret_cast<const char*>(d.doc_->encoding);
  }
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

std::string Document::serialize() const {
  std::string out;
  if (!doc_) return out;
  if (source_.utf8Bom) out = "\xEF\xBB\xBF";
  const int options = source_.declaration ? 0 : XML_SAVE_NO_DECL;
  std::unique_ptr<xmlSaveCtxt, CloseSaveContext> save(
      xmlSaveToIO(appendToString, closeNothing, &out,
                  source_.encoding.empty() ? nullptr : source_.encoding.c_str(), options));
  if (!save) throw DocumentError("No se puede escribir el documento en " + source_.encoding);
  if (xmlSaveDoc(save.get(), doc_.get()) < 0 || xmlSaveClose(save.release()) < 0) {
    throw DocumentError("No se pudo preparar el documento XML para guardarlo");
  }
  // libxml2 writes UTF-16 little-endian with its byte-order mark; a big-endian input gets
  // its own byte order back.
  if (source_.utf16BigEndian) {
    for (std::size_t i = 0; i + 1 < out.size(); i += 2) std::swap(out[i], out[i + 1]);
  }
  return out;
}

void Document::save(const std::filesystem::path& path) const {
  const std::string bytes = serialize();
  const std::string_view pieces[] = {bytes};
  saveBytes(path, pieces);
}

void Document::saveBytes(const std::filesystem::path& path,
                         std::span<const std::string_view> pieces) {
  try {
    // Killed runs may have left temporary copies of this very file.
    os::removeStaleTemporaries(path.parent_path(), os::pathToUtf8(path.filename()));
    os::writeFileAtomically(path, pieces, os::AtLink::replace);
  } catch (const os::FileError& e) {
    throw DocumentError("No se pudo guardar el documento " + os::pathToUtf8(path) + ": " +
                        e.what());
  }
}

}  // namespace vestran
