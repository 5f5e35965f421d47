#pragma once

// A set of tables written together. The new tables are written in a folder beside the
// live ones and take their place only once the whole set is complete, so that the planner
// finds either the earlier set or the new one, never a mix and never half a table: an
// error half-way, a full disk or a kill leave the earlier set as it was.
//
// The set it replaces is kept as the earlier generation, in a folder of its own beside the
// live tables, so that it can be put back (restoreEarlierTables); a restore is a set of
// tables like any other, so a second restore brings the newer set back.
//
// The final step moves the tables into place one by one, in a few milliseconds. It is
// decided by a mark written once every new table and the copy of the earlier set are on
// disk: a run killed inside the step leaves the mark, and the next run on the folder
// completes the step before anything else (see recoverStagedTables); a run killed before
// it leaves no mark, and the next run discards the unfinished set. While the step runs,
// the tables it moves are held (on Windows, each until it is moved), so that a planner
// that respects the tables' locks cannot open any of them. Files of the folder that are
// not tables of the set (SOLUC, the planner's own) are never touched.

#include <chrono>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vestran {

class StagedTables {
 public:
  // Starts a set of the tables `names` of `dir` (every table of the set, also those this
  // set will not have), with an empty folder of its own inside `dir`. Requires the
  // folder's run lock: taking it (PlannerFolder::take) completes or discards a set a
  // stopped run left. Throws TableError.
  StagedTables(const std::filesystem::path& dir, std::span<const std::string_view> names);
  // Discards the set unless it was committed.
  ~StagedTables();
  StagedTables(const StagedTables&) = delete;
  StagedTables& operator=(const StagedTables&) = delete;

  // Where the set's tables are created, written and read back.
  const std::filesystem::path& folder() const { return folder_; }

  // Throws TableLockedError when another program holds one of the live tables of the
  // set; nothing is changed. Lets a run stop before its work rather than at its end.
  void requireLiveTablesFree() const;

  // Puts every table of the set in the place of the live table of its name (removing its
  // .MDX index and copies of the name in another letter case), removes the live tables of
  // the set's names that the set does not have, and keeps the tables replaced as the
  // earlier generation. Returns how long the final step took. Throws TableLockedError
  // when another program holds one of the live tables: then nothing has changed. Throws
  // TableError when the step fails after it was decided; the next run completes it.
  std::chrono::microseconds commit();

 private:
  std::filesystem::path dir_;
  std::filesystem::path folder_;
  std::vector<std::string> names_;
  bool committed_ = false;
};

// Completes the final step of a set that a stopped run decided on, or discards a set it
// did not finish. Called with the folder's run lock held, before anything else. Throws
// TableLockedError when another program holds a table that the step must replace, and
// TableError when the folder holds a file of the name vestran stages its sets in.
void recoverStagedTables(const std::filesystem::path& dir);

// The tables of the earlier generation kept in `dir`, by name; empty when there is none.
std::vector<std::string> earlierTables(const std::filesystem::path& dir);

// Puts the earlier generation of the tables `names` back in place of the live ones, all or
// nothing, keeping the live ones as the earlier generation. Requires the folder's run
// lock. Throws TableError when there is no earlier generation (nothing is changed), and as
// StagedTables::commit does.
void restoreEarlierTables(const std::filesystem::path& dir,
                          std::span<const std::string_view> names);

}  // namespace vestran
