#pragma once

// What a builder wrote that a later builder looks up, kept in memory rather than read back
// from the table: found as the table's search finds it (exactly, letter case included, the
// first row of each key), with the values as the table would give them back.

#include <cstddef>
#include <string>
#include <string_view>

#include "store/table/planner_text.hpp"
#include "store/text.hpp"
#include "store/text_map.hpp"

namespace vestran {

template <typename Valor>
class FilasEscritas {
 public:
  // Notes a row whose searched field, a character field of `ancho`, holds `clave`. Of rows
  // with equal keys the first noted is found.
  void anotar(std::string_view clave, std::size_t ancho, Valor valor) {
    filas_.tryEmplace(plannerKeyOfStored(clave, ancho), std::move(valor));
  }

  // The row whose field equals `texto` as the table compares; nullptr when none does.
  const Valor* buscar(std::string_view texto) const {
    if (isAscii(texto)) {
      while (!texto.empty() && texto.back() == ' ') texto.remove_suffix(1);
      return filas_.find(texto);
    }
    return filas_.find(plannerKeyOfSearched(texto));
  }

 private:
  TextMap<Valor> filas_;
};

}  // namespace vestran
