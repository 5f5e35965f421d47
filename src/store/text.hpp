#pragma once

// Text rules shared by every job. All texts are UTF-8.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/text_map.hpp"

namespace vestran {

// Removes every character with code 32 or below from both ends.
std::string trim(std::string_view s);

// Removes blanks (code 32) from the end only.
std::string trimTrailingBlanks(std::string_view s);

// Number of Unicode characters (code points). Invalid bytes count one each.
std::size_t charCount(std::string_view s);

// The first n characters (all of s when shorter); never cuts inside a character.
std::string firstChars(std::string_view s, std::size_t n);

// At most n characters starting at character `from` (counted from 0).
std::string midChars(std::string_view s, std::size_t from, std::size_t n);

// The last n characters (all of s when shorter).
std::string lastChars(std::string_view s, std::size_t n);

// The key under which code lists compare texts: letter case folded, accents kept.
std::string caseFoldKey(std::string_view s);

// True when a and b are equal ignoring letter case only (Música = MÚSICA, Música != Musica).
bool equalsIgnoringCase(std::string_view a, std::string_view b);

// Lowers ASCII letters A to Z only.
std::string asciiLower(std::string_view s);
// Raises ASCII letters a to z only.
std::string asciiUpper(std::string_view s);
// True when a and b are equal ignoring the letter case of ASCII letters only.
bool equalsAsciiIgnoringCase(std::string_view a, std::string_view b);
// True when every character is ASCII.
bool isAscii(std::string_view s);

// Decimal whole number in 32 bits, as the system's integer conversion reads it: optional
// leading blanks, optional sign, digits and nothing else. Throws ConversionError with
// "'<s>' is not a valid integer value".
std::int32_t toInt32(std::string_view s);

// The system's conversion message for s.
std::string notAValidInteger(std::string_view s);

// An unsorted list of texts kept in insertion order. Look-ups ignore letter case
// (accents count) and take constant time.
class CodeList {
 public:
  // Appends s, even when an equal entry exists.
  void add(std::string_view s);
  // Appends s unless an entry equals it ignoring letter case; whether it was appended.
  bool addIfNew(std::string_view s);
  // True when an entry equals s ignoring letter case.
  bool contains(std::string_view s) const;
  // Index of the first entry equal to s ignoring letter case.
  std::optional<std::size_t> indexOf(std::string_view s) const;
  std::size_t size() const { return items_.size(); }
  const std::string& operator[](std::size_t i) const { return items_[i]; }
  void clear();

 private:
  std::vector<std::string> items_;
  TextMap<std::size_t> firstByKey_;
};

}  // namespace vestran
