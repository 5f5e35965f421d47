#pragma once

// Exchange documents and planner solutions of invented schools of any size, for the
// benchmarks, the fault tests and the Windows comparisons. The same arguments always give
// the same bytes.

#include <filesystem>
#include <string>

namespace vestran::generador {

// How the school is made.
enum class Forma {
  dispersa,    // n/5 subjects, n/10 teachers, groups and rooms, each in a few sessions
  compartida,  // two frames; n/272 subjects, n/285 rooms and n/25 groups shared by many
               // sessions, n/50 teachers; long accented names
};

struct OpcionesCentro {
  int sesiones = 1000;
  bool dosMarcos = false;  // a morning frame "1" and an afternoon frame "2"
  Forma forma = Forma::dispersa;
};

// The document, in UTF-8, with accented names.
std::string documentoDeCentro(const OpcionesCentro& opciones);

// Writes SOLUC into the planner folder `dir`, which holds the tables of an export: one
// placed lesson per row of ASIGT, each in a room of AULAT and a period of DIASHORAST.
void escribirSolucion(const std::filesystem::path& dir);

}  // namespace vestran::generador
