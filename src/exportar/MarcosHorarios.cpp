#include "exportar/MarcosHorarios.hpp"

#include <algorithm>
#include <map>
#include <unordered_map>

#include "store/os/paths.hpp"

#include "store/text.hpp"

namespace vestran {

namespace {

constexpr std::size_t kAnchoLinea = 30;
constexpr std::size_t kAnchoHueco = 10;

std::string primerAtributo(const Element& marco) {
  const auto atributos = marco.attributes();
  return atributos.empty() ? std::string() : atributos.front().value;
}

struct HorasDeMarco {
  std::vector<std::string> primerDia;  // the chooser's lines
  std::size_t periodos = 0;            // on every day, the identifier compared trimmed
};

// The periods of every frame identifier, in document order, in one pass.
std::unordered_map<std::string, HorasDeMarco> horasPorMarco(const Document& documento) {
  std::unordered_map<std::string, HorasDeMarco> horas;
  for (const Element& tramo : documento.select(kRutaTramos)) {
    const std::string submarco = tramo.child("submarco").text();
    ++horas[trim(submarco)].periodos;
    if (tramo.child("dia").text() != "0") continue;
    const std::string linea = tramo.child("indice").text() + "-" +
                              tramo.child("horaEntrada").text() + "-" +
                              tramo.child("horaSalida").text() + "-" + tramo.child("Tipo").text();
    horas[submarco].primerDia.push_back(firstChars(linea, kAnchoLinea));
  }
  return horas;
}

}  // namespace

std::vector<std::string> horasDelMarco(const Document& documento, std::string_view id) {
  auto horas = horasPorMarco(documento);
  const auto it = horas.find(std::string(id));
  return it == horas.end() ? std::vector<std::string>() : std::move(it->second.primerDia);
}

std::vector<MarcoHorario> listarMarcos(const Document& documento) {
  const auto horas = horasPorMarco(documento);
  std::vector<MarcoHorario> marcos;
  for (const Element& marco : documento.select(kRutaMarcos)) {
    MarcoHorario m;
    m.id = primerAtributo(marco);
    if (const auto it = horas.find(m.id); it != horas.end()) m.horas = it->second.primerDia;
    if (const auto it = horas.find(trim(m.id)); it != horas.end()) m.periodos = it->second.periodos;
    marcos.push_back(std::move(m));
  }
  return marcos;
}

std::optional<std::string> avisoDelMarco(const MarcoHorario& marco) {
  const std::string id = trim(marco.id);
  if (charCount(id) > kAnchoHueco) {
    return "No se puede exportar: su identificador tiene " + std::to_string(charCount(id)) +
           " caracteres y el planificador solo guarda " + std::to_string(kAnchoHueco) +
           ". Acórtelo en Colmeda.";
  }
  if (marco.periodos == 0) {
    return "No se puede exportar: no tiene ninguna hora (tramo) suya en el documento.";
  }
  return std::nullopt;
}

SeleccionMarcos evaluarSeleccion(const std::vector<MarcoHorario>& marcos,
                                 const std::vector<std::size_t>& seleccionados) {
  std::vector<std::size_t> enOrden = seleccionados;
  std::sort(enOrden.begin(), enOrden.end());
  enOrden.erase(std::unique(enOrden.begin(), enOrden.end()), enOrden.end());
  std::erase_if(enOrden, [&](std::size_t i) { return i >= marcos.size(); });

  SeleccionMarcos s;
  s.resultMH = true;
  if (enOrden.size() > 2) {
    s.mensaje = kDemasiadosMarcos;
    s.resultMH = false;
  } else if (enOrden.empty()) {
    s.mensaje = kAlMenosUnMarco;
    s.resultMH = false;
  }
  for (std::size_t i : enOrden) {
    s.resultado += firstChars(marcos[i].id + std::string(kAnchoHueco, ' '), kAnchoHueco);
  }
  s.elegidos = std::move(enOrden);
  return s;
}

std::vector<std::size_t> marcosPorIdentificador(const std::vector<MarcoHorario>& marcos,
                                                std::string_view lista) {
  std::vector<std::size_t> elegidos;
  std::vector<std::string> nombrados;
  std::size_t inicio = 0;
  while (inicio <= lista.size()) {
    const std::size_t fin = std::min(lista.find(',', inicio), lista.size());
    const std::string id = trim(lista.substr(inicio, fin - inicio));
    inicio = fin + 1;
    if (id.empty()) continue;
    if (std::find(nombrados.begin(), nombrados.end(), id) != nombrados.end()) {
      throw SeleccionInvalida("El marco horario '" + id +
                              "' está nombrado dos veces; nombre "
                              "uno o dos marcos distintos.");
    }
    nombrados.push_back(id);
    bool encontrado = false;
    for (std::size_t i = 0; i < marcos.size(); ++i) {
      if (trim(marcos[i].id) == id) {
        elegidos.push_back(i);
        encontrado = true;
      }
    }
    if (!encontrado) {
      throw SeleccionInvalida("El documento no tiene ningún marco horario con el identificador '" +
                              id + "'.");
    }
  }
  std::sort(elegidos.begin(), elegidos.end());
  elegidos.erase(std::unique(elegidos.begin(), elegidos.end()), elegidos.end());
  const SeleccionMarcos s = evaluarSeleccion(marcos, elegidos);
  if (!s.resultMH) throw SeleccionInvalida(std::string(*s.mensaje));
  return elegidos;
}

void exigirIdentificadoresDistintos(const Document& documento,
                                    const std::filesystem::path& archivo) {
  std::map<std::string, std::vector<int>> lineas;
  for (const Element& marco : documento.select(kRutaMarcos)) {
    lineas[trim(primerAtributo(marco))].push_back(marco.line());
  }
  for (const auto& [id, donde] : lineas) {
    if (donde.size() < 2) continue;
    std::string detalle =
        "Los <marcoHorario> con el identificador '" + id + "' están en las líneas";
    for (std::size_t i = 0; i < donde.size(); ++i) {
      detalle += (i == 0 ? " " : i + 1 == donde.size() ? " y " : ", ") + std::to_string(donde[i]);
    }
    throw DocumentError(parrafos({"El documento " + os::pathForUser(archivo) + " tiene " +
                                      std::to_string(donde.size()) +
                                      " marcos horarios con el mismo identificador '" + id +
                                      "', y el planificador no podría distinguir sus horas.",
                                  "Dé a cada marco horario un identificador distinto en Colmeda "
                                  "y exporte el documento de nuevo.",
                                  kNingunaTablaModificada}),
                        {.file = archivo}, detalle + ".");
  }
}

MarcosElegidos marcosElegidos(std::string_view seleccion) {
  MarcosElegidos m;
  if (charCount(seleccion) == 2 * kAnchoHueco) {
    m.MarcoElegido1 = trim(firstChars(seleccion, kAnchoHueco));
    m.MarcoElegido2 = trim(lastChars(seleccion, kAnchoHueco));
  } else {
    m.MarcoElegido1 = trim(firstChars(seleccion, kAnchoHueco));
  }
  return m;
}

}  // namespace vestran
