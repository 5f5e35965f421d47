#pragma once

// Inside the document service: writing a document's own bytes back with new markup
// inserted before the end tags of some of its elements. Not for use outside src/store/xml.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct _xmlDoc;
struct _xmlNode;
struct UConverter;

namespace vestran::detail {

// How a document's code units are laid out: one byte each, or two in either byte order.
struct Units {
  std::size_t width = 1;
  bool bigEndian = false;
};

// The layout of an encoding whose markup characters are the ASCII ones (UTF-8,
// ISO-8859-*, Windows-125*, US-ASCII) or UTF-16; nullopt for any other, whose markup
// cannot be found by looking for ASCII characters.
std::optional<Units> unitsOf(std::string_view encoding);

// Where an element of the input ends, in bytes: at its end tag, or at the "/>" of an
// empty-element tag.
struct Location {
  static constexpr std::size_t kNone = std::string_view::npos;
  std::size_t endTag = kNone;
  std::size_t emptyTagEnd = kNone;
};

// Finds the elements at `paths` (positions among element siblings, from the root down:
// {0} is the root) in a well-formed input; nullopt when one is not there.
std::optional<std::vector<Location>> locate(std::string_view input, Units units,
                                            const std::vector<std::vector<std::size_t>>& paths);

// Whether the input's lines end in CR LF, as its first line does.
bool usesCrlf(std::string_view input, Units units);

// Converts markup written in UTF-8 to the document's encoding and line ends; a character
// the encoding lacks becomes a character reference, as in the rest of the document.
class Encoder {
 public:
  Encoder(std::string_view encoding, bool crlf);
  ~Encoder();
  Encoder(Encoder&&) noexcept;
  Encoder& operator=(Encoder&&) noexcept;
  bool usable() const { return !failed_; }
  // Whether the markup is written as it is (UTF-8 with LF line ends).
  bool unchanged() const { return !converter_ && !crlf_; }
  std::optional<std::string> operator()(std::string_view utf8) const;

 private:
  struct Close {
    void operator()(UConverter* c) const;
  };
  std::unique_ptr<UConverter, Close> converter_;
  bool crlf_;
  bool failed_ = false;
};

// The nodes from `first` to the last child of its parent, as libxml2 writes them, in
// UTF-8.
std::string dump(_xmlDoc* doc, _xmlNode* first);

// The element's name as its tags write it, prefix included.
std::string qualifiedName(const _xmlNode* node);

// The markup that takes the place of an element's "/>" when content is added to it.
std::string openedEmptyTag(std::string_view content, std::string_view qualifiedName);

}  // namespace vestran::detail
