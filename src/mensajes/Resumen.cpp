#include "mensajes/Resumen.hpp"

namespace vestran {

std::vector<std::string> lineasDeTexto(const Resumen& resumen) {
  std::vector<std::string> lineas = resumen.lineas;
  for (const auto& [nombre, valor] : resumen.cifras) lineas.push_back("  " + nombre + ": " + valor);
  return lineas;
}

std::string filas(std::size_t n) { return std::to_string(n) + (n == 1 ? " fila" : " filas"); }

}  // namespace vestran
