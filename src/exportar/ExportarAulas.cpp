// AULAT: the real rooms, then the numbered rooms of the generic room set.

#include "exportar/Exportacion.hpp"
#include "exportar/LecturaElementos.hpp"

namespace vestran {

namespace {

const std::vector<FieldDef> kCamposAulat = {
    {"ABREV", FieldKind::character, 10},      {"NOMBRE", FieldKind::character, 80},
    {"EDIFICIO", FieldKind::character, 1},    {"MAXALUM", FieldKind::integer},
    {"CL_GENERICA", FieldKind::character, 1},
};

// The name of generic room j of the set P: P followed by j, shortened to 10 characters by
// keeping its first 19 − L and last L − 9 characters (L its length), then trimmed.
std::string nombreGenerico(const std::string& conjunto, std::int32_t j) {
  const std::string x = conjunto + std::to_string(j);
  const std::size_t l = charCount(x);
  if (l <= kLongitudCodigo) return trim(x);
  const std::size_t cabeza = l < 19 ? 19 - l : 0;
  return trim(firstChars(x, cabeza) + lastChars(x, l - 9));
}

}  // namespace

void Exportacion::ExportarAulas() {
  CodigosEmitidos emitidos("AULAT");
  Table::recreate(tablas_, "AULAT", kCamposAulat, opciones_.formato);
  const auto aulas = XMLDoc.select("/datosGHC/aulas/aula");
  Table tabla = Table::open(tablas_, "AULAT");
  Informe& informe = resultado_.informe;
  for (std::size_t i = 0; i < aulas.size(); ++i) {
    avanzar("AULAT", i, aulas.size());
    const std::string nombre = textoHijo(aulas[i], "nombre", situacion(aulas[i], i + 1), informe);
    // Blanks the cut exposes are dropped before the clash test.
    const std::string base = trim(firstChars(nombre, kLongitudCodigo));
    tabla.append();
    tabla.setText("ABREV", emitidos.emitir(base, nombre));
    tabla.setText("NOMBRE", nombre);
    tabla.setText("CL_GENERICA", "N");
    tabla.post();
  }

  const auto generales = XMLDoc.select("/datosGHC/conjuntoDeAulas/general");
  if (!generales.empty()) {
    const Element& general = generales.front();
    const Lugar donde = situacion(general, 1);
    const auto atributos = general.attributes();
    if (atributos.size() < 2) {
      informe.anotar(donde.tecnico() + ": tiene " + std::to_string(atributos.size()) +
                         " atributos y necesita dos (nombre y número de aulas); no se crean "
                         "aulas genéricas.",
                     donde.llano() +
                         " no dice su nombre y su número de aulas; no se crean "
                         "aulas genéricas.");
    } else {
      // By position: the set's name as read, then the number of rooms.
      const std::string& conjunto = atributos[0].value;
      const std::int32_t cuantas =
          enteroEn(atributos[1].value, donde, "el número de aulas " + atributos[1].name);
      for (std::int32_t j = 1; j <= cuantas; ++j) {
        tabla.append();
        tabla.setText("ABREV", emitidos.emitir(nombreGenerico(conjunto, j), conjunto));
        tabla.setText("NOMBRE", conjunto);
        tabla.setText("CL_GENERICA", "S");
        tabla.post();
      }
    }
    if (generales.size() > 1) {
      informe.anotar("Hay " + std::to_string(generales.size()) +
                         " elementos <general> en <conjuntoDeAulas>; solo se usa el primero.",
                     "El documento tiene " + std::to_string(generales.size()) +
                         " conjuntos de aulas genéricas; solo se usa el primero.");
    }
  }
  cerrar(tabla);
}

}  // namespace vestran
