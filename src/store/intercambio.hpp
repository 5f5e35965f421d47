#pragma once

#include <filesystem>
#include <string_view>

#include "store/document.hpp"

namespace vestran {

// Reads an exchange document. Throws DocumentError when it does not parse (with the
// parser's message and line) or its root is not datosGHC; `nadaHecho` ends the message,
// telling the user what was left untouched.
Document leerDocumentoDeIntercambio(const std::filesystem::path& archivo, std::string_view nadaHecho);

}  // namespace vestran
