#include "mensajes/Progreso.hpp"

namespace vestran {

namespace {

constexpr std::size_t kCadaCuantos = 512;

}  // namespace

void avisar(const AvisoDeProgreso& aviso, std::string_view tarea, std::size_t hechos,
            std::size_t total) {
  if (aviso && (hechos % kCadaCuantos == 0 || hechos == total)) aviso({tarea, hechos, total});
}

std::string textoDeProgreso(const Progreso& p) {
  std::string texto(p.tarea);
  if (p.total > 0) texto += ": " + std::to_string(p.hechos) + " de " + std::to_string(p.total);
  return texto + "…";
}

}  // namespace vestran
