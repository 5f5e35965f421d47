#pragma once

// The system's fixed texts, each defined once, for the windows and the CLI alike.

#include <initializer_list>
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

// Recurring texts, each defined once. A message says what happened and where, then what to
// do next, then what was left untouched.
inline constexpr std::string_view kNingunaTablaModificada = "No se ha modificado ninguna tabla.";
inline constexpr std::string_view kNingunArchivoEscrito = "No se ha escrito ningún archivo.";
inline constexpr std::string_view kNadaModificado = "No se ha modificado nada.";
inline constexpr std::string_view kEstaAbiertaEnOtroPrograma =
    "está abierta en otro programa (quizá Dalmerin); ciérrelo y vuelva a intentarlo.";
inline constexpr std::string_view kElijaElDocumentoDeColmeda =
    "Elija el documento de intercambio que exportó Colmeda (un archivo .xml).";
inline constexpr std::string_view kDocumentoDanado =
    "Si es ese, el archivo está dañado: expórtelo de nuevo desde Colmeda.";
inline constexpr std::string_view kCierreOtrosProgramas =
    "Cierre otros programas y vuelva a intentarlo.";
inline constexpr std::string_view kPidaPermisoDeLectura =
    "Pida permiso para leerlo a quien administra el equipo, o cópielo a una carpeta suya y "
    "elíjalo allí.";

// The exchange document's frames, as the export and the chooser read them.
inline constexpr std::string_view kRutaMarcos = "/datosGHC/marcosDeHorario/marcoHorario";
inline constexpr std::string_view kRutaTramos = "/datosGHC/marcosDeHorario/marcoHorario/tramo";

// Lines joined into one message, each ending where the next begins.
std::string parrafos(std::initializer_list<std::string_view> lineas);

// The fixed messages break lines as Windows does; a terminal wants plain line breaks.
std::string paraTerminal(std::string_view texto);

}  // namespace vestran
