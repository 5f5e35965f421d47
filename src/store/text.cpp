#include "store/text.hpp"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>

#include "store/errors.hpp"

namespace vestran {

namespace {

bool isTrimmed(unsigned char c) { return c <= 32; }

// Byte offset just after the first n code points of s.
std::size_t offsetOfChar(std::string_view s, std::size_t n) {
  std::int32_t i = 0;
  const auto length = static_cast<std::int32_t>(s.size());
  for (std::size_t k = 0; k < n && i < length; ++k) U8_FWD_1(s.data(), i, length);
  return static_cast<std::size_t>(i);
}

}  // namespace

std::string trim(std::string_view s) {
  std::size_t b = 0;
  std::size_t e = s.size();
  while (b < e && isTrimmed(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && isTrimmed(static_cast<unsigned char>(s[e - 1]))) --e;
  return std::string(s.substr(b, e - b));
}

std::string trimTrailingBlanks(std::string_view s) {
  std::size_t e = s.size();
  while (e > 0 && s[e - 1] == ' ') --e;
  return std::string(s.substr(0, e));
}

std::size_t charCount(std::string_view s) {
  std::size_t n = 0;
  std::int32_t i = 0;
  const auto length = static_cast<std::int32_t>(s.size());
  while (i < length) {
    U8_FWD_1(s.data(), i, length);
    ++n;
  }
  return n;
}

std::string firstChars(std::string_view s, std::size_t n) {
  return std::string(s.substr(0, offsetOfChar(s, n)));
}

std::string midChars(std::string_view s, std::size_t from, std::size_t n) {
  const std::size_t begin = offsetOfChar(s, from);
  return firstChars(s.substr(begin), n);
}

std::string lastChars(std::string_view s, std::size_t n) {
  const std::size_t count = charCount(s);
  if (n >= count) return std::string(s);
  return std::string(s.substr(offsetOfChar(s, count - n)));
}

std::string caseFoldKey(std::string_view s) {
  std::string key;
  key.reserve(s.size());
  std::int32_t i = 0;
  const auto length = static_cast<std::int32_t>(s.size());
  while (i < length) {
    const auto byte = static_cast<unsigned char>(s[static_cast<std::size_t>(i)]);
    if (byte < 0x80) {  // ASCII folds as its lower case
      key += static_cast<char>(byte >= 'A' && byte <= 'Z' ? byte - 'A' + 'a' : byte);
      ++i;
      continue;
    }
    UChar32 c = 0;
    U8_NEXT(s.data(), i, length, c);
    if (c < 0) c = 0xFFFD;
    const UChar32 folded = u_foldCase(c, U_FOLD_CASE_DEFAULT);
    char buffer[U8_MAX_LENGTH];
    std::int32_t n = 0;
    U8_APPEND_UNSAFE(buffer, n, folded);
    key.append(buffer, static_cast<std::size_t>(n));
  }
  return key;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return caseFoldKey(a) == caseFoldKey(b);
}

std::string asciiLower(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool equalsAsciiIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    char y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

bool isAscii(std::string_view s) {
  // Eight bytes at a time: one high bit among them is enough.
  const char* p = s.data();
  std::size_t n = s.size();
  for (; n >= 8; p += 8, n -= 8) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    if (w & 0x8080808080808080ULL) return false;
  }
  for (; n > 0; ++p, --n) {
    if (static_cast<unsigned char>(*p) >= 0x80) return false;
  }
  return true;
}

std::string asciiUpper(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

std::string notAValidInteger(std::string_view s) {
  return "'" + std::string(s) + "' is not a valid integer value";
}

std::int32_t toInt32(std::string_view s) {
  std::string_view digits = s;
  while (!digits.empty() && digits.front() == ' ') digits.remove_prefix(1);
  bool negative = false;
  if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
    negative = digits.front() == '-';
    digits.remove_prefix(1);
  }
  std::int64_t value = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  const bool allDigits = !digits.empty() && end == digits.data() + digits.size() &&
                         digits.front() >= '0' && digits.front() <= '9';
  if (ec != std::errc() || !allDigits) throw ConversionError(notAValidInteger(s));
  if (negative) value = -value;
  if (value < std::numeric_limits<std::int32_t>::min() ||
      value > std::numeric_limits<std::int32_t>::max()) {
    throw ConversionError(notAValidInteger(s));
  }
  return static_cast<std::int32_t>(value);
}

void CodeList::add(std::string_view s) {
  firstByKey_.tryEmplace(caseFoldKey(s), items_.size());
  items_.emplace_back(s);
}

bool CodeList::addIfNew(std::string_view s) {
  const std::size_t before = firstByKey_.size();
  firstByKey_.tryEmplace(caseFoldKey(s), items_.size());
  if (firstByKey_.size() == before) return false;
  items_.emplace_back(s);
  return true;
}

bool CodeList::contains(std::string_view s) const { return indexOf(s).has_value(); }

std::optional<std::size_t> CodeList::indexOf(std::string_view s) const {
  const std::size_t* first = firstByKey_.find(caseFoldKey(s));
  if (!first) return std::nullopt;
  return *first;
}

void CodeList::clear() {
  items_.clear();
  firstByKey_.clear();
}

}  // namespace vestran
