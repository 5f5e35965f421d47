#pragma once

// Inside the document service: how a document's bytes are written (byte-order mark,
// declaration, encoding), as its first bytes tell. Not for use outside src/store/xml.

#include <string>
#include <string_view>

namespace vestran::detail {

struct SourceForm {
  bool declaration = true;
  bool utf8Bom = false;
  bool utf16BigEndian = false;
  std::string encoding;  // as the output should name it; empty for UTF-8

  // What the first bytes say; the encoding a declaration names is learnt by the parse.
  static SourceForm of(std::string_view start);
  // The encoding as the document service names it: "UTF-8" when nothing names one,
  // "UTF-16LE" or "UTF-16BE" for UTF-16.
  std::string encodingName() const;
};

}  // namespace vestran::detail
