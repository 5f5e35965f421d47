#pragma once

// Runs exports of small documents written inline and reads back what they wrote.

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "exportar/Exportacion.hpp"
#include "support/test_support.hpp"

namespace vestran::test {

using Rows = std::vector<std::vector<std::string>>;

// A document with these sections inside <datosGHC>; when `sections` has no
// <marcosDeHorario>, one frame "1" with one period is added.
std::string documento(std::string_view sections);

// The named fields of every row of a table, as the store reads them.
Rows rowsOf(const std::filesystem::path& dir, std::string_view table,
            const std::vector<std::string>& fields);

class ExportFixture {
 public:
  // Exports `xml` into a fresh planner directory; the chooser answers `marcos`. The small
  // documents of the builders' tests leave tables empty: they are put in place all the
  // same unless `siNoSirven` says otherwise.
  ResultadoExportacion exportar(std::string_view xml, std::vector<std::size_t> marcos = {},
                                TableFormat formato = TableFormat::level7,
                                SiNoSirven siNoSirven = SiNoSirven::colocar);
  Rows rows(std::string_view table, const std::vector<std::string>& fields) const {
    return rowsOf(planner(), table, fields);
  }
  std::filesystem::path planner() const { return dir_ / "DTEMP"; }
  std::filesystem::path document() const { return dir_ / "centro.xml"; }
  int chooserCalls() const { return chooserCalls_; }
  // Every file of the planner folder and its subfolders but the run lock, with its bytes.
  std::map<std::string, std::string> files() const;

  // Exports a small good document, then `xml`, which must stop with an E; checks that
  // the tables of the first export are all left byte for byte, and nothing else with
  // them. Returns the error's message.
  template <typename E>
  std::string failingExport(std::string_view xml, std::vector<std::size_t> marcos = {}) {
    exportar(documento(""));
    const auto before = files();
    std::string message;
    try {
      exportar(xml, std::move(marcos));
      ADD_FAILURE() << "the export did not stop";
    } catch (const E& e) {
      message = e.what();
    }
    EXPECT_EQ(files(), before);
    return message;
  }

 private:
  TempDir dir_;
  int chooserCalls_ = 0;
};

// The files of the tables an export writes, in the order it writes them.
std::vector<std::string> exportedTableFiles();

// Those of them that `dir` holds, with their bytes.
std::map<std::string, std::string> exportedTablesOf(const std::filesystem::path& dir);

// Lines of a report that contain `fragment`.
std::vector<std::string> linesWith(const Informe& informe, std::string_view fragment);

}  // namespace vestran::test
