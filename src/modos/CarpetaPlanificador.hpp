#pragma once

// Where the planner tables lie and in which dBase variant new ones are written.

#include <filesystem>
#include <optional>
#include <string>

#include "store/dbase/dbase_format.hpp"

namespace vestran {

// The planner directory: `opcion` when given, else the environment variable VESTRAN_DTEMP,
// else the platform's default (see carpetaPorOmision).
std::filesystem::path carpetaDelPlanificador(const std::optional<std::string>& opcion);

// \DTEMP at the root of the current drive on Windows. Elsewhere the DTEMP folder of the
// drive C: that Wine gives Windows programs: $WINEPREFIX/drive_c/DTEMP, or
// ~/.wine/drive_c/DTEMP without WINEPREFIX, so a planner running under Wine finds the
// tables at C:\DTEMP.
std::filesystem::path carpetaPorOmision();

// The format for new tables: `opcion` when given, else VESTRAN_FORMATO, else level 7.
// Accepts "dbase3" and "nivel7" in any letter case; throws SettingError for other words.
TableFormat formatoDeTablas(const std::optional<std::string>& opcion);

}  // namespace vestran
