#include "store/staged_tables.hpp"

#include <algorithm>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "store/errors.hpp"
#include "store/fault_points.hpp"
#include "store/os_file.hpp"
#include "store/table_files.hpp"
#include "store/text.hpp"

namespace vestran {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kStagingFolder = "vestran-exportacion";
// Written once every table of the set is on disk; from then on the set replaces the live
// tables, if need be by the next run.
constexpr std::string_view kDecidedMark = "COMPLETA";

// What is held of one table while it is moved into place.
struct Held {
  std::string base;              // "ASIGT"
  fs::path staged;               // the new table
  os::ExclusiveFile newTable;    // held across the move where the system allows it
  std::vector<os::ExclusiveFile> liveTables;  // the table it replaces, in any letter case
};

// The staged tables, in a fixed order.
std::vector<fs::path> stagedTables(const fs::path& folder) {
  std::vector<fs::path> tables;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = os::pathToUtf8(it->path().filename());
    if (tableBaseName(name) + ".DBF" == asciiUpper(name)) tables.push_back(it->path());
  }
  std::sort(tables.begin(), tables.end());
  return tables;
}

TableLockedError heldByAnother(const std::string& base, const fs::path& file, bool recovering) {
  std::string message = "La tabla " + base + " (" + os::pathToUtf8(file) +
                        ") está abierta en otro programa; ciérrela y vuelva a intentarlo.";
  if (recovering) {
    message += "\nUna exportación anterior a esta carpeta se interrumpió cuando sus tablas ya "
               "estaban completas; se terminará de colocarlas entonces.";
  } else {
    message += "\nNo se ha modificado ninguna tabla.";
  }
  return TableLockedError(message, {.table = base, .file = file});
}

// Holds the live copies of the table `base`, in any letter case; throws, holding nothing,
// when another program holds one.
std::vector<os::ExclusiveFile> holdLive(const fs::path& dir, const std::string& base,
                                        bool recovering) {
  std::vector<os::ExclusiveFile> held;
  for (const fs::path& live : filesNamedIgnoringCase(dir, base + ".DBF")) {
    try {
      held.push_back(os::ExclusiveFile::open(live));
    } catch (const os::FileHeld&) {
      throw heldByAnother(base, live, recovering);
    } catch (const os::FileError&) {
      // Not a file we can open: the move replaces it or says why not.
    }
  }
  return held;
}

// Holds the live copies of every staged table; throws, holding nothing, when another
// program holds one.
std::vector<Held> holdAll(const fs::path& dir, const std::vector<fs::path>& staged,
                          bool recovering) {
  std::vector<Held> held;
  for (const fs::path& table : staged) {
    Held h;
    h.staged = table;
    h.base = tableBaseName(os::pathToUtf8(table.filename()));
    h.liveTables = holdLive(dir, h.base, recovering);
    try {
      h.newTable = os::ExclusiveFile::open(table);
    } catch (const std::exception& e) {
      throw TableError("No se puede leer la tabla nueva " + h.base + ": " + e.what(),
                       {.table = h.base, .file = table});
    }
    held.push_back(std::move(h));
  }
  return held;
}

// Moves every held table into place. Each move replaces the live table in one step.
void moveAll(const fs::path& dir, std::vector<Held>& held) {
  for (Held& h : held) {
    const fs::path target = dir / os::pathFromUtf8(h.base + ".DBF");
    for (const fs::path& other : filesNamedIgnoringCase(dir, h.base + ".DBF")) {
      std::error_code ec;
      if (!fs::equivalent(other, target, ec) && !ec) fs::remove(other, ec);
    }
    for (const fs::path& index : filesNamedIgnoringCase(dir, h.base + ".MDX")) {
      std::error_code ignored;
      fs::remove(index, ignored);
    }
#ifdef _WIN32
    // Windows moves no file that is open.
    h.newTable.close();
    h.liveTables.clear();
#endif
    try {
      os::replaceFile(h.staged, target);
    } catch (const os::FileError& e) {
      throw TableError("No se pudo colocar la tabla nueva " + h.base + ": " + e.what() +
                           "\nLas tablas nuevas ya están completas; la próxima exportación o "
                           "importación en esta carpeta terminará de colocarlas.",
                       {.table = h.base, .file = target});
    }
    faults::reach("colocar:tabla");
  }
  os::syncDirectory(dir);
}

void removeFolder(const fs::path& folder) {
  std::error_code ignored;
  fs::remove_all(folder, ignored);
}

}  // namespace

StagedTables::StagedTables(const fs::path& dir)
    : dir_(dir), folder_(dir / os::pathFromUtf8(std::string(kStagingFolder))) {
  std::error_code ec;
  // Taking the folder has completed or discarded what a stopped run left here.
  if (fs::exists(folder_, ec)) {
    throw std::logic_error("a set of tables was left in " + os::pathToUtf8(folder_) +
                           ": take the PlannerFolder before starting another");
  }
  fs::create_directories(folder_, ec);
  if (ec) {
    throw TableError("No se pudo crear la carpeta " + os::pathToUtf8(folder_) +
                         " para las tablas nuevas: " + os::describe(ec),
                     {.file = folder_});
  }
}

StagedTables::~StagedTables() {
  std::error_code ec;
  if (!committed_ && !fs::exists(folder_ / std::string(kDecidedMark), ec)) removeFolder(folder_);
}

void StagedTables::requireLiveTablesFree(std::span<const std::string_view> names) const {
  for (std::string_view name : names) holdLive(dir_, tableBaseName(name), false);
}

std::chrono::microseconds StagedTables::commit() {
  const auto start = std::chrono::steady_clock::now();
  std::vector<Held> held = holdAll(dir_, stagedTables(folder_), false);
  os::syncDirectory(folder_);
  faults::reach("colocar:antes-de-decidir");
  try {
    os::writeFileAtomically(folder_ / std::string(kDecidedMark), "");
  } catch (const os::FileError& e) {
    throw TableError(std::string("No se pudieron colocar las tablas nuevas: ") + e.what() +
                         "\nNo se ha modificado ninguna tabla.",
                     {.file = folder_});
  }
  faults::reach("colocar:decidido");
  moveAll(dir_, held);
  held.clear();
  committed_ = true;
  removeFolder(folder_);
  return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                               start);
}

void recoverStagedTables(const fs::path& dir) {
  const fs::path folder = dir / os::pathFromUtf8(std::string(kStagingFolder));
  std::error_code ec;
  if (!fs::exists(folder, ec)) return;
  if (fs::exists(folder / std::string(kDecidedMark), ec)) {
    std::vector<Held> held = holdAll(dir, stagedTables(folder), true);
    moveAll(dir, held);
  }
  removeFolder(folder);
}

}  // namespace vestran
