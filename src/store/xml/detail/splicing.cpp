#include "store/xml/detail/splicing.hpp"

#include <libxml/tree.h>
#include <libxml/xmlsave.h>
#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <new>

#include "store/text.hpp"

namespace vestran::detail {

namespace {

constexpr std::size_t kNotFound = Location::kNone;

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
    if (units_.width == 1) return bytes_.substr(i, ascii.size()) == ascii;
    for (std::size_t k = 0; k < ascii.size(); ++k) {
      if (at(i + k) != static_cast<unsigned char>(ascii[k])) return false;
    }
    return true;
  }
  // The index of the next `c` from i; size() when there is none.
  std::size_t next(std::size_t i, char c) const {
    if (units_.width == 1) {
      const void* p =
          i < bytes_.size() ? std::memchr(bytes_.data() + i, c, bytes_.size() - i) : nullptr;
      return p ? static_cast<std::size_t>(static_cast<const char*>(p) - bytes_.data()) : size();
    }
    while (i < size() && at(i) != static_cast<unsigned char>(c)) ++i;
    return i;
  }
  // The index just after the next `ascii` from i; kNotFound when there is none.
  std::size_t after(std::size_t i, std::string_view ascii) const {
    if (units_.width == 1) {
      const std::size_t at = bytes_.find(ascii, i);
      return at == std::string_view::npos ? kNotFound : at + ascii.size();
    }
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

// Finds the elements at `paths` in a well-formed input, in code units.
std::optional<std::vector<Location>> locateUnits(
    const Input& in, const std::vector<std::vector<std::size_t>>& paths) {
  std::map<std::vector<std::size_t>, std::size_t> wanted;
  for (std::size_t k = 0; k < paths.size(); ++k) wanted.emplace(paths[k], k);
  std::size_t deepest = 0;
  for (const auto& p : paths) deepest = std::max(deepest, p.size());
  std::vector<Location> found(paths.size());
  std::vector<std::size_t> path;
  std::vector<std::size_t> children{0};
  std::size_t i = 0;
  while (i != kNotFound && i < in.size()) {
    if (in.at(i) != '<') {
      i = in.next(i, '<');
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
      if (path.size() <= deepest) {
        if (const auto w = wanted.find(path); w != wanted.end()) found[w->second].endTag = i;
      }
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
        if (path.size() <= deepest) {
          if (const auto w = wanted.find(path); w != wanted.end()) {
            found[w->second].emptyTagEnd = j - 1;
          }
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

}  // namespace

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

std::optional<std::vector<Location>> locate(std::string_view input, Units units,
                                            const std::vector<std::vector<std::size_t>>& paths) {
  if (input.size() % units.width != 0) return std::nullopt;
  const Input in(input, units);
  auto found = locateUnits(in, paths);
  if (!found) return std::nullopt;
  for (Location& l : *found) {
    if (l.endTag != kNotFound) l.endTag = in.byteOffset(l.endTag);
    if (l.emptyTagEnd != kNotFound) l.emptyTagEnd = in.byteOffset(l.emptyTagEnd);
  }
  return found;
}

bool usesCrlf(std::string_view input, Units units) {
  if (input.size() % units.width != 0) return false;
  const Input in(input, units);
  const std::size_t i = in.next(0, '\n');
  return i < in.size() && i > 0 && in.at(i - 1) == '\r';
}

void Encoder::Close::operator()(UConverter* c) const { ucnv_close(c); }

Encoder::Encoder(std::string_view encoding, bool crlf) : crlf_(crlf) {
  const std::string e = asciiUpper(encoding);
  if (e == "UTF-8" || e == "UTF8") return;
  UErrorCode status = U_ZERO_ERROR;
  converter_.reset(ucnv_open(std::string(encoding).c_str(), &status));
  if (U_FAILURE(status)) {
    converter_.reset();
    failed_ = true;
    return;
  }
  ucnv_setFromUCallBack(converter_.get(), UCNV_FROM_U_CALLBACK_ESCAPE, UCNV_ESCAPE_XML_DEC, nullptr,
                        nullptr, &status);
  failed_ = U_FAILURE(status);
}

Encoder::~Encoder() = default;
Encoder::Encoder(Encoder&&) noexcept = default;
Encoder& Encoder::operator=(Encoder&&) noexcept = default;

std::optional<std::string> Encoder::operator()(std::string_view utf8) const {
  std::string text;
  if (crlf_) {
    text.reserve(utf8.size() + utf8.size() / 16);
    for (char c : utf8) {
      if (c == '\n') text += '\r';
      text += c;
    }
  } else {
    text = utf8;
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

std::string dump(xmlDoc* doc, xmlNode* first) {
  xmlOutputBufferPtr buffer = xmlAllocOutputBuffer(nullptr);
  if (!buffer) throw std::bad_alloc();
  // libxml2 writes the letters of attribute values as character references when the
  // document names no encoding; named UTF-8 it writes them as they are, and the encoder
  // makes references only of what the document's encoding lacks.
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

std::string openedEmptyTag(std::string_view content, std::string_view qualifiedName) {
  std::string markup = ">";
  markup += content;
  markup += "</";
  markup += qualifiedName;
  markup += ">";
  return markup;
}

}  // namespace vestran::detail
