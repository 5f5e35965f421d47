#include "store/staging/staged_tables.hpp"

#include <algorithm>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "mensajes/Mensajes.hpp"
#include "store/errors.hpp"
#include "store/os/exclusive_file.hpp"
#include "store/os/paths.hpp"
#include "store/os/replacing.hpp"
#include "store/staging/fault_points.hpp"
#include "store/table/table.hpp"
#include "store/table/table_files.hpp"
#include "store/text.hpp"

namespace vestran {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kStagingFolder = "vestran-exportacion";
constexpr std::string_view kEarlierFolder = "vestran-tablas-anteriores";
// Inside the staging folder: the copy of the set being replaced.
constexpr std::string_view kReplacedFolder = "anterior";
// Written once every table of the set and the copy of the earlier set are on disk; from
// then on the set replaces the live tables, if need be by the next run. It lists the
// set's names, "+NAME" for a new table and "-NAME" for a live table the set removes.
constexpr std::string_view kDecidedMark = "COMPLETA";
// Written once every table is in place.
constexpr std::string_view kPlacedMark = "COLOCADAS";

// One table name of a set.
struct Entry {
  std::string base;   // "ASIGT"
  bool isNew = true;  // the set has a new table of this name; else the live one goes
};

// What is held of one table while it is moved into place.
struct Held {
  Entry entry;
  fs::path staged;                            // the new table; empty when there is none
  os::ExclusiveFile newTable;                 // held across the move where the system allows it
  std::vector<os::ExclusiveFile> liveTables;  // the table it replaces, in any letter case
};

fs::path named(const fs::path& dir, std::string_view name) {
  return dir / os::pathFromUtf8(std::string(name));
}

fs::path tableFile(const fs::path& dir, std::string_view base) {
  return named(dir, std::string(base) + ".DBF");
}

// Whether a step runs for its own set or completes one a stopped run decided on: what a
// held table's message says next differs.
enum class Step { own, recovery };

TableLockedError heldByAnother(const std::string& base, const fs::path& file, Step step) {
  return heldByAnotherProgram(
      base, file,
      step == Step::recovery
          ? "Una exportación anterior a esta carpeta se interrumpió cuando sus tablas ya "
            "estaban completas; se terminará de colocarlas entonces."
          : kNingunaTablaModificada);
}

// Holds the live copies of the table `base`, in any letter case, the exact name first;
// throws, holding nothing, when another program holds one.
std::vector<os::ExclusiveFile> holdLive(const fs::path& dir, const std::string& base, Step step) {
  std::vector<os::ExclusiveFile> held;
  for (const fs::path& live : filesNamedIgnoringCase(dir, base + ".DBF")) {
    try {
      held.push_back(os::ExclusiveFile::open(live));
    } catch (const os::FileHeld&) {
      throw heldByAnother(base, live, step);
    } catch (const os::FileError&) {
      // Not a file we can open: the move replaces it or says why not.
    }
  }
  return held;
}

// Holds the live tables of every entry and the new tables still staged; throws, holding
// nothing, when another program holds one.
std::vector<Held> holdAll(const fs::path& dir, const fs::path& folder,
                          const std::vector<Entry>& entries, Step step) {
  std::vector<Held> held;
  for (const Entry& e : entries) {
    Held h;
    h.entry = e;
    h.liveTables = holdLive(dir, e.base, step);
    std::error_code ec;
    if (e.isNew && fs::exists(tableFile(folder, e.base), ec)) {
      h.staged = tableFile(folder, e.base);
      try {
        h.newTable = os::ExclusiveFile::open(h.staged);
      } catch (const std::exception& ex) {
        throw TableError("No se puede leer la tabla nueva " + e.base + ": " + ex.what(),
                         {.table = e.base, .file = h.staged});
      }
    }
    held.push_back(std::move(h));
  }
  return held;
}

// Copies each held live table into `copies`, through the handle that holds it.
void copyLiveTables(const std::vector<Held>& held, const fs::path& copies) {
  std::error_code ec;
  fs::create_directories(copies, ec);
  if (ec) {
    throw TableError("No se pudo crear la carpeta " + os::pathForUser(copies) +
                         " para guardar las tablas anteriores: " + os::describe(ec) + "\n" +
                         std::string(kNingunaTablaModificada),
                     {.file = copies});
  }
  for (const Held& h : held) {
    if (h.liveTables.empty()) continue;
    const fs::path copy = tableFile(copies, h.entry.base);
    try {
      os::writeFileAtomically(copy, h.liveTables.front().readAll(), os::AtLink::replace);
    } catch (const os::FileError& e) {
      throw TableError("No se pudo guardar una copia de la tabla " + h.entry.base + ": " +
                           e.what() + "\n" + std::string(kNingunaTablaModificada),
                       {.table = h.entry.base, .file = copy});
    }
  }
  os::syncDirectory(copies);
}

std::string markText(const std::vector<Entry>& entries) {
  std::string text;
  for (const Entry& e : entries) text += (e.isNew ? "+" : "-") + e.base + "\n";
  return text;
}

// The entries a decided mark lists; for a mark without a list, the staged tables.
std::vector<Entry> entriesOfMark(const fs::path& folder) {
  std::vector<Entry> entries;
  std::string text;
  try {
    text = os::readWholeFile(named(folder, kDecidedMark));
  } catch (const os::FileError&) {
  }
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    const std::string_view line = std::string_view(text).substr(start, end - start);
    if (line.size() > 1 && (line[0] == '+' || line[0] == '-')) {
      entries.push_back({tableBaseName(line.substr(1)), line[0] == '+'});
    }
    start = end + 1;
  }
  if (!entries.empty()) return entries;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = os::pathToUtf8(it->path().filename());
    if (tableBaseName(name) + ".DBF" == asciiUpper(name))
      entries.push_back({tableBaseName(name), true});
  }
  std::sort(entries.begin(), entries.end(),
            [](const Entry& a, const Entry& b) { return a.base < b.base; });
  return entries;
}

void writeMark(const fs::path& folder, std::string_view mark, std::string_view text) {
  try {
    os::writeFileAtomically(named(folder, mark), text, os::AtLink::replace);
  } catch (const os::FileError& e) {
    throw TableError(std::string("No se pudieron colocar las tablas nuevas: ") + e.what() + "\n" +
                         std::string(kNingunaTablaModificada),
                     {.file = folder});
  }
}

// Moves every held table into place, each in one step, and removes the live tables the
// set does not have.
void moveAll(const fs::path& dir, std::vector<Held>& held) {
  for (Held& h : held) {
    const std::string& base = h.entry.base;
    // A new table already moved by a stopped run: nothing left to do for it.
    if (h.entry.isNew && h.staged.empty()) continue;
    const fs::path target = tableFile(dir, base);
    // Windows moves and removes no file that is open.
    if (!os::kRenamesOpenFiles) {
      h.newTable.close();
      h.liveTables.clear();
    }
    for (const fs::path& other : filesNamedIgnoringCase(dir, base + ".DBF")) {
      std::error_code ec;
      if (h.entry.isNew && fs::equivalent(other, target, ec) && !ec) continue;
      if (!fs::remove(other, ec) && ec) {
        throw TableError("No se pudo quitar la tabla " + os::pathForUser(other) + ": " +
                             os::describe(ec) +
                             "\nLas tablas nuevas ya están completas; la "
                             "próxima exportación o importación en esta carpeta terminará de "
                             "colocarlas.",
                         {.table = base, .file = other, .cause = ec});
      }
    }
    for (const fs::path& index : filesNamedIgnoringCase(dir, base + ".MDX")) {
      std::error_code ignored;
      fs::remove(index, ignored);
    }
    if (!h.entry.isNew) continue;
    try {
      os::replaceFile(h.staged, target);
    } catch (const os::FileError& e) {
      throw TableError("No se pudo colocar la tabla nueva " + base + ": " + e.what() +
                           "\nLas tablas nuevas ya están completas; la próxima exportación o "
                           "importación en esta carpeta terminará de colocarlas.",
                       {.table = base, .file = target});
    }
    faults::reach("colocar:tabla");
  }
  os::syncDirectory(dir);
}

// The copy of the replaced set becomes the earlier generation, in place of the one before;
// a set that replaced no table leaves no earlier generation.
void keepReplacedAsEarlier(const fs::path& dir, const fs::path& folder) {
  const fs::path replaced = named(folder, kReplacedFolder);
  const fs::path earlier = named(dir, kEarlierFolder);
  std::error_code ec;
  if (!fs::exists(replaced, ec)) return;
  os::removeFolder(earlier);
  faults::reach("colocar:sin-anteriores");
  if (fs::is_empty(replaced, ec)) {
    fs::remove(replaced, ec);
    os::syncDirectory(dir);
    return;
  }
  try {
    os::replaceFile(replaced, earlier);
  } catch (const os::FileError& e) {
    throw TableError("No se pudieron guardar las tablas anteriores en " + os::pathForUser(earlier) +
                         ": " + e.what() +
                         "\nLas tablas nuevas ya están en su sitio; la próxima exportación o "
                         "importación en esta carpeta terminará de guardar las anteriores.",
                     {.file = earlier});
  }
  os::syncDirectory(dir);
}

// Completes a decided set: the moves (unless done), then the earlier generation.
void completeDecided(const fs::path& dir, const fs::path& folder, std::vector<Held> held) {
  std::error_code ec;
  if (!fs::exists(named(folder, kPlacedMark), ec)) {
    moveAll(dir, held);
    held.clear();
    writeMark(folder, kPlacedMark, "");
  }
  held.clear();
  keepReplacedAsEarlier(dir, folder);
}

void removeFolder(const fs::path& folder) { os::removeFolder(folder); }

// Refuses a file or a link bearing the name of one of vestran's folders: it is someone
// else's, and must be neither removed nor written into.
void requireOwnFolder(const fs::path& dir, std::string_view name, std::string_view purpose) {
  std::error_code ec;
  const fs::file_status status = fs::symlink_status(named(dir, name), ec);
  if (!fs::exists(status) || fs::is_directory(status)) return;
  throw TableError("En la carpeta del planificador " + os::pathForUser(dir) +
                       " hay un archivo o un enlace llamado " + std::string(name) +
                       ", el nombre que vestran usa para " + std::string(purpose) +
                       ". Cámbielo de nombre o bórrelo y vuelva a intentarlo.\n" +
                       std::string(kNadaModificado),
                   {.file = named(dir, name)});
}

}  // namespace

StagedTables::StagedTables(const fs::path& dir, std::span<const std::string_view> names)
    : dir_(dir), folder_(named(dir, kStagingFolder)) {
  for (std::string_view n : names) names_.push_back(tableBaseName(n));
  std::error_code ec;
  // Taking the folder has completed or discarded what a stopped run left here.
  if (fs::exists(fs::symlink_status(folder_, ec))) {
    throw TableError("No se pudo vaciar la carpeta " + os::pathForUser(folder_) +
                         ", que queda de una exportación anterior. Bórrela y vuelva a "
                         "intentarlo.\n" +
                         std::string(kNingunaTablaModificada),
                     {.file = folder_});
  }
  fs::create_directories(folder_, ec);
  if (ec) {
    throw TableError("No se pudo crear la carpeta " + os::pathForUser(folder_) +
                         " para las tablas nuevas: " + os::describe(ec) + "\n" +
                         std::string(kNingunaTablaModificada),
                     {.file = folder_});
  }
}

StagedTables::~StagedTables() {
  std::error_code ec;
  if (!committed_ && !fs::exists(named(folder_, kDecidedMark), ec)) removeFolder(folder_);
}

void StagedTables::requireLiveTablesFree() const {
  for (const std::string& name : names_) holdLive(dir_, name, Step::own);
}

std::chrono::microseconds StagedTables::commit() {
  const auto start = std::chrono::steady_clock::now();
  std::vector<Entry> entries;
  for (const std::string& name : names_) {
    std::error_code ec;
    entries.push_back({name, fs::exists(tableFile(folder_, name), ec)});
  }
  std::vector<Held> held = holdAll(dir_, folder_, entries, Step::own);
  copyLiveTables(held, named(folder_, kReplacedFolder));
  os::syncDirectory(folder_);
  faults::reach("colocar:antes-de-decidir");
  writeMark(folder_, kDecidedMark, markText(entries));
  faults::reach("colocar:decidido");
  completeDecided(dir_, folder_, std::move(held));
  committed_ = true;
  removeFolder(folder_);
  return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                               start);
}

void recoverStagedTables(const fs::path& dir) {
  requireOwnFolder(dir, kStagingFolder, "preparar las tablas nuevas");
  requireOwnFolder(dir, kEarlierFolder, "guardar las tablas anteriores");
  const fs::path folder = named(dir, kStagingFolder);
  std::error_code ec;
  if (!fs::exists(folder, ec)) return;
  if (fs::exists(named(folder, kDecidedMark), ec)) {
    const std::vector<Entry> entries = entriesOfMark(folder);
    completeDecided(dir, folder, holdAll(dir, folder, entries, Step::recovery));
  }
  removeFolder(folder);
}

std::vector<std::string> earlierTables(const fs::path& dir) {
  std::vector<std::string> tables;
  std::error_code ec;
  const fs::path earlier = named(dir, kEarlierFolder);
  if (!fs::is_directory(fs::symlink_status(earlier, ec))) return tables;
  for (fs::directory_iterator it(earlier, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = os::pathToUtf8(it->path().filename());
    if (tableBaseName(name) + ".DBF" == asciiUpper(name)) tables.push_back(tableBaseName(name));
  }
  std::sort(tables.begin(), tables.end());
  return tables;
}

void restoreEarlierTables(const fs::path& dir, std::span<const std::string_view> names) {
  const std::vector<std::string> tables = earlierTables(dir);
  if (tables.empty()) {
    throw TableError("En la carpeta del planificador " + os::pathForUser(dir) +
                         " no hay tablas anteriores que restaurar: vestran guarda las que "
                         "reemplaza cada exportación, y aquí aún no ha reemplazado ninguna.\n" +
                         std::string(kNingunaTablaModificada),
                     {.file = dir});
  }
  StagedTables set(dir, names);
  const fs::path earlier = named(dir, kEarlierFolder);
  for (const std::string& base : tables) {
    if (std::none_of(names.begin(), names.end(),
                     [&](std::string_view n) { return tableBaseName(n) == base; })) {
      continue;
    }
    try {
      os::writeFileAtomically(tableFile(set.folder(), base),
                              os::readWholeFile(tableFile(earlier, base)), os::AtLink::replace);
    } catch (const os::FileError& e) {
      throw TableError("No se pudo leer la tabla anterior " + base + ": " + e.what() + "\n" +
                           std::string(kNingunaTablaModificada),
                       {.table = base, .file = tableFile(earlier, base)});
    }
  }
  set.commit();
}

}  // namespace vestran
