#pragma once

// A set of tables written together. The new tables are written in a folder beside the
// live ones and take their place only once the whole set is complete, so that the planner
// finds either the earlier set or the new one, never a mix and never half a table: an
// error half-way, a full disk or a kill leave the earlier set as it was.
//
// The final step moves the tables into place one by one, in a few milliseconds. It is
// decided by a mark written once every new table is on disk: a run killed inside the step
// leaves the mark, and the next run on the folder completes the step before anything
// else (see recoverStagedTables); a run killed before it leaves no mark, and the next run
// discards the unfinished set. While the step runs, the tables it moves are held (on
// Windows, each until it is moved), so that a planner that respects the tables' locks
// cannot open any of them.

#include <chrono>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace vestran {

class StagedTables {
 public:
  // Starts a set for the tables of `dir`, with an empty folder of its own inside `dir`.
  // Requires the folder's run lock: taking it (PlannerFolder::take) completes or discards
  // a set a stopped run left. Throws TableError.
  explicit StagedTables(const std::filesystem::path& dir);
  // Discards the set unless it was committed.
  ~StagedTables();
  StagedTables(const StagedTables&) = delete;
  StagedTables& operator=(const StagedTables&) = delete;

  // Where the set's tables are created, written and read back.
  const std::filesystem::path& folder() const { return folder_; }

  // Throws TableLockedError when another program holds one of the live tables of these
  // names; nothing is changed. Lets a run stop before its work rather than at its end.
  void requireLiveTablesFree(std::span<const std::string_view> names) const;

  // Puts every table of the set in the place of the live table of its name (removing its
  // .MDX index and copies of the name in another letter case) and returns how long the
  // final step took. Throws TableLockedError when another program holds one of the live
  // tables: then nothing has changed. Throws TableError when the step fails after it was
  // decided; the next run completes it.
  std::chrono::microseconds commit();

 private:
  std::filesystem::path dir_;
  std::filesystem::path folder_;
  bool committed_ = false;
};

// Completes the final step of a set that a stopped run decided on, or discards a set it
// did not finish. Called with the folder's run lock held, before anything else. Throws
// TableLockedError when another program holds a table that the step must replace.
void recoverStagedTables(const std::filesystem::path& dir);

}  // namespace vestran
