// DIASHORAST: the periods of the time frames the run uses, and each frame's letter.

#include <set>
#include <utility>

#include "exportar/Exportacion.hpp"
#include "exportar/LecturaElementos.hpp"
#include "store/dbase/codepage.hpp"

namespace vestran {

namespace {

const std::vector<FieldDef> kCamposDiashoras = {
    {"DIHO", FieldKind::character, 10},        {"CODDIHO", FieldKind::character, 10},
    {"DIA", FieldKind::character, 20},         {"TEXTODIA", FieldKind::character, 20},
    {"HORA", FieldKind::character, 8},         {"TEXTOHOR", FieldKind::character, 20},
    {"HORADESDE", FieldKind::character, 8},    {"HORAHASTA", FieldKind::character, 8},
    {"MINUTOS", FieldKind::character, 8},      {"MARCO", FieldKind::character, 1},
    {"MARCOXML", FieldKind::character, 10},    {"CL_MARCO_ID", FieldKind::character, 2},
    {"CL_SUBMARCO", FieldKind::character, 2},  {"CL_DIA", FieldKind::character, 1},
    {"CL_HORADESDE", FieldKind::character, 8}, {"CL_HORAHASTA", FieldKind::character, 8},
    {"CL_TIPO", FieldKind::character, 20},
};

constexpr int kMinutosDelDia = 1440;

std::string nombreDelDia(std::int32_t d) {
  static const char* const kDias[] = {"Lunes",   "Martes", "Miércoles", "Jueves",
                                      "Viernes", "Sábado", "Domingo"};
  return d >= 0 && d < 7 ? kDias[d] : "";
}

// Minutes since midnight of a time written HH:MM (characters 1-2 and 4-5).
std::int32_t minutosDelDia(const std::string& hora, const Lugar& donde, std::string_view que) {
  return enteroEn(firstChars(hora, 2), donde, que) * 60 +
         enteroEn(midChars(hora, 3, 2), donde, que);
}

// Whether HH:MM names a time of the day, from 00:00 to 24:00.
bool esHoraDelDia(const std::string& hora) {
  const std::int32_t h = toInt32(firstChars(hora, 2));
  const std::int32_t m = toInt32(midChars(hora, 3, 2));
  return h >= 0 && m >= 0 && m < 60 && (h < 24 || (h == 24 && m == 0));
}

}  // namespace

std::string Exportacion::elegirSeleccion(const std::vector<Element>& marcos) {
  Informe& informe = resultado_.informe;
  if (marcos.size() == 1) {
    const auto id = marcos.front().attribute("id");
    if (!id) {
      const Lugar donde = situacion(marcos.front(), 1);
      informe.anotar(donde.tecnico() + ": no tiene el atributo id.",
                     donde.llano() + " no tiene identificador.");
    }
    marcosElegidos_ = {trim(id.value_or(""))};
    return trim(id.value_or(""));
  }
  SolicitudMarcos solicitud{opciones_.documento, listarMarcos(XMLDoc)};
  for (std::size_t i = 0; i < marcos.size(); ++i) {
    if (marcos[i].attributes().empty()) {
      const Lugar donde = situacion(marcos[i], i + 1);
      informe.anotar(donde.tecnico() + ": no tiene atributos; se lista con el identificador vacío.",
                     donde.llano() + " no tiene identificador.");
    }
  }
  // The chooser is shown again as long as its selection is not one or two frames.
  for (int intento = 0; intento < kIntentosDeSeleccion; ++intento) {
    const SeleccionMarcos s = evaluarSeleccion(solicitud.marcos, opciones_.elegirMarcos(solicitud));
    if (!s.resultMH) continue;
    marcosElegidos_.clear();
    for (std::size_t i : s.elegidos) marcosElegidos_.push_back(trim(solicitud.marcos[i].id));
    return s.resultado;
  }
  throw ExportacionCancelada(
      "Exportación cancelada: no se han elegido uno o dos marcos "
      "horarios en " +
      std::to_string(kIntentosDeSeleccion) + " intentos.\n" + std::string(kNingunaTablaModificada));
}

void Exportacion::ExportarMarcos() {
  Table::recreate(tablas_, "DIASHORAST", kCamposDiashoras, opciones_.formato);
  const auto elegidos = marcosElegidos(elegirSeleccion(XMLDoc.select(kRutaMarcos)));
  MarcoElegido1 = elegidos.MarcoElegido1;
  MarcoElegido2 = elegidos.MarcoElegido2;

  Table tabla = Table::open(tablas_, "DIASHORAST");
  Informe& informe = resultado_.informe;
  const auto tramos = XMLDoc.select(kRutaTramos);
  // A day and period given twice in one frame would give the planner two rows of one key.
  std::set<std::pair<std::string, std::string>> escritas;
  for (std::size_t i = 0; i < tramos.size(); ++i) {
    avanzar("DIASHORAST", i, tramos.size());
    const Element& tramo = tramos[i];
    const Lugar donde = situacion(tramo, i + 1);
    const std::string submarco = textoHijo(tramo, "submarco", donde, informe);
    if (submarco != MarcoElegido1 && submarco != MarcoElegido2) continue;
    const std::int32_t dia = enteroEn(textoHijo(tramo, "dia", donde, informe), donde, "el día");
    const std::int32_t indice =
        enteroEn(textoHijo(tramo, "indice", donde, informe), donde, "el número de hora");
    const std::string entrada = textoHijo(tramo, "horaEntrada", donde, informe);
    const std::string salida = textoHijo(tramo, "horaSalida", donde, informe);
    const std::string tipo = textoHijo(tramo, "Tipo", donde, informe);
    const std::int32_t minutos = minutosDelDia(salida, donde, "la hora de salida") -
                                 minutosDelDia(entrada, donde, "la hora de entrada");
    const std::string diho = std::to_string(dia + 1) + std::to_string(indice);
    if (!escritas.emplace(diho, submarco).second) {
      informe.anotar(donde.tecnico() + ": repite el día " + std::to_string(dia) + " y la hora " +
                         std::to_string(indice) + " del marco '" + submarco +
                         "' de otro <tramo> anterior; se omite.",
                     donde.llano() + " está repetida en el marco horario '" + submarco +
                         "' (el mismo día y el mismo número de hora); se exporta una vez.");
      continue;
    }
    for (const auto& [hora, que] :
         {std::pair{entrada, "de entrada"}, std::pair{salida, "de salida"}}) {
      if (!esHoraDelDia(hora)) {
        informe.anotar(
            donde.tecnico() + ": la hora " + que + " '" + hora +
                "' no es una hora del día; MINUTOS queda en " + std::to_string(minutos) + ".",
            donde.llano() + ": su hora " + que + ", '" + hora + "', no es una hora del día.");
      }
    }

    tabla.append();
    tabla.setText("DIHO", diho);
    tabla.setText("DIA", std::to_string(dia + 1));
    tabla.setText("TEXTODIA", nombreDelDia(dia));
    tabla.setText("HORA", std::to_string(indice));
    tabla.setText("TEXTOHOR", std::to_string(indice) + "-" + firstChars(entrada, 5) + "-" +
                                  firstChars(salida, 5));
    tabla.setText("CODDIHO", "");
    tabla.setText("HORADESDE", firstChars(entrada, 5));
    tabla.setText("HORAHASTA", firstChars(salida, 5));
    tabla.setText("MINUTOS", std::to_string(minutos));
    tabla.setText("MARCOXML", submarco);
    tabla.setText("CL_MARCO_ID", submarco);
    tabla.setText("CL_SUBMARCO", submarco);
    tabla.setText("CL_DIA", std::to_string(dia));
    tabla.setText("CL_HORADESDE", entrada);
    tabla.setText("CL_HORAHASTA", salida);
    tabla.setText("CL_TIPO", tipo);
    tabla.post();
  }
  darLetrasDeMarco(tabla);
  avisarMarcosSinHoras(tabla);
  cerrar(tabla);
}

// The frame whose Monday period 1 starts earlier gets "0", the other "1"; on equal starts
// the first frame gets "0". A first frame without Monday period 1 counts as starting at
// minute 0, a second one (or none) at minute 1440.
void Exportacion::darLetrasDeMarco(Table& tabla) {
  auto inicio = [&](const std::string& marco, std::int32_t siFalta) {
    if (!tabla.locate("DIHO;MARCOXML", {"11", marco})) return siFalta;
    return minutosDelDia(tabla.text("HORADESDE"), Lugar::llamado("DIASHORAST"), "HORADESDE");
  };
  const std::int32_t inicio1 = inicio(MarcoElegido1, 0);
  const std::int32_t inicio2 = inicio(MarcoElegido2, kMinutosDelDia);
  LetraMarco1 = inicio1 <= inicio2 ? "0" : "1";
  LetraMarco2 = inicio1 <= inicio2 ? "1" : "0";

  // Compared as the table holds the identifiers.
  const std::string guardado1 = asPlannerTableWould(MarcoElegido1);
  const std::string guardado2 = asPlannerTableWould(MarcoElegido2);
  for (tabla.first(); !tabla.eof(); tabla.next()) {
    const std::string marcoXml = tabla.text("MARCOXML");
    if (marcoXml == guardado1) {
      tabla.edit();
      tabla.setInteger("MARCO", LetraMarco1 == "0" ? 0 : 1);
    } else if (marcoXml == guardado2) {
      tabla.edit();
      tabla.setInteger("MARCO", LetraMarco2 == "0" ? 0 : 1);
    }
  }
}

// A chosen frame that gave no period leaves the planner without its days and hours, and
// its groups out: say so, with the cause.
void Exportacion::avisarMarcosSinHoras(Table& tabla) {
  for (const std::string& marco : marcosElegidos_) {
    const std::string guardado = firstChars(marco, kLongitudCodigo);
    bool tieneHoras = false;
    for (tabla.first(); !tabla.eof() && !tieneHoras; tabla.next()) {
      tieneHoras = tabla.text("MARCOXML") == asPlannerTableWould(guardado);
    }
    if (tieneHoras) continue;
    if (charCount(marco) > kLongitudCodigo) {
      resultado_.avisos.push_back(
          "El marco horario '" + marco + "' no ha dado ninguna hora: su identificador tiene " +
          std::to_string(charCount(marco)) + " caracteres y el planificador solo guarda " +
          std::to_string(kLongitudCodigo) +
          ", así que no casa con el <submarco> de sus horas "
          "ni de sus grupos. Acorte el identificador en Colmeda a " +
          std::to_string(kLongitudCodigo) + " caracteres como mucho.");
    } else {
      resultado_.avisos.push_back("El marco horario '" + marco +
                                  "' no ha dado ninguna hora: ningún <tramo> tiene el "
                                  "<submarco> '" +
                                  marco + "'.");
    }
  }
  if (tabla.rowCount() == 0 && marcosElegidos_.empty()) {
    resultado_.avisos.push_back(
        "DIASHORAST ha quedado vacía: el planificador no tendrá días ni horas.");
  }
}

}  // namespace vestran
