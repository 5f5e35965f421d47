#pragma once

// Reading the exchange document of Colmeda, the same for the export and the import.

#include <filesystem>
#include <string>
#include <string_view>

#include "store/xml/document.hpp"

namespace vestran {

// Whether the document keeps the file's bytes, so that saving it writes them back with
// only what was appended (see Document::keepInput).
enum class Entrada { descartar, conservar };

// Whether there is anything at `archivo` (a link is followed): a file that is no document
// exists all the same, and reading it says what it is.
bool existeDocumento(const std::filesystem::path& archivo);

// Reads an exchange document. Throws DocumentError when it cannot be read, does not parse
// (with the parser's reason and line) or its root is not datosGHC, and OutOfMemoryError
// when it does not fit in memory; `nadaHecho` ends the message, telling the user what was
// left untouched.
Document leerDocumentoDeIntercambio(const std::filesystem::path& archivo,
                                    std::string_view nadaHecho,
                                    Entrada entrada = Entrada::descartar);

}  // namespace vestran
