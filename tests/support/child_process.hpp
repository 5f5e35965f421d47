#pragma once

// Running part of a test in a child process of its own (POSIX only): to let the disk
// "fill up" under it, or to stop it at a point of its work.

#include <cstdint>
#include <functional>
#include <optional>

namespace vestran::test {

// Runs `body` in a forked child and returns its exit code (body's result), or minus the
// signal that ended it. With `fileSizeLimit`, no file can grow past that many bytes in
// the child: writes beyond fail as on a full disk.
int inChildProcess(const std::function<int()>& body,
                   std::optional<std::uint64_t> fileSizeLimit = std::nullopt);

// Caps the address space of the calling (child) process at `bytes`, so that a run that
// would need gigabytes fails there. Under AddressSanitizer, whose shadow memory alone
// takes terabytes of address space, it leaves the limit alone.
void limitAddressSpace(std::uint64_t bytes);

}  // namespace vestran::test
