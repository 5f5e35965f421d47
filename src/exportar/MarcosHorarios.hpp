#pragma once

// The time frames of an exchange document as the frame chooser lists them, and how a
// choice becomes the frames an export uses.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "exportar/SolicitudMarcos.hpp"
#include "mensajes/Mensajes.hpp"
#include "store/errors.hpp"
#include "store/xml/document.hpp"

namespace vestran {

// Why the frame, chosen as it stands, would give the planner no periods: an identifier
// longer than the planner keeps, or no period of its own; nullopt when it can be exported.
// In the user's words, with what to do, for the chooser and for `vestran-cli marcos`.
std::optional<std::string> avisoDelMarco(const MarcoHorario& marco);

// The frames of the document in document order, each with the periods of its first day:
// "indice-horaEntrada-horaSalida-Tipo" cut to 30 characters, for the periods whose
// submarco equals the frame's identifier and whose dia is exactly "0". A frame without
// attributes gets the empty identifier.
std::vector<MarcoHorario> listarMarcos(const Document& documento);

// The first-day period lines of the frame `id` (compared exactly, nothing trimmed).
std::vector<std::string> horasDelMarco(const Document& documento, std::string_view id);

// The outcome of closing the chooser with some frames selected.
struct SeleccionMarcos {
  bool resultMH = false;                    // one or two frames: the choice stands
  std::string resultado;                    // 10-character slots, in list order
  std::vector<std::size_t> elegidos;        // the frames selected, in list order, once each
  std::optional<std::string_view> mensaje;  // shown when the choice does not stand
};

// Checks a selection (indices into `marcos`, in any order) as the chooser does on closing.
SeleccionMarcos evaluarSeleccion(const std::vector<MarcoHorario>& marcos,
                                 const std::vector<std::size_t>& seleccionados);

// A list of frame identifiers that does not name one or two frames of the document.
class SeleccionInvalida : public Error {
 public:
  using Error::Error;
};

// The frames named by a comma-separated list of identifiers, compared trimmed with the
// listed ones, in document order whatever the order of the list. Throws SeleccionInvalida
// with the chooser's message when none or more than two are named, and naming the
// identifier the document does not have.
std::vector<std::size_t> marcosPorIdentificador(const std::vector<MarcoHorario>& marcos,
                                                std::string_view lista);

// Throws DocumentError, naming the identifier and where it stands, when two frames of the
// document have the same identifier (trimmed): their periods could not be told apart.
void exigirIdentificadoresDistintos(const Document& documento,
                                    const std::filesystem::path& archivo);

// The identifiers in a selection text: two when it has exactly 20 characters, one
// otherwise; each trimmed, at most 10 characters.
struct MarcosElegidos {
  std::string MarcoElegido1;
  std::string MarcoElegido2;
};
MarcosElegidos marcosElegidos(std::string_view seleccion);

}  // namespace vestran
