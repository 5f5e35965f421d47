#pragma once

// The planner folder held for one vestran run, export or import, from its first look at
// the tables to its end: a second run on the same folder, from this process or another,
// stops at once instead of mixing its tables with this one's.

#include <filesystem>

#include "store/os_file.hpp"

namespace vestran {

class PlannerFolder {
 public:
  // Takes the folder through the lock file vestran.lck inside it (the folder must exist).
  // Then, before anything else, completes or discards the set of tables a stopped export
  // left (recoverStagedTables) and removes the temporary files killed runs left.
  // Throws FolderBusyError when another run holds the folder, and TableLockedError when a
  // set left half-placed cannot be completed because the planner holds one of its tables.
  // A folder that is missing or in which no file can be created is taken without a lock.
  static PlannerFolder take(const std::filesystem::path& dir);

  const std::filesystem::path& dir() const { return dir_; }

 private:
  std::filesystem::path dir_;
  os::ExclusiveFile lock_;
};

}  // namespace vestran
