#include "store/staging/planner_folder.hpp"

#include "store/errors.hpp"
#include "store/os/paths.hpp"
#include "store/os/replacing.hpp"
#include "store/staging/staged_tables.hpp"

namespace vestran {

namespace fs = std::filesystem;

namespace {

// Left in the folder for good: removing it when a run ends would let two later runs lock
// two different files of that name.
constexpr std::string_view kLockFile = "vestran.lck";

std::string otraEjecucion(const fs::path& dir) {
  return "Otra exportación o importación está usando la carpeta del planificador " +
         os::pathForUser(dir) + "; inténtelo cuando termine.\nNo se ha modificado nada.";
}

}  // namespace

PlannerFolder PlannerFolder::take(const fs::path& dir) {
  PlannerFolder folder;
  folder.dir_ = dir;
  const fs::path lockPath = dir / std::string(kLockFile);
  try {
    folder.lock_ = os::LockFile::take(lockPath);
  } catch (const os::FileHeld&) {
    throw FolderBusyError(otraEjecucion(dir), {.file = dir});
  } catch (const os::FileError& e) {
    const auto c = e.code().default_error_condition();
    // A folder this user cannot write to: nothing of it can be replaced, and opening its
    // tables says so; such a run changes nothing there and needs no lock.
    const bool missing = c == std::errc::no_such_file_or_directory;
    if ((missing || c == std::errc::permission_denied || c == std::errc::read_only_file_system) &&
        !os::canCreateFilesIn(dir)) {
      folder.unlocked_ = true;
    } else if (c == std::errc::too_many_symbolic_link_levels) {
      throw TableError("En la carpeta del planificador " + os::pathForUser(dir) +
                           " hay un enlace llamado " + std::string(kLockFile) +
                           " donde vestran guarda su marca de uso. Bórrelo y vuelva a "
                           "intentarlo.\nNo se ha modificado nada.",
                       {.file = lockPath});
    } else {
      throw TableError("No se puede usar la carpeta del planificador " + os::pathForUser(dir) +
                           ": vestran no puede abrir su marca de uso " + os::pathForUser(lockPath) +
                           " (" + os::describe(e.code()) +
                           "). Si la creó otro usuario, pídale a él o a quien administra el "
                           "equipo que la borre.\nNo se ha modificado nada.",
                       {.file = lockPath});
    }
  }
  if (!folder.unlocked_) {
    recoverStagedTables(dir);
    os::removeStaleTemporaries(dir);
  }
  return folder;
}

}  // namespace vestran
