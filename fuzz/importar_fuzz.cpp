// The import of a fixed document with an arbitrary SOLUC over tables of a real export.

#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "exportar/Exportacion.hpp"
#include "fuzz_support.hpp"
#include "generar_centro/CentroGenerado.hpp"
#include "importar/Importacion.hpp"

namespace {

const std::filesystem::path& prepared() {
  static const std::filesystem::path dir = [] {
    const auto& d = vestran::fuzz::scratch();
    std::ofstream(d / "centro.xml", std::ios::binary)
        << vestran::generador::documentoDeCentro({60, true});
    vestran::OpcionesExportacion o;
    o.documento = d / "centro.xml";
    o.directorio = d / "DTEMP";
    o.elegirMarcos = [](const vestran::SolicitudMarcos&) { return std::vector<std::size_t>{0, 1}; };
    vestran::Exportacion(std::move(o)).ejecutar();
    return d;
  }();
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto& dir = prepared();
  vestran::fuzz::write(dir / "DTEMP" / "SOLUC.DBF", data, size);
  try {
    vestran::importar({dir / "centro.xml", dir / "DTEMP"});
  } catch (const vestran::Error&) {
  }
  return 0;
}
