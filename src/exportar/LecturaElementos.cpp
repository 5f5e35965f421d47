#include "exportar/LecturaElementos.hpp"

#include "mensajes/Mensajes.hpp"
#include "store/errors.hpp"
#include "store/text.hpp"

namespace vestran {

std::string situacion(const Element& elemento, std::size_t posicion) {
  std::string s = "<" + elemento.name() + "> nº " + std::to_string(posicion);
  if (elemento.line() > 0) s += " (línea " + std::to_string(elemento.line()) + ")";
  return s;
}

Element hijoEsperado(const Element& elemento, std::string_view hijo, const std::string& donde,
                     Informe& informe) {
  const std::size_t n = elemento.countChildren(hijo);
  if (n == 0) {
    informe.anotar(donde + ": falta <" + std::string(hijo) + ">; se toma como vacío.");
  } else if (n > 1) {
    informe.anotar(donde + ": <" + std::string(hijo) + "> aparece " + std::to_string(n) +
                   " veces; se usa el primero.");
  }
  return elemento.child(hijo);
}

std::string textoHijo(const Element& elemento, std::string_view hijo, const std::string& donde,
                      Informe& informe) {
  return trim(hijoEsperado(elemento, hijo, donde, informe).text());
}

std::int32_t enteroEn(std::string_view texto, const std::string& donde, std::string_view que) {
  try {
    return toInt32(texto);
  } catch (const ConversionError& e) {
    throw ConversionError(parrafos({"Un dato del documento debe ser un número entero y no lo es: '" +
                                        std::string(texto) + "' (" + std::string(que) + " de " +
                                        donde + ").",
                                    e.what(),
                                    "Corrija ese dato en Colmeda y exporte el documento de nuevo.",
                                    kNingunaTablaModificada}));
  }
}

}  // namespace vestran
