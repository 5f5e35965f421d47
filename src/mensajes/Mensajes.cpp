#include "mensajes/Mensajes.hpp"

namespace vestran {

std::string paraTerminal(std::string_view texto) {
  std::string s(texto);
  for (std::size_t at; (at = s.find("\r\n")) != std::string::npos;) s.replace(at, 2, "\n");
  return s;
}

}  // namespace vestran
