// The table reader on arbitrary bytes: open, every row, every field as text and as a
// number, and every field written back with its own text.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz_support.hpp"
#include "store/errors.hpp"
#include "store/table/table.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::filesystem::path file = vestran::fuzz::scratch() / "T.DBF";
  vestran::fuzz::write(file, data, size);
  try {
    vestran::Table t = vestran::Table::openFile(file);
    const auto fields = t.fields();
    for (t.first(); !t.eof(); t.next()) {
      for (const auto* f : fields) {
        const std::string text = t.text(f->name);
        try {
          (void)t.integer(f->name);
        } catch (const vestran::ConversionError&) {
        }
        try {
          t.edit();
          t.setText(f->name, text);
          t.post();
        } catch (const vestran::Error&) {
        }
      }
    }
    t.close();
  } catch (const vestran::Error&) {
  }
  return 0;
}
