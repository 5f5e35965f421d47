#pragma once

// Short codes of at most 10 characters, unique within their table.

#include <string>
#include <string_view>

#include "store/errors.hpp"
#include "store/text.hpp"
#include "store/text_map.hpp"

namespace vestran {

inline constexpr std::size_t kLongitudCodigo = 10;

// Every suffix of a code's base is taken.
class CodigosAgotados : public Error {
 public:
  using Error::Error;
};

// The text a table holds for a code: the code itself when it has at most 10 characters,
// otherwise its first 8 followed by its last 2; without trailing blanks, and with the
// characters the planner's code page lacks as "?".
std::string formaGuardada(std::string_view codigo);

// The codes issued in one table. Two codes clash when their stored forms are equal
// ignoring letter case, so that codes stay unique on disk.
class CodigosEmitidos {
 public:
  explicit CodigosEmitidos(std::string tabla) : tabla_(std::move(tabla)) {}

  // Issues `base` when it is free. Otherwise a base of exactly 10 characters loses its
  // last one, and the first suffix 1, 2, … 999 whose result is free is issued. Returns the
  // code to write: what was issued, cut to its first 8 and last 2 characters when longer
  // than 10. Throws CodigosAgotados, naming `texto` and the table, when every suffix is taken.
  std::string emitir(std::string_view base, std::string_view texto);

  // True when `codigo` clashes with an issued code.
  bool emitido(std::string_view codigo) const { return formas_.find(clave(codigo)) != nullptr; }

 private:
  // What two codes that clash have in common: their stored forms, letter case folded.
  static std::string clave(std::string_view codigo);

  std::string tabla_;
  TextMap<bool> formas_;  // the keys of the codes issued
};

}  // namespace vestran
