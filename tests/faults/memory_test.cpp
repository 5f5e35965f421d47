// Running out of memory ends the job with a Spanish message naming what did not fit.

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "exportar/Exportacion.hpp"
#include "importar/importar_fixture.hpp"
#include "store/errors.hpp"
#include "store/table/table.hpp"
#include "support/child_process.hpp"
#include "support/test_support.hpp"

namespace vestran::test {
namespace {

namespace fs = std::filesystem;

// Grows a file to `size` bytes without writing them: the disk holds none of them.
void makeSparse(const fs::path& file, std::uintmax_t size) { fs::resize_file(file, size); }

// Runs `job` in a child allowed 600 MB of address space, and returns 7 when it ended with
// an OutOfMemoryError whose message holds every one of `words`.
int outOfMemory(const std::function<void()>& job, const std::vector<std::string>& words) {
  return inChildProcess([&] {
    const rlimit limit{600u << 20, 600u << 20};
    setrlimit(RLIMIT_AS, &limit);
    try {
      job();
    } catch (const OutOfMemoryError& e) {
      for (const std::string& w : words) {
        if (std::string(e.what()).find(w) == std::string::npos) {
          std::fprintf(stderr, "Falta «%s» en: %s\n", w.c_str(), e.what());
          return 8;
        }
      }
      return 7;
    } catch (...) {
      return 9;
    }
    return 0;
  });
}

TEST(Memory, ATableOrADocumentTooBigForMemoryIsNamed) {
  TempDir dir;
  // A table whose header announces two gigabytes of rows, and has them, sparsely.
  Table::recreate(dir.path(), "SOLUC", kSoluc, TableFormat::level7);
  std::string header = readFile(dir / "SOLUC.DBF");
  const std::uint32_t rows = 20'000'000;
  for (int i = 0; i < 4; ++i) header[4 + i] = static_cast<char>((rows >> (8 * i)) & 0xFF);
  writeFile(dir / "SOLUC.DBF", header);
  makeSparse(dir / "SOLUC.DBF", header.size() + std::uintmax_t{rows} * 83 + 1);
  EXPECT_EQ(outOfMemory([&] { Table::open(dir.path(), "SOLUC"); },
                        {"No hay memoria suficiente para leer la tabla SOLUC"}),
            7);

  // A document read in pieces whose tree of fifteen million elements does not fit. Memory
  // runs out inside the parser or in vestran's own code, as the layout of the moment has
  // it: either way the message says so, names the document and says nothing changed.
  std::string muchos = "<datosGHC>";
  for (int i = 0; i < 15'000'000; ++i) muchos += "<a/>";
  writeFile(dir / "centro.xml", muchos + "</datosGHC>");
  EXPECT_EQ(outOfMemory(
                [&] {
                  OpcionesExportacion o;
                  o.documento = dir / "centro.xml";
                  o.directorio = dir / "DTEMP";
                  Exportacion(std::move(o)).ejecutar();
                },
                {"memoria suficiente para", "centro.xml", "Cierre otros programas",
                 "No se ha modificado ninguna tabla"}),
            7);
}

// Files far larger than they should be are refused before they are read, in a child that
// could not hold them: a document past 2 GB, and a SOLUC of one row followed by 3 GB.
TEST(Memory, FilesFarLargerThanTheyShouldBeAreRefusedBeforeBeingRead) {
  TempDir dir;
  writeFile(dir / "centro.xml", "<datosGHC>");
  makeSparse(dir / "centro.xml", std::uintmax_t{3} << 30);
  Table::recreate(dir.path(), "SOLUC", kSoluc, TableFormat::level7);
  {
    Table t = Table::open(dir.path(), "SOLUC");
    t.append();
    t.setText("DIA", "1");
    t.post();
  }
  makeSparse(dir / "SOLUC.DBF", std::uintmax_t{3} << 30);
  const int code = inChildProcess([&] {
    const rlimit limit{600u << 20, 600u << 20};
    setrlimit(RLIMIT_AS, &limit);
    try {
      OpcionesExportacion o;
      o.documento = dir / "centro.xml";
      o.directorio = dir / "DTEMP";
      Exportacion(std::move(o)).ejecutar();
      return 1;
    } catch (const DocumentError& e) {
      if (std::string(e.what()).find("pasa de 2 GB") == std::string::npos) return 2;
    } catch (...) {
      return 3;
    }
    try {
      Table::open(dir.path(), "SOLUC");
      return 4;
    } catch (const TableError& e) {
      const std::string m = e.what();
      if (m.find("la cabecera anuncia 1 fila (") == std::string::npos) return 5;
    } catch (...) {
      return 6;
    }
    return 7;
  });
  EXPECT_EQ(code, 7);
}

}  // namespace
}  // namespace vestran::test
