// How the export and the import grow with the size of their input. Both should be linear:
// benchmark's complexity fit reports the order it sees.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "exportar/Exportacion.hpp"
#include "generar_centro/CentroGenerado.hpp"
#include "importar/Importacion.hpp"

namespace {

namespace fs = std::filesystem;

fs::path carpeta(int n) {
  const fs::path dir = fs::temp_directory_path() / ("vestran-bench-" + std::to_string(n));
  fs::create_directories(dir);
  std::ofstream(dir / "centro.xml", std::ios::binary)
      << vestran::generador::documentoDeCentro({n, false});
  return dir;
}

void exportar(const fs::path& dir) {
  vestran::OpcionesExportacion o;
  o.documento = dir / "centro.xml";
  o.directorio = dir / "DTEMP";
  vestran::Exportacion(std::move(o)).ejecutar();
}

void BM_Exportar(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const fs::path dir = carpeta(n);
  for (auto _ : state) exportar(dir);
  state.SetComplexityN(n);
  fs::remove_all(dir);
}
BENCHMARK(BM_Exportar)
    ->RangeMultiplier(4)
    ->Range(256, 16384)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

// SOLUC with n lessons, each matching an ASIGT row, a room and a frame.
void BM_Importar(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const fs::path dir = carpeta(n);
  exportar(dir);
  vestran::generador::escribirSolucion(dir / "DTEMP");
  for (auto _ : state) vestran::importar({dir / "centro.xml", dir / "DTEMP"});
  state.SetComplexityN(n);
  fs::remove_all(dir);
}
BENCHMARK(BM_Importar)
    ->RangeMultiplier(4)
    ->Range(256, 16384)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
