#pragma once

// Reading the exchange document of Colmeda, the same for the export and the import.

#include <filesystem>
#include <string>
#include <string_view>

#include "store/xml/document.hpp"
#include "store/xml/extended_document.hpp"

namespace vestran {

// Whether there is anything at `archivo` (a link is followed): a file that is no document
// exists all the same, and reading it says what it is.
bool existeDocumento(const std::filesystem::path& archivo);

// Reads an exchange document. Throws DocumentError when it cannot be read, does not parse
// (with the parser's reason and line) or its root is not datosGHC, and OutOfMemoryError
// when it does not fit in memory; `nadaHecho` ends the message, telling the user what was
// left untouched.
Document leerDocumentoDeIntercambio(const std::filesystem::path& archivo,
                                    std::string_view nadaHecho);

// The same for a document that gets new elements at the end of its root and of the
// root's first child named `hijo` (see ExtendedDocument), with the same checks and
// messages.
ExtendedDocument leerParaAmpliar(const std::filesystem::path& archivo, std::string_view hijo,
                                 std::string_view nadaHecho);

}  // namespace vestran
