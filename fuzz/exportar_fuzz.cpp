// A whole export of an arbitrary document into a planner folder of its own.

#include <cstddef>
#include <cstdint>

#include "exportar/Exportacion.hpp"
#include "fuzz_support.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto& dir = vestran::fuzz::scratch();
  vestran::fuzz::write(dir / "centro.xml", data, size);
  vestran::OpcionesExportacion o;
  o.documento = dir / "centro.xml";
  o.directorio = dir / "DTEMP";
  o.elegirMarcos = [](const vestran::SolicitudMarcos&) { return std::vector<std::size_t>{0, 1}; };
  try {
    vestran::Exportacion(std::move(o)).ejecutar();
  } catch (const vestran::Error&) {
  }
  return 0;
}
