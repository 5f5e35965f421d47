#pragma once

// The binary layout of dBase tables: header, field descriptors and records, and the
// layout of the new tables vestran writes.

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vestran {

// The dBase variant new tables are written in.
enum class TableFormat {
  level7,  // field names up to 31 characters, binary integers
  dBase3,  // for tools that only read older dBase: names cut to 10, integers as N 11,0
};

enum class FieldKind { character, integer, logical, floating };

// One field of a table to create.
struct FieldDef {
  std::string name;
  FieldKind kind = FieldKind::character;
  std::size_t width = 0;  // characters; only for character fields
};

}  // namespace vestran

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

// dBase III keeps at most this many characters of a field's name.
inline constexpr std::size_t kDbase3NameLength = 10;

// The most a header can take: its length is a 16-bit number.
inline constexpr std::size_t kLargestHeader = 65535;

// Reads and checks the header of a table file of `fileSize` bytes, given its first bytes
// (the whole file, or at least its first kLargestHeader bytes). Never reads outside
// `start`. Throws FormatError when the file is short, not a dBase table, or its header
// lies (field descriptors cut off, a field of a fixed-width type with another width,
// fields longer than the record, far more data than the rows it announces).
Header parseHeader(std::string_view start, std::uint64_t fileSize);

// The header of a new, empty table with these fields, in this order, in `format`: the
// code page is Windows-1252, character fields are 1 to 254 wide, integers are I 4 (level
// 7) or N 11,0 (dBase III), floating point N 18,8, logicals L 1. dBase III keeps ten
// characters of each name.
Header newTableHeader(std::span<const FieldDef> fields, TableFormat format);

// The header bytes of a table we write (level 7 or dBase III), for `header` with fields,
// lengths and record count filled in, dated with today's date.
std::string serializeHeader(const Header& header);

// Writes the record count and today's date into header bytes of any variant.
void stampHeader(std::string& headerBytes, std::uint32_t recordCount);

// Starting offset of row i's record.
inline std::size_t recordOffset(const Header& h, std::size_t i) {
  return h.headerLength + i * h.recordLength;
}

}  // namespace vestran::dbase
