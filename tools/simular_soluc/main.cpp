// vestran-simular-soluc: writes a plausible planner solution SOLUC from the exported
// tables, so that the import can be tried without the planner. A developer tool.

#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "modos/CarpetaPlanificador.hpp"
#include "modos/Entorno.hpp"
#include "simular_soluc/Planificador.hpp"

int main(int argc, char** argv) {
  std::optional<std::string> dir;
  std::uint32_t semilla = 2026;
  const std::vector<std::string> args = vestran::argumentosDelPrograma(argc, argv);
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--dir" && i + 1 < args.size()) {
      dir = args[++i];
    } else if (arg == "--semilla" && i + 1 < args.size()) {
      semilla = static_cast<std::uint32_t>(std::stoul(args[++i]));
    } else {
      std::cerr << "Uso: vestran-simular-soluc [--dir DIR] [--semilla N]\n"
                   "Escribe una solución SOLUC verosímil a partir de las tablas exportadas.\n";
      return 2;
    }
  }
  try {
    const auto r = vestran::simulador::simular({vestran::carpetaDelPlanificador(dir), semilla});
    std::cout << "SOLUC: " << r.colocadas << " clases colocadas (" << r.sinAula
              << " sin aula fija), " << r.sinColocar << " sin colocar\n";
    return 0;
  } catch (const std::exception& e) {
    std::cerr << e.what() << '\n';
    return 1;
  }
}
