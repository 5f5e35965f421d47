#include "store/dbase/dbase_format.hpp"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>

#include "store/dbase/codepage.hpp"

namespace vestran::dbase {

namespace {

constexpr std::size_t kMaxCharacterWidth = 254;
constexpr std::size_t kFloatWidth = 18;
constexpr std::uint8_t kFloatDecimals = 8;
constexpr std::size_t kDbase3IntegerWidth = 11;
constexpr std::size_t kPrefixLength = 32;
constexpr std::size_t kLevel7PrefixLength = 68;
constexpr std::size_t kDescriptorLength = 32;
constexpr std::size_t kLevel7DescriptorLength = 48;
constexpr std::size_t kLevel7NameLength = 32;  // with its terminating zero
constexpr std::size_t kDescriptorNameLength = 11;
// Bytes after the rows that a table may carry without its header being doubted.
constexpr std::uint64_t kTolerableExcess = 1 << 20;

// Where type and width stand in a field descriptor. dBase III keeps four reserved bytes
// between them.
constexpr std::size_t typeOffset(bool level7) { return level7 ? 32 : 11; }
constexpr std::size_t widthOffset(bool level7) { return level7 ? 33 : 16; }

// Bounds-checked little-endian reading of the header bytes.
class Cursor {
 public:
  explicit Cursor(std::string_view bytes) : bytes_(bytes) {}
  std::uint8_t u8(std::size_t at) const {
    require(at, 1);
    return static_cast<std::uint8_t>(bytes_[at]);
  }
  std::uint16_t u16(std::size_t at) const {
    return static_cast<std::uint16_t>(u8(at) | (u8(at + 1) << 8));
  }
  std::uint32_t u32(std::size_t at) const {
    return static_cast<std::uint32_t>(u16(at)) | (static_cast<std::uint32_t>(u16(at + 2)) << 16);
  }
  std::string_view bytes(std::size_t at, std::size_t n) const {
    require(at, n);
    return bytes_.substr(at, n);
  }
  std::size_t size() const { return bytes_.size(); }

 private:
  void require(std::size_t at, std::size_t n) const {
    if (at > bytes_.size() || n > bytes_.size() - at) {
      throw FormatError(FormatError::Kind::truncated, "el archivo termina dentro de la cabecera");
    }
  }
  std::string_view bytes_;
};

Variant variantOf(std::uint8_t version) {
  switch (version) {
    case 0x04:
    case 0x8C:
      return Variant::level7;
    case 0x30:
    case 0x31:
    case 0x32:
      return Variant::visualFoxPro;
    case 0x02:
    case 0xF5:
    case 0xFB:
    case 0xE5:
      return Variant::foxPro;
    case 0x03:
    case 0x83:
      return Variant::dBase3;
    case 0x43:
    case 0x63:
    case 0x8B:
    case 0xCB:
      return Variant::dBase4;
    default:
      break;
  }
  char hex[8];
  std::snprintf(hex, sizeof hex, "0x%02X", version);
  throw FormatError(FormatError::Kind::notDbase,
                    std::string("no es una tabla dBase (primer byte ") + hex + ")");
}

// The width every field of a type must have, when the type fixes it.
std::optional<std::size_t> fixedWidth(char type, Variant variant) {
  switch (type) {
    case 'L':
      return 1;
    case 'I':
    case '+':
      return 4;
    case 'D':
    case 'O':
    case '@':
    case 'Y':
      return 8;
    case 'B':
      // A double in Visual FoxPro; a memo block number elsewhere.
      if (variant == Variant::visualFoxPro) return 8;
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

dbase::Field physicalField(const FieldDef& def, TableFormat format) {
  Field f;
  f.name = def.name;
  if (format == TableFormat::dBase3 && f.name.size() > kDbase3NameLength) {
    f.name.resize(kDbase3NameLength);
  }
  switch (def.kind) {
    case FieldKind::character:
      if (def.width < 1 || def.width > kMaxCharacterWidth) {
        throw std::logic_error("character field " + def.name + " of width " +
                               std::to_string(def.width));
      }
      f.type = 'C';
      f.width = def.width;
      break;
    case FieldKind::integer:
      f.type = format == TableFormat::level7 ? 'I' : 'N';
      f.width = format == TableFormat::level7 ? 4 : kDbase3IntegerWidth;
      break;
    case FieldKind::logical:
      f.type = 'L';
      f.width = 1;
      break;
    case FieldKind::floating:
      f.type = 'N';
      f.width = kFloatWidth;
      f.decimals = kFloatDecimals;
      break;
  }
  return f;
}

std::string nameUpTo(std::string_view raw) {
  const std::size_t end = raw.find('\0');
  std::string name(raw.substr(0, end));
  while (!name.empty() && name.back() == ' ') name.pop_back();
  return name;
}

void put16(std::string& out, std::size_t at, std::size_t value) {
  out[at] = static_cast<char>(value & 0xFF);
  out[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

void put32(std::string& out, std::size_t at, std::uint32_t value) {
  put16(out, at, value & 0xFFFF);
  put16(out, at + 2, value >> 16);
}

std::string rows(std::uint64_t n) { return std::to_string(n) + (n == 1 ? " fila" : " filas"); }

}  // namespace

Header parseHeader(std::string_view file, std::uint64_t fileSize) {
  const Cursor in(file);
  Header h;
  h.version = in.u8(0);
  h.variant = variantOf(h.version);
  h.recordCount = in.u32(4);
  h.headerLength = in.u16(8);
  h.recordLength = in.u16(10);
  h.languageDriver = in.u8(29);

  const bool level7 = h.variant == Variant::level7;
  const std::size_t prefix = level7 ? kLevel7PrefixLength : kPrefixLength;
  const std::size_t descriptor = level7 ? kLevel7DescriptorLength : kDescriptorLength;
  if (level7) h.languageDriverName = nameUpTo(in.bytes(32, 32));

  if (h.headerLength < prefix + 1) {
    throw FormatError(
        FormatError::Kind::inconsistent,
        "la cabecera declara " + std::to_string(h.headerLength) + " bytes, menos de los que ocupa");
  }
  if (h.headerLength > fileSize || h.headerLength > file.size()) {
    throw FormatError(FormatError::Kind::truncated,
                      "la cabecera declara " + std::to_string(h.headerLength) +
                          " bytes y el archivo tiene " + std::to_string(fileSize));
  }
  if (h.recordLength < 1) {
    throw FormatError(FormatError::Kind::inconsistent, "la longitud de registro es 0");
  }

  std::size_t offset = 1;
  bool terminated = false;
  std::size_t at = prefix;
  for (; at + descriptor <= h.headerLength; at += descriptor) {
    if (in.u8(at) == static_cast<std::uint8_t>(kFieldTerminator)) {
      terminated = true;
      break;
    }
    Field f;
    f.name = nameUpTo(in.bytes(at, level7 ? kLevel7NameLength : kDescriptorNameLength));
    f.type = static_cast<char>(in.u8(at + typeOffset(level7)));
    f.width = in.u8(at + widthOffset(level7));
    f.decimals = in.u8(at + widthOffset(level7) + 1);
    // FoxPro and Clipper keep the high byte of a long character field's width in the
    // decimals byte.
    if (!level7 && f.type == 'C') {
      f.width += static_cast<std::size_t>(f.decimals) * 256;
      f.decimals = 0;
    }
    f.hidden = f.type == '0';
    f.offset = offset;
    if (f.name.empty()) {
      throw FormatError(FormatError::Kind::inconsistent,
                        "el campo " + std::to_string(h.fields.size() + 1) + " no tiene nombre");
    }
    if (const auto width = fixedWidth(f.type, h.variant); width && f.width != *width) {
      throw FormatError(FormatError::Kind::inconsistent,
                        "el campo " + f.name + " es de tipo " + std::string(1, f.type) +
                            " y mide " + std::to_string(f.width) + " bytes, no " +
                            std::to_string(*width));
    }
    offset += f.width;
    h.fields.push_back(std::move(f));
  }
  // The descriptors end at the terminator or exactly where the header does; anything else
  // means the header length cuts a descriptor off.
  if (!terminated && at < h.headerLength &&
      in.u8(at) != static_cast<std::uint8_t>(kFieldTerminator)) {
    throw FormatError(FormatError::Kind::inconsistent,
                      "la cabecera termina en medio de la descripción del campo " +
                          std::to_string(h.fields.size() + 1));
  }
  if (offset > h.recordLength) {
    throw FormatError(FormatError::Kind::inconsistent,
                      "los campos ocupan " + std::to_string(offset) +
                          " bytes y el registro declara " + std::to_string(h.recordLength));
  }
  const std::uint64_t dataEnd =
      static_cast<std::uint64_t>(h.headerLength) +
      static_cast<std::uint64_t>(h.recordCount) * static_cast<std::uint64_t>(h.recordLength);
  if (dataEnd > fileSize) {
    throw FormatError(FormatError::Kind::truncated,
                      "la cabecera anuncia " + rows(h.recordCount) +
                          " y el archivo solo contiene " +
                          std::to_string((fileSize - h.headerLength) / h.recordLength));
  }
  // Writers leave an end-of-file mark and sometimes a little more after the rows; far
  // more data than the rows announced means the header is not this file's.
  if (const std::uint64_t excess = fileSize - dataEnd;
      excess > kTolerableExcess && excess > dataEnd) {
    throw FormatError(FormatError::Kind::inconsistent,
                      "la cabecera anuncia " + rows(h.recordCount) + " (" +
                          std::to_string(dataEnd) + " bytes) y el archivo tiene " +
                          std::to_string(fileSize) + " bytes");
  }
  return h;
}

Header newTableHeader(std::span<const FieldDef> fields, TableFormat format) {
  Header h;
  const bool level7 = format == TableFormat::level7;
  h.variant = level7 ? Variant::level7 : Variant::dBase3;
  h.version = level7 ? 0x04 : 0x03;
  h.languageDriver = kLanguageDriverWindows1252;
  h.languageDriverName = std::string(kLanguageDriverNameWindows1252);
  // Fields lie one after another from byte 1; byte 0 is the deletion flag.
  std::size_t offset = 1;
  for (const FieldDef& def : fields) {
    Field f = physicalField(def, format);
    f.offset = offset;
    offset += f.width;
    h.fields.push_back(std::move(f));
  }
  h.recordLength = offset;
  h.headerLength = (level7 ? kLevel7PrefixLength : kPrefixLength) +
                   h.fields.size() * (level7 ? kLevel7DescriptorLength : kDescriptorLength) + 1;
  return h;
}

void stampHeader(std::string& header, std::uint32_t recordCount) {
  const auto today = std::chrono::year_month_day(
      std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now()));
  header[1] = static_cast<char>(static_cast<int>(today.year()) - 1900);
  header[2] = static_cast<char>(static_cast<unsigned>(today.month()));
  header[3] = static_cast<char>(static_cast<unsigned>(today.day()));
  put32(header, 4, recordCount);
}

std::string serializeHeader(const Header& header) {
  const bool level7 = header.variant == Variant::level7;
  std::string out(header.headerLength, '\0');
  out[0] = static_cast<char>(header.version);
  stampHeader(out, header.recordCount);
  put16(out, 8, header.headerLength);
  put16(out, 10, header.recordLength);
  out[29] = static_cast<char>(header.languageDriver);

  std::size_t at = kPrefixLength;
  if (level7) {
    std::memcpy(&out[32], header.languageDriverName.data(),
                std::min<std::size_t>(header.languageDriverName.size(), 31));
    at = kLevel7PrefixLength;
  }
  const std::size_t nameLength = level7 ? kLevel7NameLength : kDescriptorNameLength;
  for (const Field& f : header.fields) {
    std::memcpy(&out[at], f.name.data(), std::min(f.name.size(), nameLength - 1));
    out[at + typeOffset(level7)] = f.type;
    out[at + widthOffset(level7)] = static_cast<char>(f.width);
    out[at + widthOffset(level7) + 1] = static_cast<char>(f.decimals);
    at += level7 ? kLevel7DescriptorLength : kDescriptorLength;
  }
  out[at] = kFieldTerminator;
  return out;
}

}  // namespace vestran::dbase
