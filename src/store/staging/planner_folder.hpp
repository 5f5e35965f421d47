#pragma once

// The planner folder held for one vestran run, export or import, from its first look at
// the tables to its end: a second run on the same folder, from this process or another,
// stops at once instead of mixing its tables with this one's.

#include <filesystem>

#include "store/os/exclusive_file.hpp"

namespace vestran {

class PlannerFolder {
 public:
  // Takes the folder through the lock file vestran.lck inside it, which any user who can
  // read the folder can take. Then, before anything else, completes or discards the set
  // of tables a stopped export left (recoverStagedTables) and removes the temporary files
  // killed runs left. Throws FolderBusyError when another run holds the folder,
  // TableLockedError when a set left half-placed cannot be completed because the planner
  // holds one of its tables, and TableError when the lock cannot be had in a folder this
  // user can write to. Only a folder that is missing or that this user cannot write to
  // is taken without a lock: nothing of it can be changed.
  static PlannerFolder take(const std::filesystem::path& dir);

  const std::filesystem::path& dir() const { return dir_; }
  // True when the folder was taken without a lock (see take).
  bool unlocked() const { return unlocked_; }

 private:
  std::filesystem::path dir_;
  os::LockFile lock_;
  bool unlocked_ = false;
};

}  // namespace vestran
