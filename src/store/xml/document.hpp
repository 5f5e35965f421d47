#pragma once

// The XML document service: reads an exchange document, lets the jobs read and extend it,
// and writes it back. Built on libxml2; texts come out as UTF-8 in NFC.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "store/xml/detail/source_form.hpp"

struct _xmlDoc;
struct _xmlParserCtxt;
struct _xmlNode;

namespace vestran {

// Why a document loaded empty.
struct LoadProblem {
  enum class Kind {
    unreadable,       // the file could not be read (missing, no permission, not a file)
    tooLarge,         // past 2 GB, more than the XML reader takes
    empty,            // no content, or only blanks
    notXml,           // does not start with markup: another kind of file
    unfinished,       // ends inside an element: cut short
    mismatchedTag,    // an end tag that closes another element
    extraContent,     // something after the end of the root element
    encoding,         // bytes that are no text in its encoding, or an unknown encoding
    beyondLimits,     // a text, name or nesting past what the reader takes
    entityExpansion,  // entities that expand far past the document's own size
    outOfMemory,      // the memory ran out while parsing
    malformed,        // any other breach of the XML rules
  };
  Kind kind = Kind::malformed;
  std::string message;  // in Spanish: what is wrong and where, without the parser's jargon
  int line = 0;         // 0 when not known
  int column = 0;       // 0 when not known
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
  // The first child element and the next sibling element; empty handles past the last.
  Element firstChildElement() const;
  Element nextSiblingElement() const;
  // The element's name, without a copy; valid while the document lives.
  std::string_view nameView() const;
  // Whether the element has that name.
  bool hasName(std::string_view name) const;

  // The child elements of that name, in document order.
  std::vector<Element> children(std::string_view name) const;
  // How many child elements have that name.
  std::size_t countChildren(std::string_view name) const;

  // True when the element has children of any kind (elements, text, comments).
  bool hasChildNodes() const;

  // The text of the element and all its descendants joined.
  std::string text() const;
  // The same without a copy, when the element holds nothing but one piece of plain ASCII
  // text (or nothing); nullopt otherwise. Valid while the document lives.
  std::optional<std::string_view> asciiText() const;

  // The attributes in the order they stand in the start tag.
  std::vector<Attribute> attributes() const;
  // The first of them; nullopt when there is none.
  std::optional<Attribute> firstAttribute() const;
  // The value of the attribute of that name; nullopt when there is none.
  std::optional<std::string> attribute(std::string_view name) const;

  // The writes below require a handle to an element (std::logic_error otherwise).

  // Sets or adds the attribute; new ones come after the existing ones.
  void setAttribute(std::string_view name, std::string_view value);
  void setAttribute(std::string_view name, std::int32_t value);
  // Replaces the element's content by the text (empty text leaves no content).
  void setText(std::string_view text);
  // A new element of that name in no namespace, added as the last child. Where a default
  // namespace is in scope, the element declares xmlns="" so that every reader sees it in
  // no namespace.
  Element appendElement(std::string_view name);
  // Adds a text node as the last child (used for line breaks and indentation).
  void appendText(std::string_view text);

 private:
  friend class Document;
  friend class ExtendedDocument;
  explicit Element(_xmlNode* node) : node_(node) {}
  _xmlNode* node_ = nullptr;
};

class Document {
 public:
  // The largest document the XML reader takes: its length is a signed 32-bit number.
  static constexpr std::uint64_t kLargestDocument = 0x7FFFFFFF;

  // An empty document.
  Document();
  ~Document();
  Document(Document&&) noexcept;
  Document& operator=(Document&&) noexcept;
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  // Reads and parses the file. Never throws for a bad file: one that cannot be read or
  // parsed (or does not fit in memory) gives an empty document whose problem() says why.
  // No network access, no external entity or DTD is loaded, and internal entities may
  // expand to at most the document's own size and a megabyte more.
  static Document load(const std::filesystem::path& path);
  // The same from bytes in memory.
  static Document parse(std::string_view bytes);
  // The same from the file, read in pieces as it is parsed: the whole file never sits in
  // memory. Throws os::FileError when the file cannot be opened or read (a document it
  // cannot parse loads empty, as with load()).
  static Document parseFile(const std::filesystem::path& path);

  // The encoding the document is written in, as its declaration or byte-order mark says:
  // "UTF-8" when neither names one; "UTF-16LE" or "UTF-16BE" for UTF-16.
  std::string encoding() const;

  bool empty() const { return doc_ == nullptr; }
  const std::optional<LoadProblem>& problem() const { return problem_; }

  // The document element; an empty handle for an empty document.
  Element root() const;

  // All elements an absolute chain of names such as "/datosGHC/aulas/aula" reaches, in
  // document order.
  std::vector<Element> select(std::string_view path) const;

  // The whole document as it would be saved: libxml2's serialisation of the tree, in the
  // document's encoding with its declaration (or none) and byte-order mark, every node of
  // the input kept.
  std::string serialize() const;

  // Writes serialize() to the file, replacing any file of that name only once the new
  // content is complete. Throws DocumentError.
  void save(const std::filesystem::path& path) const;

 private:
  friend class ExtendedDocument;
  struct Free {
    void operator()(_xmlDoc* doc) const;
  };
  // Writes the pieces, one after another, as the file's new content (see save()).
  static void saveBytes(const std::filesystem::path& path,
                        std::span<const std::string_view> pieces);
  // Parses `size` bytes that begin with `start` through `read`, which runs the parser.
  static Document parseWith(std::string_view start, std::uint64_t size,
                            const std::function<_xmlDoc*(_xmlParserCtxt*, int)>& read);
  // How much of a file's start tells its encoding and declaration.
  static constexpr std::size_t kSniffed = 64 * 1024;
  std::unique_ptr<_xmlDoc, Free> doc_;
  std::optional<LoadProblem> problem_;
  detail::SourceForm source_;
};

}  // namespace vestran
