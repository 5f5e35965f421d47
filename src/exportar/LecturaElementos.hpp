#pragma once

// Reading the values of one element within that element, reporting what breaks the
// expected shape instead of shifting values onto a neighbour.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "mensajes/Informe.hpp"
#include "store/xml/document.hpp"

namespace vestran {

// Where an element stands, for the report: in the technician's words ("<profesor> nº 3
// (línea 45)") and in the user's ("El profesor nº 3 (línea 45)").
struct Lugar {
  std::string tecnico;
  std::string llano;
};
Lugar situacion(const Element& elemento, std::size_t posicion);
// The same with what names the element added: "<sesion> nº 3 (línea 45) 101".
Lugar situacion(const Element& elemento, std::size_t posicion, const std::string& nombre);

// The first child element `hijo` of `elemento`. Reports to `informe` when there is none
// (the result is then an empty handle, whose text is empty) or more than one.
Element hijoEsperado(const Element& elemento, std::string_view hijo, const Lugar& donde,
                     Informe& informe);

// The trimmed text of hijoEsperado().
std::string textoHijo(const Element& elemento, std::string_view hijo, const Lugar& donde,
                      Informe& informe);

// The whole number in `texto`. Throws ConversionError saying what the value is (`que`, in
// the user's words), where it stands, the system's message, and what to do.
std::int32_t enteroEn(std::string_view texto, const Lugar& donde, std::string_view que);

}  // namespace vestran
