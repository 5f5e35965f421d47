#pragma once

// A document that grows at the end of its root and of one of the root's children, written
// back as its own bytes with the new elements inserted before those end tags. The input
// is parsed once, with the same rules and limits as Document, but its tree is not kept:
// only the outline of those two elements, and the new elements themselves until they are
// settled into text. Where the document's encoding does not let its markup be found byte
// by byte, the whole tree is read and written instead, as Document writes it.

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/xml/document.hpp"

namespace vestran {

class ExtendedDocument {
 public:
  // What the parse learnt of an element of the input.
  struct Outline {
    int line = 0;                // of its start tag
    bool hasChildNodes = false;  // of any kind: elements, text, comments, references
    std::size_t countChildren(std::string_view name) const;

    std::vector<std::pair<std::string, std::size_t>> childElements;  // local names, counts
  };

  ExtendedDocument(ExtendedDocument&&) noexcept;
  ExtendedDocument& operator=(ExtendedDocument&&) noexcept;
  ~ExtendedDocument();

  // Parses the bytes, outlining the root's first child element named `childName`. Never
  // throws for a bad document: one that cannot be parsed is empty, and problem() says why
  // in the same words as Document's.
  static ExtendedDocument parse(std::string bytes, std::string_view childName);

  bool empty() const;
  const std::optional<LoadProblem>& problem() const;
  // The root's local name.
  std::string rootName() const;
  // The encoding the document is written in, named as Document::encoding() names it.
  std::string encoding() const;
  // The root's first child element of the outlined name; nullptr when it has none.
  const Outline* child() const;

  // Handles that take new content: what is appended to them goes before the end tag of
  // the root and of that child (an empty handle when there is none). They hold none of the
  // input's content, and their writes other than appending are not allowed.
  Element root();
  Element outlinedChild();

  // Turns the nodes appended to `parent` so far into text, and frees them: `parent` stays
  // and takes more, but the handles to those nodes are not to be used after. Keeps the
  // memory of a large addition small. Does nothing where the whole tree is kept.
  void settle(const Element& parent);

  // The whole document as it would be saved.
  std::string serialize();
  // Writes it to the file as a new file (a link at that name is replaced, not followed),
  // once the new content is complete. Throws DocumentError.
  void save(const std::filesystem::path& path);

 private:
  struct Growth;
  ExtendedDocument();
  // The pieces of the result: the input's bytes between the additions, in order.
  std::vector<std::string_view> pieces();

  std::string input_;
  std::optional<LoadProblem> problem_;
  std::string rootName_;
  std::string encoding_;
  std::optional<Outline> child_;
  // Splicing the input: the elements that grow, in a scratch document of their own.
  std::unique_ptr<Growth> growth_;
  // Otherwise the whole tree, and the child it had before anything was appended.
  std::optional<Document> tree_;
  Element treeChild_;
};

}  // namespace vestran
