#pragma once

// Inside the document service: what was appended to a parsed document, and how the input's
// own bytes are written back with it. Not for use outside src/store.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct _xmlDoc;
struct _xmlNode;

namespace vestran::detail {

// The nodes appended to a parsed document, as Element records them.
struct Appended {
  struct Growth {
    _xmlNode* parent;  // an element of the input
    _xmlNode* first;   // the first node appended to it; those after it are new too
  };
  std::vector<Growth> grown;
  bool inputChanged = false;  // a node of the input itself was changed

  // Records that `child` was just appended to `parent`. Appended nodes carry this
  // object in their _private field, which nothing else of the program uses.
  void note(_xmlNode* parent, _xmlNode* child);
  // Records that `node` was changed: fine for an appended node, not for one of the input.
  void noteChange(const _xmlNode* node);
  bool created(const _xmlNode* node) const;
};

// `input` (the bytes `doc` was parsed from, in `encoding`) with the appended nodes
// inserted; nullopt when the encoding's markup cannot be found by looking for ASCII
// characters, or an element that grew cannot be found in the input.
std::optional<std::string> withAppendedNodes(std::string_view input, std::string_view encoding,
                                             _xmlDoc* doc, const Appended& appended);

}  // namespace vestran::detail
