#include "store/planner_dir.hpp"

#include <cstdlib>

#include "store/errors.hpp"
#include "store/os_file.hpp"
#include "store/text.hpp"

namespace vestran {

namespace fs = std::filesystem;

namespace {

std::optional<std::string> environment(const char* name) {
  const char* value = std::getenv(name);
  if (!value || !*value) return std::nullopt;
  return std::string(value);
}

}  // namespace

fs::path defaultPlannerDirectory() {
#ifdef _WIN32
  return fs::current_path().root_path() / "DTEMP";
#else
  if (auto prefix = environment("WINEPREFIX")) {
    return os::pathFromUtf8(*prefix) / "drive_c" / "DTEMP";
  }
  const fs::path home = os::pathFromUtf8(environment("HOME").value_or("."));
  return home / ".wine" / "drive_c" / "DTEMP";
#endif
}

fs::path plannerDirectory(const std::optional<std::string>& option) {
  if (option) return os::pathFromUtf8(*option);
  if (auto fromEnvironment = environment("VESTRAN_DTEMP")) {
    return os::pathFromUtf8(*fromEnvironment);
  }
  return defaultPlannerDirectory();
}

TableFormat tableFormat(const std::optional<std::string>& option) {
  const std::optional<std::string> word = option ? option : environment("VESTRAN_FORMATO");
  if (!word) return TableFormat::level7;
  const std::string lowered = asciiLower(*word);
  if (lowered == "dbase3") return TableFormat::dBase3;
  if (lowered == "nivel7") return TableFormat::level7;
  throw Error("Formato de tabla desconocido: '" + *word +
              "'. Use dbase3 o nivel7 (--formato o VESTRAN_FORMATO).");
}

}  // namespace vestran
