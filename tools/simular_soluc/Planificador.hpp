#pragma once

// A stand-in for the planner, for demonstrations and tests: it reads the tables an export
// wrote and writes a plausible solution SOLUC. It is not a timetabling algorithm: it only
// places each session's lessons on free periods of its group's frame.

#include <cstdint>
#include <filesystem>

namespace vestran::simulador {

struct Opciones {
  std::filesystem::path directorio;
  std::uint32_t semilla = 2026;
};

struct Resumen {
  std::size_t colocadas = 0;   // rows with a day
  std::size_t sinColocar = 0;  // rows with DIA 0
  std::size_t sinAula = 0;     // placed rows with a blank room
};

// Writes SOLUC in the directory from ASIGT, DIASHORAST, GRUPOST and AULAT. The same tables
// and seed always give the same SOLUC. Throws Error when a table is missing.
Resumen simular(const Opciones& opciones);

}  // namespace vestran::simulador
