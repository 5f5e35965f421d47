#pragma once

// The binary layout of dBase tables: header, field descriptors and records.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vestran::dbase {

// The header families we read. We write only level7 and dBase3.
enum class Variant { dBase3, dBase4, level7, foxPro, visualFoxPro };

struct Field {
  std::string name;
  char type = 'C';
  std::size_t width = 0;
  std::uint8_t decimals = 0;
  std::size_t offset = 0;  // within the record; byte 0 is the deletion flag
  bool hidden = false;     // a system field, such as the null flags of Visual FoxPro
};

struct Header {
  std::uint8_t version = 0x04;
  Variant variant = Variant::level7;
  std::uint8_t languageDriver = 0;
  std::string languageDriverName;  // level 7 only
  std::uint32_t recordCount = 0;
  std::size_t headerLength = 0;
  std::size_t recordLength = 0;
  std::vector<Field> fields;
};

// Why a file is not a table we can read.
class FormatError : public std::runtime_error {
 public:
  enum class Kind { truncated, notDbase, inconsistent };
  FormatError(Kind kind, const std::string& detail) : std::runtime_error(detail), kind_(kind) {}
  Kind kind() const { return kind_; }

 private:
  Kind kind_;
};

inline constexpr char kFieldTerminator = 0x0D;
inline constexpr char kEndOfFile = 0x1A;
inline constexpr char kDeletedFlag = '*';
inline constexpr char kLiveFlag = ' ';

// Reads and checks the header of a whole file. Never reads outside `file`.
// Throws FormatError when the file is short, not a dBase table, or its header lies.
Header parseHeader(std::string_view file);

// The header bytes of a table we write (level 7 or dBase III), for `header` with fields,
// lengths and record count filled in, dated with today's date.
std::string serializeHeader(const Header& header);

// Writes today's date into the header bytes (year since 1900, month, day).
void stampToday(std::string& header);

// Lays out fields one after another from byte 1 and fills in header and record length.
void layOut(Header& header);

// Starting offset of row i's record.
inline std::size_t recordOffset(const Header& h, std::size_t i) {
  return h.headerLength + i * h.recordLength;
}

}  // namespace vestran::dbase
