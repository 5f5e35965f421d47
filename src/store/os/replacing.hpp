#pragma once

// Writing whole files in one step, so that a failure or a crash leaves the earlier file or
// the new one and never half of one; the temporary files that make it possible; and
// reading whole files.

#include <cstdint>
#include <filesystem>
#include <limits>
#include <span>
#include <string>
#include <string_view>

#include "store/os/file_error.hpp"

namespace vestran::os {

// Whether the system can rename a file that is open (Windows cannot).
#ifdef _WIN32
inline constexpr bool kRenamesOpenFiles = false;
#else
inline constexpr bool kRenamesOpenFiles = true;
#endif

// What a write does when the name it writes is a symbolic link.
enum class AtLink {
  follow,   // the link's target gets the new content (the status file: users link it)
  replace,  // the link itself is replaced by a new file, and what it pointed to stays
};

// Writes `bytes` to `target` through a temporary file beside it, which is made durable and
// then takes the target's name in one step: a failure or a crash leaves the earlier file
// intact and no temporary behind. Refuses a target marked read-only. Throws FileError.
void writeFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                         AtLink atLink);
// The same with the content given in pieces, written one after another.
void writeFileAtomically(const std::filesystem::path& target,
                         std::span<const std::string_view> pieces, AtLink atLink);

// Gives `from` the name `to` in one step, replacing any file of that name; both lie in
// one folder. Throws FileError; then both files are as they were.
void replaceFile(const std::filesystem::path& from, const std::filesystem::path& to);

// Makes the renames and removals in the folder durable. Throws FileError.
void syncDirectory(const std::filesystem::path& dir);

// Whether this process may create files in the folder.
bool canCreateFilesIn(const std::filesystem::path& dir);

// Where a chain of symbolic links finally leads; the path itself when it is no link.
// Throws FileError for a loop.
std::filesystem::path followLinks(const std::filesystem::path& path);

// The whole content of a regular file (a link is followed). Throws FileError when it is
// missing, not a regular file (a folder, a named pipe, a device), cannot be read, or is
// larger than `maxBytes` (the code is then std::errc::value_too_large, and nothing was
// read); std::bad_alloc when it does not fit in memory.
std::string readWholeFile(const std::filesystem::path& path,
                          std::uint64_t maxBytes = std::numeric_limits<std::uint64_t>::max());

// The temporary files vestran writes beside a target are named
// "<target's name>.vestran-<8 letters or digits>.tmp".
std::filesystem::path temporaryPathFor(const std::filesystem::path& target);
// Whether a file name has that form; with `target` not empty, for that target only.
bool isTemporaryName(std::string_view fileName, std::string_view target = {});

// Removes the temporary files of vestran's naming in `dir` (those of `target` only, when
// given) that no live process holds: the litter of runs that were killed. Never throws.
void removeStaleTemporaries(const std::filesystem::path& dir, std::string_view target = {});

// Removes a folder and what it holds, as far as it can: an entry that cannot be removed
// is left, and so is the folder then. Never throws, and never loops: each entry is tried
// once (the library's own removal can spin on an entry it cannot read, as with a path
// past 260 characters on Windows).
void removeFolder(const std::filesystem::path& folder);

// Removes a temporary file when it goes out of scope, unless it was put in place.
class TemporaryGuard {
 public:
  explicit TemporaryGuard(std::filesystem::path path) : path_(std::move(path)) {}
  ~TemporaryGuard() {
    if (!path_.empty()) {
      std::error_code ignored;
      std::filesystem::remove(path_, ignored);
    }
  }
  void release() { path_.clear(); }
  TemporaryGuard(const TemporaryGuard&) = delete;
  TemporaryGuard& operator=(const TemporaryGuard&) = delete;

 private:
  std::filesystem::path path_;
};

}  // namespace vestran::os
