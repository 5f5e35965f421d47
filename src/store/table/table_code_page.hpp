#pragma once

// How the texts of a table are encoded: what its header names, else a .cpg file beside
// it, else what its texts look like, else the planner's code page.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/dbase/codepage.hpp"
#include "store/dbase/dbase_format.hpp"

namespace vestran {

// How the code page of a table's texts was found.
enum class CodePageSource {
  header,       // the language driver of the table's header names it
  cpgFile,      // a .cpg file beside the table names it
  textContent,  // the header names none, and every text is valid UTF-8 with some accent
  assumed,      // nothing names one: the planner's, as the planner writes
  unavailable,  // the header or the .cpg names one this build cannot convert: the
                // planner's is used, and texts beyond ASCII may come out wrong
};

struct TableCodePage {
  int number = kPlannerCodePage;  // the code page the texts are read in
  CodePageSource source = CodePageSource::assumed;
  std::filesystem::path cpgFile;  // for cpgFile, and unavailable when a .cpg named it
  int named = 0;                  // for unavailable: the code page named
};

// The code page of the table `file` with this header; `texts` gives its character fields'
// raw values, asked for only when nothing names a code page.
TableCodePage findTableCodePage(const dbase::Header& header, const std::filesystem::path& file,
                                const std::function<std::vector<std::string_view>()>& texts);

// In Spanish, when the header did not name the code page (or named one this build cannot
// convert): which one is used, and why.
std::optional<std::string> codePageNote(const TableCodePage& found, std::string_view table);

}  // namespace vestran
