// vestran-generar-centro: writes the exchange document of an invented school of N
// sessions to standard output, or with --solucion DIR the SOLUC for the tables in DIR.
// A developer tool for benchmarks and comparisons.

#include <iostream>
#include <string>

#include "generar_centro/CentroGenerado.hpp"
#include "store/os/paths.hpp"

int main(int argc, char** argv) {
  using namespace vestran::generador;
  const std::string uso =
      "Uso: vestran-generar-centro SESIONES [--dos-marcos | --compartido]\n"
      "     vestran-generar-centro --solucion CARPETA\n";
  try {
    if (argc == 3 && std::string(argv[1]) == "--solucion") {
      escribirSolucion(vestran::os::pathFromUtf8(argv[2]));
      return 0;
    }
    const std::string forma = argc == 3 ? argv[2] : "";
    if (argc < 2 || argc > 3 || (argc == 3 && forma != "--dos-marcos" && forma != "--compartido")) {
      std::cerr << uso;
      return 2;
    }
    const std::string sesiones = argv[1];
    if (sesiones.empty() || sesiones.find_first_not_of("0123456789") != std::string::npos) {
      std::cerr << uso;
      return 2;
    }
    OpcionesCentro o{std::stoi(sesiones), forma == "--dos-marcos", Forma::dispersa};
    if (forma == "--compartido") o.forma = Forma::compartida;
    std::cout << documentoDeCentro(o);
    return 0;
  } catch (const std::exception& e) {
    std::cerr << e.what() << '\n' << uso;
    return 1;
  }
}
