#pragma once

// Inside the document service: a parse that checks a whole document, as the tree's parse
// does, without building the tree, and keeps only the outline of its root and of one of
// the root's children. Not for use outside src/store/xml.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "store/xml/detail/source_form.hpp"
#include "store/xml/document.hpp"

namespace vestran::detail {

// What the scan learnt of an element.
struct ElementOutline {
  std::string name;              // the local name
  std::string qualifiedName;     // as the tags write it, prefix included
  int line = 0;                  // of its start tag, as the tree's parse numbers it
  std::size_t position = 0;      // among the element children of its parent
  std::string defaultNamespace;  // in scope at the element; empty for none
  bool hasChildNodes = false;    // of any kind: elements, text, comments, references
  // How many child elements of each local name it has, in order of first appearance.
  std::vector<std::pair<std::string, std::size_t>> childElements;
};

struct DocumentScan {
  std::optional<LoadProblem> problem;  // why the document cannot be used
  SourceForm source;
  ElementOutline root;
  std::optional<ElementOutline> child;  // the root's first child element of the asked name
};

// Parses the document with the tree's rules and limits (ParseGuard), keeping the outline
// of the root and of its first child element named `childName`.
DocumentScan scanDocument(std::string_view bytes, std::string_view childName);

}  // namespace vestran::detail
