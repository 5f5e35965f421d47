#include "exportar/LecturaElementos.hpp"

#include <algorithm>
#include <map>
#include <stdexcept>

#include "mensajes/Mensajes.hpp"
#include "store/errors.hpp"
#include "store/text.hpp"

namespace vestran {

namespace {

// The element's kind as the user calls it, with its article.
std::string enPalabras(const std::string& elemento) {
  static const std::map<std::string, std::string, std::less<>> kNombres = {
      {"materia", "La materia"},
      {"tarea", "La tarea"},
      {"profesor", "El profesor"},
      {"aula", "El aula"},
      {"general", "El conjunto de aulas"},
      {"marcoHorario", "El marco horario"},
      {"tramo", "La hora"},
      {"grupo", "El grupo"},
      {"sesion", "La sesión"},
  };
  const auto it = kNombres.find(elemento);
  return it != kNombres.end() ? it->second : "El elemento <" + elemento + ">";
}

}  // namespace

Lugar Lugar::llamado(std::string texto) {
  Lugar l(Element(), 0);
  l.nombre_ = std::move(texto);
  return l;
}

std::string Lugar::tecnico() const {
  if (!elemento_) return nombre_;
  std::string s = "<" + elemento_.name() + "> nº " + std::to_string(posicion_);
  if (elemento_.line() > 0) s += " (línea " + std::to_string(elemento_.line()) + ")";
  if (!nombre_.empty()) s += " " + nombre_;
  return s;
}

std::string Lugar::llano() const {
  if (!elemento_) return nombre_;
  std::string s = enPalabras(elemento_.name()) + " nº " + std::to_string(posicion_);
  if (elemento_.line() > 0) s += " (línea " + std::to_string(elemento_.line()) + ")";
  if (!nombre_.empty()) s += " '" + nombre_ + "'";
  return s;
}

Lugar situacion(const Element& elemento, std::size_t posicion) { return {elemento, posicion}; }

Lugar situacion(const Element& elemento, std::size_t posicion, const std::string& nombre) {
  return {elemento, posicion, nombre};
}

namespace {

void informarDeHijos(std::string_view hijo, std::size_t n, const Lugar& donde, Informe& informe) {
  if (n == 1) return;
  const std::string h(hijo);
  if (n == 0) {
    informe.anotar(donde.tecnico() + ": falta <" + h + ">; se toma como vacío.",
                   donde.llano() + ": le falta el dato «" + h + "»; se toma como vacío.");
  } else if (n > 1) {
    informe.anotar(donde.tecnico() + ": <" + h + "> aparece " + std::to_string(n) +
                       " veces; se usa el primero.",
                   donde.llano() + ": tiene el dato «" + h + "» " + std::to_string(n) +
                       " veces; se usa el primero.");
  }
}

}  // namespace

Element hijoEsperado(const Element& elemento, std::string_view hijo, const Lugar& donde,
                     Informe& informe) {
  informarDeHijos(hijo, elemento.countChildren(hijo), donde, informe);
  return elemento.child(hijo);
}

HijosEsperados::HijosEsperados(const Element& elemento,
                               std::initializer_list<std::string_view> nombres)
    : cuantosNombres_(nombres.size()) {
  if (nombres.size() > kMaximo) throw std::logic_error("HijosEsperados: demasiados nombres");
  std::copy(nombres.begin(), nombres.end(), nombres_.begin());
  for (Element c = elemento.firstChildElement(); c; c = c.nextSiblingElement()) {
    for (std::size_t i = 0; i < cuantosNombres_; ++i) {
      if (!c.hasName(nombres_[i])) continue;
      if (cuantos_[i]++ == 0) primeros_[i] = c;
      break;
    }
  }
}

Element HijosEsperados::tomar(std::size_t i, const Lugar& donde, Informe& informe) const {
  informarDeHijos(nombres_[i], cuantos_[i], donde, informe);
  return primeros_[i];
}

std::string textoRecortado(const Element& elemento) {
  // Plain ASCII text is trimmed where it lies, without a copy of the whole.
  if (const auto ascii = elemento.asciiText()) return trim(*ascii);
  return trim(elemento.text());
}

std::string textoHijo(const Element& elemento, std::string_view hijo, const Lugar& donde,
                      Informe& informe) {
  return textoRecortado(hijoEsperado(elemento, hijo, donde, informe));
}

std::int32_t enteroEn(std::string_view texto, const Lugar& donde, std::string_view que) {
  try {
    return toInt32(texto);
  } catch (const ConversionError& e) {
    throw ConversionError(parrafos(
        {"Un dato del documento debe ser un número entero y no lo es: '" + std::string(texto) +
             "' (" + std::string(que) + " de " + donde.tecnico() + ").",
         e.what(), "Corrija ese dato en Colmeda y exporte el documento de nuevo.",
         kNingunaTablaModificada}));
  }
}

}  // namespace vestran
