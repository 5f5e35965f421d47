#include "store/dbase/codepage.hpp"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/utf8.h>
#include <unicode/utypes.h>

#include <algorithm>
#include <stdexcept>

#include "store/text.hpp"

#include <utility>

namespace vestran {

namespace {

struct LanguageDriver {
  std::uint8_t id;
  int codePage;
};

// Language-driver bytes of dBase and FoxPro headers and the code pages they stand for.
constexpr LanguageDriver kLanguageDrivers[] = {
    {0x01, 437},  {0x02, 850},  {0x03, 1252}, {0x04, 10000}, {0x08, 865},   {0x09, 437},
    {0x0A, 850},  {0x0B, 437},  {0x0C, 850},  {0x0D, 437},   {0x0E, 850},   {0x0F, 437},
    {0x10, 850},  {0x11, 437},  {0x12, 850},  {0x13, 932},   {0x14, 850},   {0x15, 437},
    {0x16, 850},  {0x17, 865},  {0x18, 437},  {0x19, 437},   {0x1A, 850},   {0x1B, 437},
    {0x1C, 863},  {0x1D, 850},  {0x1F, 852},  {0x22, 852},   {0x23, 852},   {0x24, 860},
    {0x25, 850},  {0x26, 866},  {0x37, 850},  {0x40, 852},   {0x4D, 936},   {0x4E, 949},
    {0x4F, 950},  {0x50, 874},  {0x57, 1252}, {0x58, 1252},  {0x59, 1252},  {0x64, 852},
    {0x65, 866},  {0x66, 865},  {0x67, 861},  {0x6A, 737},   {0x6B, 857},   {0x78, 950},
    {0x79, 949},  {0x7A, 936},  {0x7B, 932},  {0x7C, 874},   {0x7D, 1255},  {0x7E, 1256},
    {0x86, 737},  {0x87, 852},  {0x88, 857},  {0x96, 10007}, {0x97, 10029}, {0x98, 10006},
    {0x9B, 1250}, {0xC8, 1250}, {0xC9, 1251}, {0xCA, 1254},  {0xCB, 1253},  {0xCC, 1257},
};

constexpr int kIso8859Base = 28590;  // 28591 is ISO-8859-1

std::string icuName(int codePage) {
  if (codePage == kUtf8) return "UTF-8";
  if (codePage > kIso8859Base && codePage <= kIso8859Base + 16) {
    return "ISO-8859-" + std::to_string(codePage - kIso8859Base);
  }
  switch (codePage) {
    case 874:
      return "windows-874";
    case 932:
      return "cp932";
    case 936:
      return "windows-936";
    case 949:
      return "windows-949";
    case 950:
      return "windows-950";
    case 10000:
      return "macintosh";
    case 10006:
      return "x-mac-greek";
    case 10007:
      return "x-mac-cyrillic";
    case 10029:
      return "x-mac-centraleurroman";
    default:
      break;
  }
  if (codePage >= 1250 && codePage <= 1258) return "windows-" + std::to_string(codePage);
  return "cp" + std::to_string(codePage);
}

UConverter* openConverter(int codePage) {
  UErrorCode status = U_ZERO_ERROR;
  UConverter* c = ucnv_open(icuName(codePage).c_str(), &status);
  if (U_FAILURE(status)) return nullptr;
  return c;
}

// Counts the characters the code page lacks, then substitutes them like ICU does.
void countingSubstitute(const void* context, UConverterFromUnicodeArgs* args,
                        const UChar* codeUnits, int32_t length, UChar32 codePoint,
                        UConverterCallbackReason reason, UErrorCode* status) {
  if (reason == UCNV_UNASSIGNED || reason == UCNV_ILLEGAL || reason == UCNV_IRREGULAR) {
    auto* counter = static_cast<std::size_t*>(const_cast<void*>(context));
    if (counter) ++*counter;
  }
  UCNV_FROM_U_CALLBACK_SUBSTITUTE(nullptr, args, codeUnits, length, codePoint, reason, status);
}

}  // namespace

std::optional<int> codePageOfLanguageDriver(std::uint8_t id) {
  for (const auto& d : kLanguageDrivers) {
    if (d.id == id) return d.codePage;
  }
  return std::nullopt;
}

std::optional<int> codePageOfLanguageDriverName(std::string_view name) {
  auto digitsAt = [&](std::size_t from) -> std::optional<int> {
    int value = 0;
    std::size_t i = from;
    while (i < name.size() && i < from + 5 && name[i] >= '0' && name[i] <= '9') {
      value = value * 10 + (name[i] - '0');
      ++i;
    }
    if (i == from) return std::nullopt;
    return value;
  };
  if (name.substr(0, 2) == "DB") {
    if (name.substr(2, 3) == "WIN") return kWindows1252;
    if (name.substr(2, 6) == "HEBREW") return 1255;
    return digitsAt(2);
  }
  if (name.substr(0, 3) == "FOX" && name.size() >= 8) {
    if (name.substr(5, 3) == "WIN") return kWindows1252;
    return digitsAt(5);
  }
  return std::nullopt;
}

void CodePage::Closer::operator()(UConverter* c) const { ucnv_close(c); }

bool CodePage::available(int number) {
  UConverter* c = openConverter(number);
  ucnv_close(c);
  return c != nullptr;
}

std::vector<int> codePagesOfTables() {
  std::vector<int> pages = {kUtf8};
  for (int part = 1; part <= 15; ++part) {
    if (part != 12) pages.push_back(kIso8859Base + part);  // there is no ISO-8859-12
  }
  for (const auto& d : kLanguageDrivers) {
    if (std::find(pages.begin(), pages.end(), d.codePage) == pages.end())
      pages.push_back(d.codePage);
  }
  return pages;
}

CodePage::CodePage(int number) : number_(number), converter_(openConverter(number)) {
  if (!converter_) {
    throw std::invalid_argument("no converter for code page " + std::to_string(number));
  }
  UErrorCode status = U_ZERO_ERROR;
  ucnv_setSubstChars(converter_.get(), "?", 1, &status);
  if (U_FAILURE(status)) {
    throw std::logic_error("substitution character for code page " + std::to_string(number) + ": " +
                           u_errorName(status));
  }
  // Most texts are plain ASCII; where the code page keeps ASCII as it is, they need no
  // conversion at all.
  std::string ascii;
  for (int c = 1; c < 0x80; ++c) ascii += static_cast<char>(c);
  asciiCompatible_ = decode(ascii) == ascii && encode(ascii) == ascii;
  if (asciiCompatible_ && ucnv_getMaxCharSize(converter_.get()) == 1) learnUpperHalf();
}

void CodePage::learnUpperHalf() {
  for (int b = 0x80; b <= 0xFF; ++b) {
    const std::string byte(1, static_cast<char>(b));
    std::string text = decodeWithConverter(byte);
    // A character that converts back to its byte is encoded from the table; any other
    // text goes through the converter, which knows its fallbacks and substitutions.
    UChar32 c = 0;
    std::int32_t i = 0;
    U8_NEXT(text.data(), i, static_cast<std::int32_t>(text.size()), c);
    if (c > 0x7F && i == static_cast<std::int32_t>(text.size()) &&
        encodeWithConverter(text, nullptr) == byte) {
      upperByte_.emplace_back(static_cast<char32_t>(c), static_cast<unsigned char>(b));
    }
    upperText_[static_cast<std::size_t>(b - 0x80)] = std::move(text);
  }
  std::sort(upperByte_.begin(), upperByte_.end());
  singleByte_ = true;
}

CodePage::~CodePage() = default;
CodePage::CodePage(CodePage&&) noexcept = default;
CodePage& CodePage::operator=(CodePage&&) noexcept = default;

std::string CodePage::decode(std::string_view bytes) const {
  if (bytes.empty()) return {};
  if (asciiCompatible_ && isAscii(bytes)) return std::string(bytes);
  if (singleByte_) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char b : bytes) {
      const auto u = static_cast<unsigned char>(b);
      if (u < 0x80) {
        out += b;
      } else {
        out += upperText_[u - 0x80];
      }
    }
    return out;
  }
  return decodeWithConverter(bytes);
}

std::string CodePage::decodeWithConverter(std::string_view bytes) const {
  std::string out(bytes.size() * 4 + 4, '\0');
  UErrorCode status = U_ZERO_ERROR;
  ucnv_reset(converter_.get());
  const int32_t n =
      ucnv_toAlgorithmic(UCNV_UTF8, converter_.get(), out.data(), static_cast<int32_t>(out.size()),
                         bytes.data(), static_cast<int32_t>(bytes.size()), &status);
  if (U_FAILURE(status)) return std::string(bytes);
  out.resize(static_cast<std::size_t>(n));
  return out;
}

std::string CodePage::encode(std::string_view utf8, std::size_t* substituted) const {
  if (utf8.empty()) return {};
  if (asciiCompatible_ && isAscii(utf8)) return std::string(utf8);
  if (singleByte_) {
    std::string out;
    out.reserve(utf8.size());
    const auto size = static_cast<std::int32_t>(utf8.size());
    for (std::int32_t i = 0; i < size;) {
      UChar32 c = 0;
      U8_NEXT(utf8.data(), i, size, c);
      if (c >= 0 && c < 0x80) {
        out += static_cast<char>(c);
        continue;
      }
      const auto found = std::lower_bound(upperByte_.begin(), upperByte_.end(),
                                          std::pair<char32_t, unsigned char>(c, 0));
      if (c < 0 || found == upperByte_.end() || found->first != static_cast<char32_t>(c)) {
        return encodeWithConverter(utf8, substituted);
      }
      out += static_cast<char>(found->second);
    }
    return out;
  }
  return encodeWithConverter(utf8, substituted);
}

std::string CodePage::encodeWithConverter(std::string_view utf8, std::size_t* substituted) const {
  std::size_t count = 0;
  UErrorCode status = U_ZERO_ERROR;
  ucnv_reset(converter_.get());
  ucnv_setFromUCallBack(converter_.get(), countingSubstitute, &count, nullptr, nullptr, &status);
  if (U_FAILURE(status)) throw std::runtime_error("ucnv_setFromUCallBack failed");
  // No code page needs more than four bytes per UTF-8 byte.
  std::string out(utf8.size() * 4 + 4, '\0');
  const int32_t n = ucnv_fromAlgorithmic(converter_.get(), UCNV_UTF8, out.data(),
                                         static_cast<int32_t>(out.size()), utf8.data(),
                                         static_cast<int32_t>(utf8.size()), &status);
  UErrorCode restored = U_ZERO_ERROR;
  ucnv_setFromUCallBack(converter_.get(), UCNV_FROM_U_CALLBACK_SUBSTITUTE, nullptr, nullptr,
                        nullptr, &restored);
  // Invalid UTF-8 cannot reach here: every text comes from the document service, or from
  // a table through decode().
  if (U_FAILURE(status) || n < 0) {
    throw std::logic_error("encoding to code page " + std::to_string(number_) + ": " +
                           u_errorName(status));
  }
  out.resize(static_cast<std::size_t>(n));
  if (substituted) *substituted += count;
  return out;
}

std::optional<int> codePageOfCpgText(std::string_view text) {
  std::string s;
  for (char c : text) {
    if (static_cast<unsigned char>(c) > ' ')
      s += (c >= 'a' && c <= 'z') ? char(c - 32) : c;
    else if (!s.empty() && s.back() != ' ')
      s += ' ';
  }
  while (!s.empty() && s.back() == ' ') s.pop_back();
  if (s == "UTF-8" || s == "UTF8" || s == "65001") return kUtf8;
  const auto numberAfter = [&](std::string_view prefix) -> std::optional<int> {
    if (!s.starts_with(prefix)) return std::nullopt;
    const std::string digits = s.substr(prefix.size());
    if (digits.empty() || digits.size() > 5 ||
        digits.find_first_not_of("0123456789") != std::string::npos) {
      return std::nullopt;
    }
    return std::stoi(digits);
  };
  for (std::string_view iso :
       {"ISO-8859-", "ISO8859-", "ISO_8859-", "ISO 8859-", "8859_", "8859-", "ISO8859_"}) {
    if (const auto part = numberAfter(iso); part && *part >= 1 && *part <= 16) {
      return kIso8859Base + *part;
    }
  }
  // ESRI writes ISO-8859-1 as 88591 and ISO-8859-15 as 885915.
  if (const auto n = numberAfter("8859"); n && *n >= 1 && *n <= 16) return kIso8859Base + *n;
  std::optional<int> number;
  for (std::string_view prefix : {"", "CP", "ANSI ", "OEM ", "WINDOWS-", "IBM", "MS"}) {
    if ((number = numberAfter(prefix))) break;
  }
  return number;
}

bool looksLikeUtf8(const std::vector<std::string_view>& texts) {
  bool beyondAscii = false;
  for (std::string_view t : texts) {
    std::int32_t i = 0;
    const auto length = static_cast<std::int32_t>(t.size());
    while (i < length) {
      UChar32 c = 0;
      U8_NEXT(t.data(), i, length, c);
      if (c < 0) return false;
      if (c > 0x7F) beyondAscii = true;
    }
  }
  return beyondAscii;
}

std::string codePageName(int codePage) {
  if (codePage == kUtf8) return "UTF-8";
  if (codePage >= 1250 && codePage <= 1258) return "Windows-" + std::to_string(codePage);
  if (codePage > kIso8859Base && codePage <= kIso8859Base + 16) return icuName(codePage);
  return "CP" + std::to_string(codePage);
}

std::string asPlannerTableWould(std::string_view utf8) {
  static const CodePage planner(kPlannerCodePage);
  return planner.decode(planner.encode(utf8));
}

}  // namespace vestran
