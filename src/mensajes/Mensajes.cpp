#include "mensajes/Mensajes.hpp"

namespace vestran {

std::string parrafos(std::initializer_list<std::string_view> lineas) {
  std::string s;
  for (std::string_view l : lineas) {
    if (l.empty()) continue;
    if (!s.empty()) s += '\n';
    s += l;
  }
  return s;
}

std::string paraTerminal(std::string_view texto) {
  std::string s;
  s.reserve(texto.size());
  for (std::size_t i = 0; i < texto.size(); ++i) {
    if (!(texto[i] == '\r' && i + 1 < texto.size() && texto[i + 1] == '\n')) s += texto[i];
  }
  return s;
}

}  // namespace vestran
