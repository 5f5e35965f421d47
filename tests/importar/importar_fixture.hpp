#pragma once

// The planner tables of the import's worked example, written by the store, with the
// planner's solution SOLUC given row by row.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "importar/Importacion.hpp"
#include "store/table/table.hpp"
#include "support/test_support.hpp"

namespace vestran::test {

using Fila = std::vector<std::string>;

// Writes a table with these fields and rows (texts, one per field).
void tabla(const std::filesystem::path& dir, std::string_view nombre,
           const std::vector<FieldDef>& campos, const std::vector<Fila>& filas);

inline const std::vector<FieldDef> kSoluc = {
    {"DIA", FieldKind::floating},       {"HORA", FieldKind::floating},
    {"MARCO", FieldKind::character, 1}, {"AULA", FieldKind::character, 10},
    {"ASIG", FieldKind::character, 10}, {"CODGRUPO", FieldKind::character, 10},
    {"PROF", FieldKind::character, 10},
};

class Importar : public ::testing::Test {
 protected:
  // The worked example's tables, with `soluc` as the planner's solution.
  void planner(const std::vector<Fila>& soluc,
               const std::vector<Fila>& aulas = {{"A12", "Aula 12", "N"},
                                                 {"GIM1", "Gimnasio", "S"},
                                                 {"GIM2", "Gimnasio", "S"}},
               const std::vector<Fila>& asig = {{"MAT1", "1ESOA", "GARC", "345"}}) {
    const auto dir = this->dir / "DTEMP";
    std::filesystem::create_directories(dir);
    tabla(dir, "SOLUC", kSoluc, soluc);
    tabla(dir, "GRUPOST", {{"ABREV", FieldKind::character, 10}}, {});
    tabla(dir, "PROFT", {{"ABREV", FieldKind::character, 10}}, {});
    tabla(dir, "ASIGNOMT", {{"COD", FieldKind::character, 10}}, {});
    tabla(dir, "AULAT",
          {{"ABREV", FieldKind::character, 10},
           {"NOMBRE", FieldKind::character, 80},
           {"CL_GENERICA", FieldKind::character, 1}},
          aulas);
    tabla(dir, "DIASHORAST",
          {{"MARCO", FieldKind::character, 1}, {"MARCOXML", FieldKind::character, 10}},
          {{"0", "7"}, {"0", "7"}, {"1", "Tarde"}});
    tabla(dir, "ASIGT",
          {{"CASIG", FieldKind::character, 10},
           {"CGRUP", FieldKind::character, 10},
           {"CPROF", FieldKind::character, 10},
           {"CL_SESION", FieldKind::integer}},
          asig);
  }

  ResultadoImportacion importar(const std::string& xml = kDocumento) {
    writeFile(dir / "centro.xml", xml);
    return vestran::importar({dir / "centro.xml", dir / "DTEMP"});
  }

  // The <horario> sections of the result, as text, one tramo a line.
  std::string horario(const std::filesystem::path& result) const {
    const std::string xml = readFile(result);
    const auto begin = xml.find("<horario");
    return begin == std::string::npos ? "" : xml.substr(begin, xml.rfind("</datosGHC>") - begin);
  }

  static inline const std::string kDocumento =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<datosGHC>\n  <materias/>\n</datosGHC>\n";
  TempDir dir;
};

}  // namespace vestran::test
