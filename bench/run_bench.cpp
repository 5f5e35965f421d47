// How the export and the import grow with the size of their input. Both should be linear:
// benchmark's complexity fit reports the order it sees.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "exportar/Exportacion.hpp"
#include "importar/Importacion.hpp"
#include "store/table.hpp"

namespace {

namespace fs = std::filesystem;

// A school scaled by n: n sessions, n/10 teachers, groups and rooms, n/5 subjects.
std::string documento(int n) {
  std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<datosGHC><materias>";
  for (int i = 0; i < n / 5; ++i) s += "<materia>" + std::to_string(i) + " Materia</materia>";
  s += "</materias><tareas><tarea>Guardia</tarea></tareas><profesores>";
  for (int i = 0; i < n / 10; ++i) {
    s += "<profesor><nombre>P" + std::to_string(i) + "</nombre><nombreCompleto>Profesor " +
         std::to_string(i) + "</nombreCompleto></profesor>";
  }
  s += "</profesores><aulas>";
  for (int i = 0; i < n / 10; ++i) s += "<aula><nombre>Aula " + std::to_string(i) + "</nombre></aula>";
  s += "</aulas><marcosDeHorario><marcoHorario id=\"1\">";
  for (int d = 0; d < 5; ++d) {
    for (int h = 1; h <= 6; ++h) {
      s += "<tramo><submarco>1</submarco><dia>" + std::to_string(d) + "</dia><indice>" +
           std::to_string(h) + "</indice><horaEntrada>0" + std::to_string(h + 2) +
           ":00</horaEntrada><horaSalida>0" + std::to_string(h + 2) +
           ":55</horaSalida><Tipo>L</Tipo></tramo>";
    }
  }
  s += "</marcoHorario></marcosDeHorario><grupos>";
  for (int i = 0; i < n / 10; ++i) {
    s += "<grupo submarco=\"1\"><nombre>Grupo " + std::to_string(i) + "</nombre><nivel>ESO</nivel>"
         "<curso>" + std::to_string(i % 4 + 1) + "</curso><unidad>" + std::to_string(i) +
         "</unidad></grupo>";
  }
  s += "</grupos><sesionesLectivas>";
  for (int i = 0; i < n; ++i) {
    s += "<sesion id=\"" + std::to_string(i + 1) + "\"><materia>" +
         std::to_string(i % (n / 5)) + " Materia</materia><profesor>P" + std::to_string(i % (n / 10)) +
         "</profesor><grupo>Grupo " + std::to_string(i % (n / 10)) + "</grupo>"
         "<distribucionSemanal><distribucionVariable><numSesiones>3</numSesiones>"
         "</distribucionVariable></distribucionSemanal><tarea/></sesion>";
  }
  return s + "</sesionesLectivas></datosGHC>\n";
}

fs::path carpeta(int n) {
  const fs::path dir = fs::temp_directory_path() / ("vestran-bench-" + std::to_string(n));
  fs::create_directories(dir);
  std::ofstream(dir / "centro.xml", std::ios::binary) << documento(n);
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
BENCHMARK(BM_Exportar)->RangeMultiplier(4)->Range(256, 16384)->Complexity()->Unit(benchmark::kMillisecond);

// SOLUC with n lessons, each matching an ASIGT row, a room and a frame.
void BM_Importar(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const fs::path dir = carpeta(n);
  exportar(dir);
  const std::vector<vestran::FieldDef> campos = {
      {"DIA", vestran::FieldKind::integer},       {"HORA", vestran::FieldKind::integer},
      {"MARCO", vestran::FieldKind::character, 1}, {"AULA", vestran::FieldKind::character, 10},
      {"ASIG", vestran::FieldKind::character, 10}, {"CODGRUPO", vestran::FieldKind::character, 10},
      {"PROF", vestran::FieldKind::character, 10}};
  vestran::Table::recreate(dir / "DTEMP", "SOLUC", campos, vestran::TableFormat::level7);
  {
    vestran::Table asig = vestran::Table::open(dir / "DTEMP", "ASIGT");
    vestran::Table soluc = vestran::Table::open(dir / "DTEMP", "SOLUC");
    int i = 0;
    for (asig.first(); !asig.eof(); asig.next(), ++i) {
      soluc.append();
      soluc.setInteger("DIA", i % 5 + 1);
      soluc.setInteger("HORA", i % 6 + 1);
      soluc.setText("MARCO", "0");
      soluc.setText("AULA", "Aula " + std::to_string(i % (n / 10)));
      soluc.setText("ASIG", asig.text("CASIG"));
      soluc.setText("CODGRUPO", asig.text("CGRUP"));
      soluc.setText("PROF", asig.text("CPROF"));
      soluc.post();
    }
    soluc.close();
  }
  for (auto _ : state) vestran::importar({dir / "centro.xml", dir / "DTEMP"});
  state.SetComplexityN(n);
  fs::remove_all(dir);
}
BENCHMARK(BM_Importar)->RangeMultiplier(4)->Range(256, 16384)->Complexity()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
