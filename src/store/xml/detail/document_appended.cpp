#include "store/xml/detail/document_appended.hpp"

#include <libxml/tree.h>
#include <libxml/xmlsave.h>
#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>

#include <algorithm>
#include <map>
#include <memory>

#include "store/text.hpp"

namespace vestran::detail {

namespace {

constexpr std::size_t kNotFound = std::string_view::npos;

// How the input's code units are laid out: one byte each, or two in either byte order.
struct Units {
  std::size_t width = 1;
  bool bigEndian = false;
};

// Encodings in which every markup character is the ASCII byte itself, and UTF-16.
std::optional<Units> unitsOf(std::string_view encoding) {
  const std::string e = asciiUpper(encoding);
  if (e == "UTF-16LE" || e == "UTF-16") return Units{2, false};
  if (e == "UTF-16BE") return Units{2, true};
  if (e == "UTF-8" || e == "UTF8" || e == "US-ASCII" || e == "ASCII") return Units{};
  for (std::string_view prefix :
       {"ISO-8859-", "ISO8859-", "ISO_8859-", "ISO-LATIN-", "LATIN", "WINDOWS-125", "CP125"}) {
    if (e.starts_with(prefix)) return Units{};
  }
  return std::nullopt;
}

// The input as code units; markup is found by its ASCII characters.
class Input {
 public:
  Input(std::string_view bytes, Units units) : bytes_(bytes), units_(units) {}
  std::size_t size() const { return bytes_.size() / units_.width; }
  char32_t at(std::size_t i) const {
    if (units_.width == 1) return static_cast<unsigned char>(bytes_[i]);
    const auto a = static_cast<unsigned char>(bytes_[2 * i]);
    const auto b = static_cast<unsigned char>(bytes_[2 * i + 1]);
    return units_.bigEndian ? (a << 8 | b) : (b << 8 | a);
  }
  bool startsWith(std::size_t i, std::string_view ascii) const {
    if (i + ascii.size() > size()) return false;
    for (std::size_t k = 0; k < ascii.size(); ++k) {
      if (at(i + k) != static_cast<unsigned char>(ascii[k])) return false;
    }
    return true;
  }
  // The index just after the next `ascii` from i; kNotFound when there is none.
  std::size_t after(std::size_t i, std::string_view ascii) const {
    for (; i + ascii.size() <= size(); ++i) {
      if (startsWith(i, ascii)) return i + ascii.size();
    }
    return kNotFound;
  }
  std::size_t byteOffset(std::size_t unit) const { return unit * units_.width; }

 private:
  std::string_view bytes_;
  Units units_;
};

// Where an element of the input ends: its end tag, or the "/>" of an empty-element tag.
struct Location {
  std::size_t endTag = kNotFound;
  std::size_t emptyTagEnd = kNotFound;
};

// The index after a DOCTYPE declaration starting at i, internal subset included.
std::size_t afterDoctype(const Input& in, std::size_t i) {
  int depth = 0;
  for (i += 2; i < in.size();) {
    const char32_t c = in.at(i);
    if (c == '"' || c == '\'') {
      i = in.after(i + 1, c == '"' ? "\"" : "'");
    } else if (in.startsWith(i, "<!--")) {
      i = in.after(i + 4, "-->");
    } else if (in.startsWith(i, "<?")) {
      i = in.after(i + 2, "?>");
    } else {
      if (c == '[') ++depth;
      if (c == ']') --depth;
      ++i;
      if (c == '>' && depth == 0) return i;
    }
    if (i == kNotFound) return kNotFound;
  }
  return kNotFound;
}

// Finds the elements at `paths` (positions among element siblings, from the root down)
// in a well-formed input.
std::optional<std::vector<Location>> locate(const Input& in,
                                            const std::vector<std::vector<std::size_t>>& paths) {
  std::map<std::vector<std::size_t>, std::size_t> wanted;
  for (std::size_t k = 0; k < paths.size(); ++k) wanted.emplace(paths[k], k);
  std::vector<Location> found(paths.size());
  std::vector<std::size_t> path;
  std::vector<std::size_t> children{0};
  std::size_t i = 0;
  while (i != kNotFound && i < in.size()) {
    if (in.at(i) != '<') {
      ++i;
    } else if (in.startsWith(i, "<!--")) {
      i = in.after(i + 4, "-->");
    } else if (in.startsWith(i, "<![CDATA[")) {
      i = in.after(i + 9, "]]>");
    } else if (in.startsWith(i, "<!")) {
      i = afterDoctype(in, i);
    } else if (in.startsWith(i, "<?")) {
      i = in.after(i + 2, "?>");
    } else if (in.startsWith(i, "</")) {
      if (path.empty()) return std::nullopt;
      if (const auto w = wanted.find(path); w != wanted.end()) found[w->second].endTag = i;
      path.pop_back();
      children.pop_back();
      i = in.after(i + 2, ">");
    } else {
      // A start tag; attribute values may hold '>'.
      std::size_t j = i + 1;
      char32_t quote = 0;
      for (; j < in.size(); ++j) {
        const char32_t c = in.at(j);
        if (quote) {
          if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
          quote = c;
        } else if (c == '>') {
          break;
        }
      }
      if (j >= in.size()) return std::nullopt;
      path.push_back(children.back()++);
      const bool empty = in.at(j - 1) == '/';
      if (empty) {
        if (const auto w = wanted.find(path); w != wanted.end()) {
          found[w->second].emptyTagEnd = j - 1;
        }
        path.pop_back();
      } else {
        children.push_back(0);
      }
      i = j + 1;
    }
  }
  for (const Location& l : found) {
    if (l.endTag == kNotFound && l.emptyTagEnd == kNotFound) return std::nullopt;
  }
  return found;
}

// The element's position among the element children of each of its ancestors.
std::vector<std::size_t> pathOf(const xmlNode* node) {
  std::vector<std::size_t> path;
  for (; node && node->type == XML_ELEMENT_NODE; node = node->parent) {
    std::size_t index = 0;
    for (const xmlNode* s = node->prev; s; s = s->prev) index += s->type == XML_ELEMENT_NODE;
    path.push_back(index);
  }
  std::reverse(path.begin(), path.end());
  return path;
}

struct CloseConverter {
  void operator()(UConverter* c) const { ucnv_close(c); }
};

// Converts markup written in UTF-8 to the document's encoding; a character the encoding
// lacks becomes a character reference, as in the rest of the document.
class Encoder {
 public:
  Encoder(std::string_view encoding, bool crlf) : crlf_(crlf) {
    const std::string e = asciiUpper(encoding);
    if (e == "UTF-8" || e == "UTF8") return;
    UErrorCode status = U_ZERO_ERROR;
    converter_.reset(ucnv_open(std::string(encoding).c_str(), &status));
    if (U_FAILURE(status)) {
      converter_.reset();
      failed_ = true;
      return;
    }
    ucnv_setFromUCallBack(converter_.get(), UCNV_FROM_U_CALLBACK_ESCAPE, UCNV_ESCAPE_XML_DEC,
                          nullptr, nullptr, &status);
    failed_ = U_FAILURE(status);
  }
  bool usable() const { return !failed_; }

  std::optional<std::string> operator()(std::string_view utf8) const {
    std::string text;
    for (char c : utf8) {
      if (c == '\n' && crlf_) text += '\r';
      text += c;
    }
    if (!converter_) return text;
    std::string out(text.size() * 12 + 16, '\0');
    UErrorCode status = U_ZERO_ERROR;
    ucnv_reset(converter_.get());
    const int32_t n = ucnv_fromAlgorithmic(converter_.get(), UCNV_UTF8, out.data(),
                                           static_cast<int32_t>(out.size()), text.data(),
                                           static_cast<int32_t>(text.size()), &status);
    if (U_FAILURE(status)) return std::nullopt;
    out.resize(static_cast<std::size_t>(n));
    return out;
  }

 private:
  std::unique_ptr<UConverter, CloseConverter> converter_;
  bool crlf_;
  bool failed_ = false;
};

// The nodes from `first` to the last child of its parent, as libxml2 writes them, in UTF-8.
std::string dump(xmlDoc* doc, xmlNode* first) {
  xmlOutputBufferPtr buffer = xmlAllocOutputBuffer(nullptr);
  if (!buffer) throw std::bad_alloc();
  // libxml2 writes the letters of attribute values as character references when the
  // document names no encoding; named UTF-8 it writes them as they are, and the encoder
  // below makes references only of what the document's encoding lacks.
  const xmlChar* declared = doc->encoding;
  doc->encoding = BAD_CAST "UTF-8";
  for (xmlNode* n = first; n; n = n->next) xmlNodeDumpOutput(buffer, doc, n, 0, 0, "UTF-8");
  doc->encoding = declared;
  xmlOutputBufferFlush(buffer);
  std::string out(reinterpret_cast<const char*>(xmlOutputBufferGetContent(buffer)),
                  xmlOutputBufferGetSize(buffer));
  xmlOutputBufferClose(buffer);
  return out;
}

std::string qualifiedName(const xmlNode* node) {
  std::string name = reinterpret_cast<const char*>(node->name);
  if (node->ns && node->ns->prefix) {
    name = std::string(reinterpret_cast<const char*>(node->ns->prefix)) + ":" + name;
  }
  return name;
}

bool usesCrlf(const Input& in) {
  for (std::size_t i = 0; i < in.size(); ++i) {
    if (in.at(i) == '\n') return i > 0 && in.at(i - 1) == '\r';
  }
  return false;
}

}  // namespace

bool Appended::created(const xmlNode* node) const { return node->_private == this; }

void Appended::noteChange(const xmlNode* node) { inputChanged |= !created(node); }

void Appended::note(xmlNode* parent, xmlNode* child) {
  child->_private = this;
  if (created(parent)) return;
  for (const Growth& g : grown) {
    if (g.parent == parent) return;
  }
  grown.push_back({parent, child});
}

std::optional<std::string> withAppendedNodes(std::string_view input, std::string_view encoding,
                                             xmlDoc* doc, const Appended& appended) {
  const auto units = unitsOf(encoding);
  if (!units || input.size() % units->width != 0) return std::nullopt;
  const Input in(input, *units);
  const Encoder encode(encoding, usesCrlf(in));
  if (!encode.usable()) return std::nullopt;

  std::vector<std::vector<std::size_t>> paths;
  for (const Appended::Growth& g : appended.grown) paths.push_back(pathOf(g.parent));
  const auto locations = locate(in, paths);
  if (!locations) return std::nullopt;

  struct Insertion {
    std::size_t from;  // bytes [from, to) of the input give way to `text`
    std::size_t to;
    std::string text;
  };
  std::vector<Insertion> insertions;
  for (std::size_t k = 0; k < appended.grown.size(); ++k) {
    const Appended::Growth& g = appended.grown[k];
    const Location& l = (*locations)[k];
    std::string markup = dump(doc, g.first);
    Insertion ins;
    if (l.endTag != kNotFound) {
      ins.from = ins.to = in.byteOffset(l.endTag);
    } else {
      markup = ">" + markup + "</" + qualifiedName(g.parent) + ">";
      ins.from = in.byteOffset(l.emptyTagEnd);
      ins.to = in.byteOffset(l.emptyTagEnd + 2);
    }
    auto encoded = encode(markup);
    if (!encoded) return std::nullopt;
    ins.text = std::move(*encoded);
    insertions.push_back(std::move(ins));
  }
  std::sort(insertions.begin(), insertions.end(),
            [](const Insertion& a, const Insertion& b) { return a.from < b.from; });

  std::string out;
  std::size_t size = input.size();
  for (const Insertion& ins : insertions) size += ins.text.size();
  out.reserve(size);
  std::size_t copied = 0;
  for (const Insertion& ins : insertions) {
    out.append(input.substr(copied, ins.from - copied));
    out += ins.text;
    copied = ins.to;
  }
  out.append(input.substr(copied));
  return out;
}

}  // namespace vestran::detail
