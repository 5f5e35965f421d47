#pragma once

// The XML document service: reads an exchange document, lets the jobs read and extend it,
// and writes it back. Built on libxml2; texts come out as UTF-8 in NFC.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct _xmlDoc;
struct _xmlNode;

namespace vestran {

// Why a document loaded empty.
struct LoadProblem {
  std::string message;  // in Spanish, with the parser's own message
  int line = 0;         // 0 when not known
};

struct Attribute {
  std::string name;
  std::string value;
};

// A handle to an element of a Document. An empty handle is safe to query: it has no
// children, no attributes and the empty text.
class Element {
 public:
  Element() = default;
  explicit operator bool() const { return node_ != nullptr; }
  // Two handles are equal when they refer to the same element.
  bool operator==(const Element& other) const { return node_ == other.node_; }

  std::string name() const;
  // The line of the start tag in the source, 0 for new elements.
  int line() const;

  // The first child element of that name; an empty handle when there is none.
  Element child(std::string_view name) const;
  // The child elements of that name, in document order.
  std::vector<Element> children(std::string_view name) const;
  // How many child elements have that name.
  std::size_t countChildren(std::string_view name) const;

  // True when the element has children of any kind (elements, text, comments).
  bool hasChildNodes() const;

  // The text of the element and all its descendants joined.
  std::string text() const;

  // The attributes in the order they stand in the start tag.
  std::vector<Attribute> attributes() const;
  // The value of the attribute of that name; nullopt when there is none.
  std::optional<std::string> attribute(std::string_view name) const;

  // Sets or adds the attribute; new ones come after the existing ones.
  void setAttribute(std::string_view name, std::string_view value);
  void setAttribute(std::string_view name, std::int32_t value);
  // Replaces the element's content by the text (empty text leaves no content).
  void setText(std::string_view text);
  // Adds the element, made by the same document, as the last child.
  void appendChild(Element child);
  // Adds a text node as the last child (used for line breaks and indentation).
  void appendText(std::string_view text);

 private:
  friend class Document;
  explicit Element(_xmlNode* node) : node_(node) {}
  _xmlNode* node_ = nullptr;
};

class Document {
 public:
  // An empty document.
  Document();
  ~Document();
  Document(Document&&) noexcept;
  Document& operator=(Document&&) noexcept;
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  // Reads and parses the file. Never throws for a bad file: one that cannot be read or
  // parsed gives an empty document whose problem() says why. No network access, no
  // external entity or DTD is loaded.
  static Document load(const std::filesystem::path& path);
  // The same from bytes in memory.
  static Document parse(std::string_view bytes);

  bool empty() const { return doc_ == nullptr; }
  const std::optional<LoadProblem>& problem() const { return problem_; }

  // The document element; an empty handle for an empty document.
  Element root() const;

  // All elements an absolute chain of names such as "/datosGHC/aulas/aula" reaches, in
  // document order.
  std::vector<Element> select(std::string_view path) const;

  // A new element, not yet in the tree. Requires a loaded document.
  Element createElement(std::string_view name);

  // The whole document as it would be saved: in its own encoding, with its own declaration
  // (or none), everything of the input kept.
  std::string serialize() const;

  // Writes serialize() to the file, replacing any file of that name only once the new
  // content is complete. Throws DocumentError.
  void save(const std::filesystem::path& path) const;

 private:
  struct Source {
    bool declaration = true;
    bool utf8Bom = false;
    bool utf16BigEndian = false;
    std::string encoding;  // as the output should name it; empty for UTF-8
  };
  struct Free {
    void operator()(_xmlDoc* doc) const;
  };
  std::unique_ptr<_xmlDoc, Free> doc_;
  std::optional<LoadProblem> problem_;
  Source source_;
};

}  // namespace vestran
