#include "exportar/LecturaElementos.hpp"

#include <map>

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

Lugar situacion(const Element& elemento, std::size_t posicion) {
  const std::string numero = " nº " + std::to_string(posicion);
  const std::string linea =
      elemento.line() > 0 ? " (línea " + std::to_string(elemento.line()) + ")" : "";
  return {"<" + elemento.name() + ">" + numero + linea,
          enPalabras(elemento.name()) + numero + linea};
}

Lugar situacion(const Element& elemento, std::size_t posicion, const std::string& nombre) {
  Lugar l = situacion(elemento, posicion);
  if (!nombre.empty()) {
    l.tecnico += " " + nombre;
    l.llano += " '" + nombre + "'";
  }
  return l;
}

Element hijoEsperado(const Element& elemento, std::string_view hijo, const Lugar& donde,
                     Informe& informe) {
  const std::size_t n = elemento.countChildren(hijo);
  const std::string h(hijo);
  if (n == 0) {
    informe.anotar(donde.tecnico + ": falta <" + h + ">; se toma como vacío.",
                   donde.llano + ": le falta el dato «" + h + "»; se toma como vacío.");
  } else if (n > 1) {
    informe.anotar(
        donde.tecnico + ": <" + h + "> aparece " + std::to_string(n) + " veces; se usa el primero.",
        donde.llano + ": tiene el dato «" + h + "» " + std::to_string(n) +
            " veces; se usa el primero.");
  }
  return elemento.child(hijo);
}

std::string textoHijo(const Element& elemento, std::string_view hijo, const Lugar& donde,
                      Informe& informe) {
  return trim(hijoEsperado(elemento, hijo, donde, informe).text());
}

std::int32_t enteroEn(std::string_view texto, const Lugar& donde, std::string_view que) {
  try {
    return toInt32(texto);
  } catch (const ConversionError& e) {
    throw ConversionError(
        parrafos({"Un dato del documento debe ser un número entero y no lo es: '" +
                      std::string(texto) + "' (" + std::string(que) + " de " + donde.tecnico + ").",
                  e.what(), "Corrija ese dato en Colmeda y exporte el documento de nuevo.",
                  kNingunaTablaModificada}));
  }
}

}  // namespace vestran
