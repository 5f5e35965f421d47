#include "exportar/CodigosEmitidos.hpp"

#include "mensajes/Mensajes.hpp"
#include "store/dbase/codepage.hpp"
#include "store/errors.hpp"

namespace vestran {

namespace {

constexpr int kUltimoSufijo = 999;

std::string acortado(std::string_view codigo) {
  if (charCount(codigo) <= kLongitudCodigo) return std::string(codigo);
  return firstChars(codigo, 8) + lastChars(codigo, 2);
}

}  // namespace

std::string formaGuardada(std::string_view codigo) {
  return trimTrailingBlanks(asPlannerTableWould(acortado(codigo)));
}

std::string CodigosEmitidos::clave(std::string_view codigo) {
  return caseFoldKey(formaGuardada(codigo));
}

std::string CodigosEmitidos::emitir(std::string_view base, std::string_view texto) {
  std::string codigo(base);
  std::string libre = clave(codigo);
  if (formas_.find(libre)) {
    const std::string raiz = charCount(base) == kLongitudCodigo
                                 ? firstChars(base, kLongitudCodigo - 1)
                                 : std::string(base);
    codigo.clear();
    for (int n = 1; n <= kUltimoSufijo && codigo.empty(); ++n) {
      std::string candidato = raiz + std::to_string(n);
      std::string suya = clave(candidato);
      if (!formas_.find(suya)) {
        codigo = std::move(candidato);
        libre = std::move(suya);
      }
    }
    if (codigo.empty()) {
      throw CodigosAgotados("No queda ningún código corto libre para '" + std::string(texto) +
                                "' en la tabla " + tabla_ +
                                ": ya se usan todos los sufijos del 1 al 999 de '" + raiz +
                                "'.\nAcorte o cambie ese nombre en Colmeda y exporte de "
                                "nuevo.\n" +
                                std::string(kNingunaTablaModificada),
                            {.table = tabla_});
    }
  }
  formas_.tryEmplace(libre, true);
  return acortado(codigo);
}

}  // namespace vestran
