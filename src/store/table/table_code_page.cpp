#include "store/table/table_code_page.hpp"

#include "store/os/paths.hpp"
#include "store/os/replacing.hpp"
#include "store/table/table_files.hpp"

namespace vestran {

namespace fs = std::filesystem;

namespace {

// A .cpg file names a code page in a few characters.
constexpr std::uint64_t kLargestCpgFile = 64;

std::optional<int> codePageOfHeader(const dbase::Header& h) {
  if (h.variant == dbase::Variant::level7) {
    if (auto cp = codePageOfLanguageDriverName(h.languageDriverName)) return cp;
  }
  return codePageOfLanguageDriver(h.languageDriver);
}

// The code page found, or the planner's when this build cannot convert it.
TableCodePage named(int number, CodePageSource source, fs::path cpg = {}) {
  if (CodePage::available(number)) return {number, source, std::move(cpg), 0};
  return {kPlannerCodePage, CodePageSource::unavailable, std::move(cpg), number};
}

}  // namespace

TableCodePage findTableCodePage(const dbase::Header& header, const fs::path& file,
                                const std::function<std::vector<std::string_view>()>& texts) {
  if (const auto fromHeader = codePageOfHeader(header)) {
    return named(*fromHeader, CodePageSource::header);
  }
  // Tools that leave the language driver empty name the code page in a .cpg file beside
  // the table, or write UTF-8.
  const std::string stem = os::pathToUtf8(file.stem());
  for (const fs::path& cpg : filesNamedIgnoringCase(file.parent_path(), stem + ".cpg")) {
    std::string text;
    try {
      text = os::readWholeFile(cpg, kLargestCpgFile);
    } catch (const os::FileError&) {
      continue;  // not a code-page name
    }
    if (const auto number = codePageOfCpgText(text))
      return named(*number, CodePageSource::cpgFile, cpg);
  }
  if (looksLikeUtf8(texts())) return {kUtf8, CodePageSource::textContent, {}, 0};
  return {kPlannerCodePage, CodePageSource::assumed, {}, 0};
}

std::optional<std::string> codePageNote(const TableCodePage& found, std::string_view table) {
  const std::string cp = codePageName(found.number);
  const std::string t(table);
  switch (found.source) {
    case CodePageSource::header:
      return std::nullopt;
    case CodePageSource::cpgFile:
      return "La cabecera de " + t + " no indica el código de sus textos; se leen en " + cp +
             ", como dice " + os::pathToUtf8(found.cpgFile.filename()) + ".";
    case CodePageSource::textContent:
      return "La cabecera de " + t +
             " no indica el código de sus textos y no hay archivo "
             ".cpg; todos son UTF-8 válido, con acentos, y se leen en UTF-8.";
    case CodePageSource::assumed:
      return "La cabecera de " + t +
             " no indica el código de sus textos y no hay archivo "
             ".cpg; se leen en " +
             cp + ", el del planificador.";
    case CodePageSource::unavailable:
      return (found.cpgFile.empty() ? "La cabecera de " + t
                                    : "El archivo " + os::pathToUtf8(found.cpgFile.filename())) +
             " dice que los textos de " + t + " están en " + codePageName(found.named) +
             ", que esta instalación de vestran no sabe leer; se leen en " + cp +
             ", y las letras que no sean del alfabeto inglés pueden salir mal.";
  }
  return std::nullopt;
}

}  // namespace vestran
