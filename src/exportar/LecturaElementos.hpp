#pragma once

// Reading the values of one element within that element, reporting what breaks the
// expected shape instead of shifting values onto a neighbour.

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "mensajes/Informe.hpp"
#include "store/xml/document.hpp"

namespace vestran {

// Where an element stands, for the report: in the technician's words ("<profesor> nº 3
// (línea 45)") and in the user's ("El profesor nº 3 (línea 45)").
// Worded only when a report needs it: most elements are read without one.
class Lugar {
 public:
  Lugar(Element elemento, std::size_t posicion, std::string nombre = {})
      : elemento_(elemento), posicion_(posicion), nombre_(std::move(nombre)) {}
  // For a place that is no element: the same words in both registers.
  static Lugar llamado(std::string texto);
  std::string tecnico() const;
  std::string llano() const;

 private:
  Element elemento_;
  std::size_t posicion_ = 0;
  std::string nombre_;  // what names the element, added after its place
};
Lugar situacion(const Element& elemento, std::size_t posicion);
// The same with what names the element added: "<sesion> nº 3 (línea 45) 101".
Lugar situacion(const Element& elemento, std::size_t posicion, const std::string& nombre);

// The first child element `hijo` of `elemento`. Reports to `informe` when there is none
// (the result is then an empty handle, whose text is empty) or more than one.
Element hijoEsperado(const Element& elemento, std::string_view hijo, const Lugar& donde,
                     Informe& informe);

// The first child element of each of `nombres` (at most kMaximo), found in one pass over
// the children.
class HijosEsperados {
 public:
  static constexpr std::size_t kMaximo = 8;
  HijosEsperados(const Element& elemento, std::initializer_list<std::string_view> nombres);
  // The first child named nombres[i], reported to `informe` as hijoEsperado() reports one:
  // missing (an empty handle) or repeated.
  Element tomar(std::size_t i, const Lugar& donde, Informe& informe) const;

 private:
  std::size_t cuantosNombres_ = 0;
  std::array<std::string_view, kMaximo> nombres_{};
  std::array<Element, kMaximo> primeros_{};
  std::array<std::size_t, kMaximo> cuantos_{};
};

// The element's text, trimmed (empty for an empty handle).
std::string textoRecortado(const Element& elemento);

// The trimmed text of hijoEsperado().
std::string textoHijo(const Element& elemento, std::string_view hijo, const Lugar& donde,
                      Informe& informe);

// The whole number in `texto`. Throws ConversionError saying what the value is (`que`, in
// the user's words), where it stands, the system's message, and what to do.
std::int32_t enteroEn(std::string_view texto, const Lugar& donde, std::string_view que);

}  // namespace vestran
