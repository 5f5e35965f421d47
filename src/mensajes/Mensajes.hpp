#pragma once

// The system's fixed texts, each defined once, for the windows and the CLI alike.

#include <string>
#include <string_view>

namespace vestran {

inline constexpr std::string_view kNoExisteArchivo = "No existe archivo";
inline constexpr std::string_view kNoExisteArchivoXml = "No existe archivo XML.";
inline constexpr std::string_view kProcesoFinalizado = "Proceso finalizado";
inline constexpr std::string_view kAntesDeImportar =
    "Deberá Abrir el fichero XML de COLMEDA,\r\ndesde el cual realizó la Importación a Dalmerin";
inline constexpr std::string_view kDemasiadosMarcos =
    "Demasiados Marcos Horarios seleccionados.\r\nComo máximo puede seleccionar 2 Marcos Horarios";
inline constexpr std::string_view kAlMenosUnMarco = "Debe al menos seleccionar 1 Marco Horario.";

inline constexpr std::string_view kTituloAplicacion = "TransVestranColmeda";
inline constexpr std::string_view kTituloVentana =
    "Exportar e importar datos entre Dalmerin y Colmeda ";
inline constexpr std::string_view kTituloSelector = "Planillas, Marcos o Jornadas Horarias";
inline constexpr std::string_view kTituloDialogoXml = "Seleccione Archivo XML obtenido de COLMEDA";

// The fixed messages break lines as Windows does; a terminal wants plain line breaks.
std::string paraTerminal(std::string_view texto);

}  // namespace vestran
