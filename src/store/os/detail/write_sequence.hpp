#pragma once

// The one sequence by which a file gets new content, shared by ExclusiveFile and the
// whole-file writes.

#include <filesystem>
#include <functional>
#include <span>
#include <string_view>

#include "store/os/detail/native_file.hpp"

namespace vestran::os::detail {

// A new temporary file beside `target`, held from its creation, takes the pieces one after
// another and is made
// durable; `beforeRename` (may be empty) then lets go of what must not stay open across a
// rename on Windows; the temporary takes the name `target` in one step (a link of that
// name is replaced, not followed) and the folder is made durable. Returns the new file,
// still held where the system can rename open files, closed otherwise. A failure at any
// step leaves the target as it was and removes the temporary. Throws FileError.
NativeFile writeThroughTemporary(const std::filesystem::path& target,
                                 std::span<const std::string_view> pieces,
                                 const std::function<void()>& beforeRename);
// The same, with errors that may name the temporary file.
NativeFile writeTemporaryAndRename(const std::filesystem::path& target,
                                   std::span<const std::string_view> pieces,
                                   const std::function<void()>& beforeRename);

}  // namespace vestran::os::detail
