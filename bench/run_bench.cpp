// How the export and the import grow with the size of their input, and where their time
// goes. Both should be linear: benchmark's complexity fit reports the order it sees. The
// time of each stretch of a run (each table builder, reading the document, writing the
// result back) is timed by name from the run's own progress notices.

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <utility>

#include "exportar/Exportacion.hpp"
#include "generar_centro/CentroGenerado.hpp"
#include "importar/Importacion.hpp"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The school the stretches are timed on.
constexpr int kSesionesPorTramo = 16384;

fs::path carpeta(int n, const std::string& nombre = "vestran-bench-") {
  const fs::path dir = fs::temp_directory_path() / (nombre + std::to_string(n));
  fs::create_directories(dir);
  std::ofstream(dir / "centro.xml", std::ios::binary)
      << vestran::generador::documentoDeCentro({n, false});
  return dir;
}

void exportar(const fs::path& dir, vestran::AvisoDeProgreso progreso = {}) {
  vestran::OpcionesExportacion o;
  o.documento = dir / "centro.xml";
  o.directorio = dir / "DTEMP";
  o.progreso = std::move(progreso);
  vestran::Exportacion(std::move(o)).ejecutar();
}

void importar(const fs::path& dir, vestran::AvisoDeProgreso progreso = {}) {
  vestran::importar({dir / "centro.xml", dir / "DTEMP", std::move(progreso)});
}

// The seconds each stretch of one run took, by the task its progress notices name: from a
// task's first notice to the next task's first notice, or to the end of the run.
using Tramos = std::map<std::string, double>;
using Trabajo = std::function<void(vestran::AvisoDeProgreso)>;

Tramos medirTramos(const Trabajo& trabajo) {
  Tramos tramos;
  std::string actual;
  Clock::time_point desde = Clock::now();
  const auto cerrar = [&](Clock::time_point hasta) {
    if (!actual.empty()) tramos[actual] += std::chrono::duration<double>(hasta - desde).count();
  };
  trabajo([&](const vestran::Progreso& p) {
    if (p.tarea == actual) return;
    const Clock::time_point ahora = Clock::now();
    cerrar(ahora);
    actual = p.tarea;
    desde = ahora;
  });
  cerrar(Clock::now());
  return tramos;
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
  for (auto _ : state) importar(dir);
  state.SetComplexityN(n);
  fs::remove_all(dir);
}
BENCHMARK(BM_Importar)
    ->RangeMultiplier(4)
    ->Range(256, 16384)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

// One benchmark per stretch of the job: each iteration runs the whole job and counts the
// stretch's own time.
void registrarTramos(const std::string& prefijo, const Trabajo& trabajo) {
  for (const auto& [tarea, segundos] : medirTramos(trabajo)) {
    (void)segundos;
    benchmark::RegisterBenchmark((prefijo + "/" + tarea).c_str(),
                                 [trabajo, tarea](benchmark::State& state) {
                                   for (auto _ : state) {
                                     state.SetIterationTime(medirTramos(trabajo)[tarea]);
                                   }
                                 })
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  const fs::path dir = carpeta(kSesionesPorTramo, "vestran-bench-tramos-");
  registrarTramos("Exportar", [dir](vestran::AvisoDeProgreso p) { exportar(dir, std::move(p)); });
  vestran::generador::escribirSolucion(dir / "DTEMP");
  registrarTramos("Importar", [dir](vestran::AvisoDeProgreso p) { importar(dir, std::move(p)); });
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  fs::remove_all(dir);
  return 0;
}
