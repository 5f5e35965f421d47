#include "store/planner_folder.hpp"

#include "store/errors.hpp"
#include "store/staged_tables.hpp"

namespace vestran {

namespace fs = std::filesystem;

namespace {

// Left in the folder for good: removing it when a run ends would let two later runs lock
// two different files of that name.
constexpr std::string_view kLockFile = "vestran.lck";

}  // namespace

PlannerFolder PlannerFolder::take(const fs::path& dir) {
  PlannerFolder folder;
  folder.dir_ = dir;
  try {
    folder.lock_ = os::ExclusiveFile::openOrCreate(dir / std::string(kLockFile));
  } catch (const os::FileHeld&) {
    throw FolderBusyError("Otra exportación o importación está usando la carpeta del "
                          "planificador " + os::pathToUtf8(dir) +
                              "; inténtelo cuando termine.\nNo se ha modificado nada.",
                          {.file = dir});
  } catch (const os::FileError& e) {
    const auto c = e.code().default_error_condition();
    // Nothing to hold in a folder that is missing or cannot be written to: the tables
    // there cannot be replaced either, and opening them says why.
    if (c != std::errc::permission_denied && c != std::errc::read_only_file_system &&
        c != std::errc::no_such_file_or_directory) {
      throw TableError("No se puede usar la carpeta del planificador " + os::pathToUtf8(dir) +
                           ": " + e.what(),
                       {.file = dir});
    }
  }
  recoverStagedTables(dir);
  os::removeStaleTemporaries(dir);
  return folder;
}

}  // namespace vestran
