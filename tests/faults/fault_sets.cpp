#include "faults/fault_sets.hpp"

#include <gtest/gtest.h>

#include "exportar/Exportacion.hpp"
#include "exportar/export_fixture.hpp"
#include "generar_centro/CentroGenerado.hpp"
#include "importar/Importacion.hpp"
#include "store/os/paths.hpp"
#include "store/os/replacing.hpp"
#include "support/test_support.hpp"

namespace vestran::test {

namespace fs = std::filesystem;

namespace {

void exportInto(const fs::path& document, const fs::path& dir) {
  OpcionesExportacion o;
  o.documento = document;
  o.directorio = dir;
  o.elegirMarcos = [](const SolicitudMarcos&) { return std::vector<std::size_t>{0, 1}; };
  Exportacion(std::move(o)).ejecutar();
}

}  // namespace

std::vector<std::string> litterIn(const fs::path& dir) {
  std::vector<std::string> litter;
  for (const std::string& name : listDir(dir)) {
    if (os::isTemporaryName(name) || name == "vestran-exportacion") litter.push_back(name);
  }
  return litter;
}

const char* nameOf(State s) {
  switch (s) {
    case State::setA:
      return "A";
    case State::setB:
      return "B";
    case State::mixed:
      return "mixed";
    case State::none:
      return "none";
  }
  return "?";
}

TwoSchools::TwoSchools(const fs::path& work, int sessions) : work_(work) {
  documentA_ = work / "escuela-a.xml";
  documentB_ = work / "escuela-b.xml";
  writeFile(documentA_, generador::documentoDeCentro({sessions, false}));
  writeFile(documentB_, generador::documentoDeCentro({sessions + 10, true}));
  exportInto(documentA_, work / "ref-a");
  generador::escribirSolucion(work / "ref-a");
  exportInto(documentB_, work / "ref-b");
  setA_ = exportedTablesOf(work / "ref-a");
  setB_ = exportedTablesOf(work / "ref-b");
  EXPECT_EQ(setA_.size(), 6u);
  EXPECT_NE(setA_, setB_);

  fs::copy_file(work / "ref-a" / "SOLUC.DBF", work / "ref-b" / "SOLUC.DBF");
  for (const auto& [dir, result] :
       {std::pair{work / "ref-a", &resultOverA_}, std::pair{work / "ref-b", &resultOverB_}}) {
    *result = readFile(importar({documentA_, dir}).archivo);
  }
}

void TwoSchools::plannerWithA(const fs::path& dir) const {
  fs::remove_all(dir);
  fs::create_directories(dir);
  for (const auto& [name, bytes] : setA_) writeFile(dir / name, bytes);
  fs::copy_file(work_ / "ref-a" / "SOLUC.DBF", dir / "SOLUC.DBF");
}

State TwoSchools::earlierStateOf(const fs::path& dir) const {
  return stateOf(dir / kEarlierTables);
}

State TwoSchools::stateOf(const fs::path& dir) const {
  const Files now = exportedTablesOf(dir);
  if (now.empty()) return State::none;
  if (now == setA_) return State::setA;
  if (now == setB_) return State::setB;
  return State::mixed;
}

}  // namespace vestran::test
