#include "store/dbase/dbase_values.hpp"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "store/errors.hpp"
#include "store/text.hpp"

namespace vestran::dbase {

namespace {

std::uint64_t bigEndian(std::string_view raw, std::size_t n) {
  std::uint64_t v = 0;
  for (std::size_t i = 0; i < n && i < raw.size(); ++i) {
    v = (v << 8) | static_cast<unsigned char>(raw[i]);
  }
  return v;
}

std::uint64_t littleEndian(std::string_view raw, std::size_t n) {
  std::uint64_t v = 0;
  for (std::size_t i = std::min(n, raw.size()); i > 0; --i) {
    v = (v << 8) | static_cast<unsigned char>(raw[i - 1]);
  }
  return v;
}

std::string toBigEndian(std::uint64_t v, std::size_t n) {
  std::string out(n, '\0');
  for (std::size_t i = n; i > 0; --i) {
    out[i - 1] = static_cast<char>(v & 0xFF);
    v >>= 8;
  }
  return out;
}

std::string toLittleEndian(std::uint64_t v, std::size_t n) {
  std::string out(n, '\0');
  for (std::size_t i = 0; i < n; ++i) {
    out[i] = static_cast<char>(v & 0xFF);
    v >>= 8;
  }
  return out;
}

double bitsToDouble(std::uint64_t bits) {
  double d = 0;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

bool allBytes(std::string_view raw, char c) {
  return raw.find_first_not_of(c) == std::string_view::npos;
}

bool isBinaryInteger(char type) { return type == 'I' || type == '+'; }

// Level 7 keeps integers big-endian with the sign bit flipped, so that bytes sort like
// values; all zero bytes mean empty. FoxPro keeps them little-endian.
std::optional<std::int32_t> readBinaryInteger(Variant variant, std::string_view raw) {
  if (raw.size() < 4) return std::nullopt;
  if (variant == Variant::level7) {
    const auto bits = static_cast<std::uint32_t>(bigEndian(raw, 4));
    if (bits == 0) return std::nullopt;
    return static_cast<std::int32_t>(bits ^ 0x80000000u);
  }
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(littleEndian(raw, 4)));
}

// Level 7 doubles: big-endian, positive values with the sign bit set, negative ones with
// every bit inverted, so that bytes sort like values. All zero bytes mean empty.
std::optional<double> readOrderedDouble(std::string_view raw) {
  if (raw.size() < 8) return std::nullopt;
  const std::uint64_t bits = bigEndian(raw, 8);
  if (bits == 0) return std::nullopt;
  if (bits & 0x8000000000000000ull) return bitsToDouble(bits ^ 0x8000000000000000ull);
  return bitsToDouble(~bits);
}

// Level 7 timestamps: milliseconds since 0001-01-01 (counted from day 1) as a big-endian
// double. They are never negative, so a clear sign bit means the plain double some
// writers store instead of the sign-flipped form.
std::optional<double> readTimestamp(std::string_view raw) {
  if (raw.size() < 8) return std::nullopt;
  const std::uint64_t bits = bigEndian(raw, 8);
  if (bits == 0) return std::nullopt;
  return bitsToDouble(bits & ~0x8000000000000000ull);
}

// Days since 0001-01-01 to a civil date (proleptic Gregorian).
void civilFromDays(std::int64_t days, int& y, unsigned& m, unsigned& d) {
  // 0001-01-01 is 719162 days before 1970-01-01.
  const std::int64_t z = days - 719162 + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2));
}

std::string formatDateTime(std::int64_t daysSince0001, std::int64_t millis) {
  if (daysSince0001 < 0 || daysSince0001 > 3652059 || millis < 0 || millis >= 86400000) {
    return {};
  }
  int y = 0;
  unsigned m = 0;
  unsigned d = 0;
  civilFromDays(daysSince0001, y, m, d);
  const auto seconds = millis / 1000;
  char out[40];
  std::snprintf(out, sizeof out, "%04d-%02u-%02u %02lld:%02lld:%02lld", y, m, d,
                static_cast<long long>(seconds / 3600), static_cast<long long>(seconds / 60 % 60),
                static_cast<long long>(seconds % 60));
  std::string text(out);
  if (millis % 1000) {
    std::snprintf(out, sizeof out, ".%03lld", static_cast<long long>(millis % 1000));
    text += out;
  }
  return text;
}

// Julian day number of 0001-01-01.
constexpr std::int64_t kJulianDayOf0001 = 1721426;

std::string shortestDouble(double d) {
  char out[40];
  const auto [end, ec] = std::to_chars(out, out + sizeof out, d);
  return ec == std::errc() ? std::string(out, end) : std::string();
}

// Stored numeric text without padding and without trailing zeros after the point.
std::string normalNumber(std::string_view stored) {
  std::string s = trim(stored);
  if (s.find('.') != std::string::npos && s.find_first_of("eE") == std::string::npos) {
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
    if (s == "-0" || s == "-") s = "0";
  }
  return s;
}

std::string currencyText(std::int64_t tenThousandths) {
  const bool negative = tenThousandths < 0;
  const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(tenThousandths)
                                           : static_cast<std::uint64_t>(tenThousandths);
  std::string text = (negative ? "-" : "") + std::to_string(magnitude / 10000);
  char fraction[8];
  std::snprintf(fraction, sizeof fraction, ".%04llu",
                static_cast<unsigned long long>(magnitude % 10000));
  return normalNumber(text + fraction);
}

std::optional<double> parseNumber(std::string_view text) {
  std::string s = trim(text);
  for (char& c : s) {
    if (c == ',') c = '.';
  }
  if (s.empty()) return std::nullopt;
  const char* begin = s.data();
  if (*begin == '+') ++begin;
  double value = 0;
  const auto [end, ec] = std::from_chars(begin, s.data() + s.size(), value);
  if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::string rightAligned(const Field& field, const std::string& digits) {
  if (digits.size() > field.width) {
    throw TableError("El valor " + digits + " no cabe en el campo " + field.name + " (" +
                     std::to_string(field.width) + " posiciones)");
  }
  return std::string(field.width - digits.size(), ' ') + digits;
}

std::string fixedNumber(const Field& field, double value) {
  // Whole numbers, the usual case, written as the C library would, without it.
  if (value == std::trunc(value) && std::fabs(value) < 1e15 && !std::signbit(value)) {
    std::string whole = std::to_string(static_cast<long long>(value));
    if (field.decimals > 0) {
      whole += '.';
      whole.append(field.decimals, '0');
    }
    return rightAligned(field, whole);
  }
  char out[400];
  std::snprintf(out, sizeof out, "%.*f", static_cast<int>(field.decimals), value);
  return rightAligned(field, out);
}

std::string binaryInteger(const Field& field, Variant variant, std::int64_t value) {
  if (value < std::numeric_limits<std::int32_t>::min() + (variant == Variant::level7 ? 1 : 0) ||
      value > std::numeric_limits<std::int32_t>::max()) {
    throw TableError("El valor " + std::to_string(value) + " no cabe en el campo entero " +
                     field.name);
  }
  const auto bits = static_cast<std::uint32_t>(static_cast<std::int32_t>(value));
  if (variant == Variant::level7) return toBigEndian(bits ^ 0x80000000u, 4);
  return toLittleEndian(bits, 4);
}

bool isNumericText(char type) { return type == 'N' || type == 'F'; }

[[noreturn]] void unsupportedWrite(const Field& field) {
  throw TableError(std::string("No se puede escribir en el campo ") + field.name + " de tipo " +
                   field.type);
}

}  // namespace

namespace {

std::string logicalText(std::string_view raw) {
  const char c = raw.empty() ? ' ' : raw[0];
  if (c == 'T' || c == 't' || c == 'Y' || c == 'y') return "T";
  if (c == 'F' || c == 'f' || c == 'N' || c == 'n') return "F";
  return {};
}

// YYYYMMDD as YYYY-MM-DD; other text as it is.
std::string dateText(std::string_view raw) {
  const std::string s = trim(raw);
  if (s.size() != 8 || s.find_first_not_of("0123456789") != std::string::npos) return s;
  return s.substr(0, 4) + "-" + s.substr(4, 2) + "-" + s.substr(6, 2);
}

// FoxPro keeps a day and a time as two binary numbers; dBase as the text YYYYMMDDhhmmss.
std::string dateTimeText(Variant variant, std::string_view raw) {
  if (raw.size() == 8 && variant != Variant::level7) {
    if (allBytes(raw, '\0')) return {};
    const auto jdn = static_cast<std::int32_t>(littleEndian(raw, 4));
    const auto ms = static_cast<std::int32_t>(littleEndian(raw.substr(4), 4));
    return formatDateTime(jdn - kJulianDayOf0001, ms);
  }
  const std::string s = trim(raw);
  if (s.size() != 14 || s.find_first_not_of("0123456789") != std::string::npos) return s;
  return s.substr(0, 4) + "-" + s.substr(4, 2) + "-" + s.substr(6, 2) + " " + s.substr(8, 2) + ":" +
         s.substr(10, 2) + ":" + s.substr(12, 2);
}

std::string timestampText(std::string_view raw) {
  const auto v = readTimestamp(raw);
  if (!v) return {};
  const auto ms = static_cast<std::int64_t>(std::llround(*v));
  return formatDateTime(ms / 86400000 - 1, ms % 86400000);
}

// Doubles ('O', 'B') and currency ('Y'), kept in binary.
std::string binaryNumberText(const Field& field, Variant variant, std::string_view raw,
                             const CodePage& codePage) {
  const auto v = readNumber(field, variant, raw, codePage);
  if (!v) return {};
  if (field.type == 'Y') return currencyText(static_cast<std::int64_t>(littleEndian(raw, 8)));
  return shortestDouble(*v);
}

std::string characterText(std::string_view raw, const CodePage& codePage) {
  while (!raw.empty() && (raw.back() == ' ' || raw.back() == '\0')) raw.remove_suffix(1);
  return codePage.decode(raw);
}

}  // namespace

std::string readText(const Field& field, Variant variant, std::string_view raw,
                     const CodePage& codePage) {
  switch (field.type) {
    case 'N':
    case 'F':
      return normalNumber(raw);
    case 'I':
    case '+': {
      const auto v = readBinaryInteger(variant, raw);
      return v ? std::to_string(*v) : std::string();
    }
    case 'L':
      return logicalText(raw);
    case 'D':
      return dateText(raw);
    case 'T':
      return dateTimeText(variant, raw);
    case '@':
      return timestampText(raw);
    case 'O':
    case 'B':
    case 'Y':
      return binaryNumberText(field, variant, raw, codePage);
    case 'M':
    case 'G':
    case 'P':
    case 'W':
    case 'Q':
    case '0':
      return {};  // memo and system fields: their data is elsewhere
    default:
      return characterText(raw, codePage);
  }
}

std::optional<double> readNumber(const Field& field, Variant variant, std::string_view raw,
                                 const CodePage& codePage) {
  switch (field.type) {
    case 'I':
    case '+': {
      const auto v = readBinaryInteger(variant, raw);
      return v ? std::optional<double>(*v) : std::nullopt;
    }
    case 'O':
      return readOrderedDouble(raw);
    case 'B':
      if (variant != Variant::visualFoxPro || raw.size() != 8) return std::nullopt;
      return bitsToDouble(littleEndian(raw, 8));
    case 'Y':
      if (raw.size() != 8) return std::nullopt;
      return static_cast<double>(static_cast<std::int64_t>(littleEndian(raw, 8))) / 10000.0;
    case 'N':
    case 'F':
    case 'C':
      return parseNumber(readText(field, variant, raw, codePage));
    default:
      return std::nullopt;
  }
}

std::string emptyValue(const Field& field) {
  if (isBinaryInteger(field.type) || field.type == 'O' || field.type == '@' || field.type == 'B' ||
      field.type == 'Y' || field.type == 'T' || field.type == '0') {
    return std::string(field.width, '\0');
  }
  return std::string(field.width, ' ');
}

std::string writeText(const Field& field, Variant variant, std::string_view utf8,
                      const CodePage& codePage, std::size_t* substituted) {
  if (field.type == 'C') {
    std::string bytes = codePage.encode(firstChars(utf8, field.width), substituted);
    if (bytes.size() > field.width) bytes.resize(field.width);
    bytes.resize(field.width, ' ');
    return bytes;
  }
  if (isNumericText(field.type)) {
    if (trim(utf8).empty()) return emptyValue(field);
    // Without decimals the field holds whole numbers, as an integer field does.
    if (field.decimals == 0) return fixedNumber(field, toInt32(trim(utf8)));
    const auto value = parseNumber(utf8);
    if (!value) {
      throw ConversionError("'" + std::string(utf8) + "' no es un número válido.");
    }
    return fixedNumber(field, *value);
  }
  if (isBinaryInteger(field.type)) {
    if (trim(utf8).empty()) return emptyValue(field);
    return binaryInteger(field, variant, toInt32(utf8));
  }
  if (field.type == 'L') {
    const std::string s = trim(utf8);
    if (s.empty()) return emptyValue(field);
    const char c = s[0];
    return writeLogical(
        field, variant,
        c == 'T' || c == 't' || c == 'Y' || c == 'y' || c == 'S' || c == 's' || c == '1', codePage);
  }
  unsupportedWrite(field);
}

std::string writeInteger(const Field& field, Variant variant, std::int64_t value,
                         const CodePage& codePage) {
  if (field.type == 'C') {
    std::size_t ignored = 0;
    return writeText(field, variant, std::to_string(value), codePage, &ignored);
  }
  if (isNumericText(field.type)) return fixedNumber(field, static_cast<double>(value));
  if (isBinaryInteger(field.type)) return binaryInteger(field, variant, value);
  unsupportedWrite(field);
}

std::string writeLogical(const Field& field, Variant, bool value, const CodePage&) {
  if (field.type != 'L') unsupportedWrite(field);
  return value ? "T" : "F";
}

}  // namespace vestran::dbase
