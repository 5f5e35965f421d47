#include "store/xml/detail/source_form.hpp"

namespace vestran::detail {

namespace {

bool startsWith(std::string_view bytes, std::string_view prefix) {
  return bytes.substr(0, prefix.size()) == prefix;
}

}  // namespace

SourceForm SourceForm::of(std::string_view bytes) {
  SourceForm source;
  if (startsWith(bytes, "\xEF\xBB\xBF")) {
    source.utf8Bom = true;
    source.declaration = startsWith(bytes.substr(3), "<?xml");
  } else if (startsWith(bytes, "\xFF\xFE") || startsWith(bytes, "\xFE\xFF")) {
    source.encoding = "UTF-16";
    source.utf16BigEndian = bytes[0] == '\xFE';
    source.declaration = startsWith(bytes.substr(2), std::string_view("<\0?\0x\0m\0l", 9)) ||
                         startsWith(bytes.substr(2), std::string_view("\0<\0?\0x\0m\0l", 10));
  } else if (startsWith(bytes, std::string_view("<\0", 2)) ||
             startsWith(bytes, std::string_view("\0<", 2))) {
    source.encoding = "UTF-16";
    source.utf16BigEndian = bytes[0] == '\0';
    source.declaration = startsWith(bytes, std::string_view("<\0?\0x\0m\0l", 9)) ||
                         startsWith(bytes, std::string_view("\0<\0?\0x\0m\0l", 10));
  } else {
    source.declaration = startsWith(bytes, "<?xml");
  }
  return source;
}

std::string SourceForm::encodingName() const {
  if (encoding == "UTF-16") return utf16BigEndian ? "UTF-16BE" : "UTF-16LE";
  return encoding.empty() ? "UTF-8" : encoding;
}

}  // namespace vestran::detail
