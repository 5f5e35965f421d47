// The run report's counts: how many cases of a kind, with the first few as examples.

#include "mensajes/Informe.hpp"

#include <gtest/gtest.h>

#include "mensajes/Mensajes.hpp"

namespace vestran {
namespace {

TEST(Recuento, GivesTheCountAndTheFirstFiveExamplesAndSaysWhenThereAreMore) {
  struct Case {
    int cases;
    std::string line;  // what the report gets; none for no case
  } cases[] = {
      {0, ""},
      {1, "Filas con DIA 0: 1 (por ejemplo: fila 1)"},
      {5, "Filas con DIA 0: 5 (por ejemplo: fila 1; fila 2; fila 3; fila 4; fila 5)"},
      {7, "Filas con DIA 0: 7 (por ejemplo: fila 1; fila 2; fila 3; fila 4; fila 5; …)"},
  };
  for (const Case& c : cases) {
    Recuento r("Filas con DIA 0");
    for (int i = 1; i <= c.cases; ++i) r.contar("fila " + std::to_string(i));
    Informe informe;
    r.anotarEn(informe);
    EXPECT_EQ(informe.lineas(),
              c.line.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.line});
    EXPECT_EQ(r.total(), static_cast<std::size_t>(c.cases));
  }
}

TEST(Mensajes, WindowsLineBreaksBecomePlainOnesForATerminal) {
  EXPECT_EQ(paraTerminal(kDemasiadosMarcos),
            "Demasiados Marcos Horarios seleccionados.\nComo máximo puede seleccionar 2 Marcos "
            "Horarios");
  EXPECT_EQ(paraTerminal("a\rb\r\n\r\nc\r"), "a\rb\n\nc\r");
}

}  // namespace
}  // namespace vestran
