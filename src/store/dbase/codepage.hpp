#pragma once

// Code pages of dBase tables, converted through ICU.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct UConverter;

namespace vestran {

// Code pages are named by their Windows numbers: 1252, 850, 65001 for UTF-8, 28591 to
// 28605 for ISO-8859-1 to -15.
inline constexpr int kWindows1252 = 1252;
inline constexpr int kUtf8 = 65001;
// The code page of the planner's texts: of the tables vestran writes, and assumed for a
// table whose header names none.
inline constexpr int kPlannerCodePage = kWindows1252;
// Language-driver byte and name the tables we write carry: Windows-1252, Western Europe.
inline constexpr std::uint8_t kLanguageDriverWindows1252 = 0x58;
inline constexpr std::string_view kLanguageDriverNameWindows1252 = "DBWINWE0";

// Code page of a language-driver byte; nullopt for 0 and unknown bytes.
std::optional<int> codePageOfLanguageDriver(std::uint8_t id);

// Code page named by a level-7 language-driver name ("DBWINWE0", "DB850WE0", "FOX..437");
// nullopt when the name says nothing known.
std::optional<int> codePageOfLanguageDriverName(std::string_view name);

// The code page a .cpg file names, as GDAL and ESRI write them: "UTF-8", "65001",
// "1252", "CP850", "ANSI 1252", "OEM 850", "ISO-8859-1", "88591", … (letter case and
// surrounding blanks ignored); nullopt when it names no code page. Whether this build can
// convert it is CodePage::available's to say.
std::optional<int> codePageOfCpgText(std::string_view text);

// True when every text is valid UTF-8 and at least one holds a character beyond ASCII:
// what a table written in UTF-8 looks like, and one in a single-byte code page almost
// never does.
bool looksLikeUtf8(const std::vector<std::string_view>& texts);

// A code page's name for people: "Windows-1252", "UTF-8", "CP850", "ISO-8859-15".
std::string codePageName(int codePage);

// Every code page a table's language driver can name, and UTF-8 and ISO-8859-1 to -15
// (ICU has no ISO-8859-16): those this build must be able to convert. The Windows build
// carries a reduced converter list, which a test checks against this one.
std::vector<int> codePagesOfTables();

// Converts between UTF-8 and one code page.
class CodePage {
 public:
  // Whether this build can convert the code page.
  static bool available(int number);
  // Throws std::invalid_argument for a code page that is not available().
  explicit CodePage(int number);
  ~CodePage();
  CodePage(CodePage&&) noexcept;
  CodePage& operator=(CodePage&&) noexcept;
  CodePage(const CodePage&) = delete;
  CodePage& operator=(const CodePage&) = delete;

  int number() const { return number_; }
  // Whether ASCII bytes stand for themselves in this code page, both ways.
  bool keepsAscii() const { return asciiCompatible_; }

  // Decodes bytes of this code page to UTF-8.
  std::string decode(std::string_view bytes) const;

  // Encodes UTF-8 text. A character the code page cannot hold becomes "?"; the number of
  // such characters is added to *substituted when given.
  std::string encode(std::string_view utf8, std::size_t* substituted = nullptr) const;

 private:
  struct Closer {
    void operator()(UConverter* c) const;
  };
  std::string decodeWithConverter(std::string_view bytes) const;
  std::string encodeWithConverter(std::string_view utf8, std::size_t* substituted) const;
  // For a single-byte code page that keeps ASCII, the conversion of bytes 0x80 to 0xFF
  // learnt from the converter once, so that texts need not pass through it.
  void learnUpperHalf();

  int number_;
  std::unique_ptr<UConverter, Closer> converter_;
  bool asciiCompatible_ = false;            // ASCII bytes stand for themselves, both ways
  bool singleByte_ = false;                 // the two tables below are filled
  std::array<std::string, 128> upperText_;  // UTF-8 of bytes 0x80 to 0xFF
  std::vector<std::pair<char32_t, unsigned char>> upperByte_;  // by character, both ways
};

// Text as a table in the planner's code page holds it: characters it lacks become "?".
std::string asPlannerTableWould(std::string_view utf8);

}  // namespace vestran
