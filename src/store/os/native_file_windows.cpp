// The file primitives on Windows: share modes for holding, MoveFileEx for replacing in
// one step. Paths are passed as UTF-16, so every name works whatever the code page.
// Antivirus programs, the search indexer and backup clients open a file just written for a
// moment; the operations that meet such a hold try again for about two seconds.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <array>

#include "store/os/detail/native_file.hpp"
#include "store/os/file_error.hpp"
#include "store/os/paths.hpp"

namespace vestran::os::detail {

namespace fs = std::filesystem;

namespace {

constexpr DWORD kChunk = 1u << 30;
// The pauses between attempts at a held file: about two seconds in all.
constexpr std::array<DWORD, 10> kPauses = {10, 20, 40, 80, 160, 250, 300, 350, 400, 450};

// Windows error codes as the portable conditions describe() knows; others stay as they
// are, with the system's own text.
std::error_code errorCode(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      return std::make_error_code(std::errc::no_such_file_or_directory);
    case ERROR_ACCESS_DENIED:
      return std::make_error_code(std::errc::permission_denied);
    case ERROR_WRITE_PROTECT:
      return std::make_error_code(std::errc::read_only_file_system);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return std::make_error_code(std::errc::no_space_on_device);
    case ERROR_DIRECTORY:
      return std::make_error_code(std::errc::not_a_directory);
    case ERROR_FILENAME_EXCED_RANGE:
      return std::make_error_code(std::errc::filename_too_long);
    case ERROR_TOO_MANY_OPEN_FILES:
      return std::make_error_code(std::errc::too_many_files_open);
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return std::make_error_code(std::errc::not_enough_memory);
    default:
      return {static_cast<int>(error), std::system_category()};
  }
}

[[noreturn]] void fail(const char* what, const fs::path& path, DWORD error) {
  throwFileError(what, path, errorCode(error));
}

bool isHeld(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// What a program that holds a file for a moment makes an operation fail with.
bool isTransient(DWORD error) { return isHeld(error) || error == ERROR_ACCESS_DENIED; }

// Runs `attempt` (which returns 0 on success, the error otherwise) until it succeeds, it
// fails in a way no waiting mends, or about two seconds have passed.
template <typename Attempt>
DWORD withRetries(WhenHeld whenHeld, Attempt attempt) {
  DWORD error = attempt();
  for (DWORD pause : kPauses) {
    if (error == 0 || whenHeld == WhenHeld::fail || !isTransient(error)) break;
    ::Sleep(pause);
    error = attempt();
  }
  return error;
}

HANDLE handleOf(std::intptr_t h) { return reinterpret_cast<HANDLE>(h); }

void refuseFolder(const fs::path& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    throwFileError("No se pudo abrir", path, std::make_error_code(std::errc::is_a_directory));
  }
}

// Closes `h` and throws when it is no file on a disk (a pipe, a device).
void requireDiskFile(HANDLE h, const fs::path& path) {
  if (::GetFileType(h) != FILE_TYPE_DISK) {
    ::CloseHandle(h);
    throwFileError("No se pudo abrir", path, std::make_error_code(std::errc::invalid_argument));
  }
}

// How a file is opened: the access asked for and what to do when it is missing or there.
struct Opening {
  DWORD access;
  DWORD disposition;
};

// Opens the file for this process alone (no sharing) as `wanted` says, or as `denied` says
// when access is denied; a transient hold is retried as `whenHeld` says. Throws FileHeld
// when another program holds it, FileError for anything else (a folder, a pipe, a device).
HANDLE openUnshared(const fs::path& path, WhenHeld whenHeld, Opening wanted, Opening denied,
                    DWORD flags) {
  refuseFolder(path);
  HANDLE h = INVALID_HANDLE_VALUE;
  const DWORD error = withRetries(whenHeld, [&]() -> DWORD {
    h = ::CreateFileW(path.c_str(), wanted.access, 0, nullptr, wanted.disposition, flags, nullptr);
    if (h == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_ACCESS_DENIED) {
      h = ::CreateFileW(path.c_str(), denied.access, 0, nullptr, denied.disposition, flags,
                        nullptr);
    }
    return h == INVALID_HANDLE_VALUE ? ::GetLastError() : 0;
  });
  if (h == INVALID_HANDLE_VALUE) {
    if (isHeld(error)) throw FileHeld(pathToUtf8(path));
    fail("No se pudo abrir", path, error);
  }
  requireDiskFile(h, path);
  return h;
}

void seekTo(HANDLE h, std::uint64_t offset, const fs::path& path, const char* what) {
  LARGE_INTEGER to{};
  to.QuadPart = static_cast<LONGLONG>(offset);
  if (!::SetFilePointerEx(h, to, nullptr, FILE_BEGIN)) fail(what, path, ::GetLastError());
}

}  // namespace

void NativeFile::close() noexcept {
  if (handle_ != kClosed) ::CloseHandle(handleOf(handle_));
  handle_ = kClosed;
}

NativeFile NativeFile::openHeld(const fs::path& path, WhenHeld whenHeld) {
  // A read-only file is held for reading.
  const HANDLE h = openUnshared(path, whenHeld, {GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING},
                                {GENERIC_READ, OPEN_EXISTING}, FILE_ATTRIBUTE_NORMAL);
  return NativeFile(reinterpret_cast<std::intptr_t>(h), path);
}

NativeFile NativeFile::openForReading(const fs::path& path) {
  refuseFolder(path);
  HANDLE h = INVALID_HANDLE_VALUE;
  const DWORD error = withRetries(WhenHeld::retry, [&]() -> DWORD {
    h = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return h == INVALID_HANDLE_VALUE ? ::GetLastError() : 0;
  });
  if (h == INVALID_HANDLE_VALUE) fail("No se pudo abrir", path, error);
  requireDiskFile(h, path);
  return NativeFile(reinterpret_cast<std::intptr_t>(h), path);
}

std::optional<NativeFile> NativeFile::createHeld(const fs::path& path) {
  HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_EXISTS) return std::nullopt;
    fail("No se pudo crear", path, error);
  }
  return NativeFile(reinterpret_cast<std::intptr_t>(h), path);
}

NativeFile NativeFile::takeLock(const fs::path& path) {
  // Read access and no sharing: any user who may read the folder can take it, and creates
  // it when missing where the folder allows. A link of that name is opened as the link,
  // not followed.
  const HANDLE h = openUnshared(path, WhenHeld::retry, {GENERIC_READ, OPEN_ALWAYS},
                                {GENERIC_READ, OPEN_EXISTING},
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT);
  return NativeFile(reinterpret_cast<std::intptr_t>(h), path);
}

std::uint64_t NativeFile::size() const {
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(handleOf(handle_), &size)) fail("No se pudo leer", path_, ::GetLastError());
  return static_cast<std::uint64_t>(size.QuadPart);
}

std::string NativeFile::read(std::uint64_t offset, std::size_t length) const {
  std::string bytes(length, '\0');
  bytes.resize(readInto(offset, bytes.data(), length));
  return bytes;
}

std::size_t NativeFile::readInto(std::uint64_t offset, char* buffer, std::size_t length) const {
  seekTo(handleOf(handle_), offset, path_, "No se pudo leer");
  std::size_t done = 0;
  while (done < length) {
    DWORD n = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(length - done, kChunk));
    if (!::ReadFile(handleOf(handle_), buffer + done, chunk, &n, nullptr)) {
      fail("No se pudo leer", path_, ::GetLastError());
    }
    if (n == 0) break;
    done += n;
  }
  return done;
}

void NativeFile::writeAllAndSync(std::span<const std::string_view> pieces) {
  seekTo(handleOf(handle_), 0, path_, "No se pudo escribir");
  for (std::string_view bytes : pieces) {
    std::size_t done = 0;
    while (done < bytes.size()) {
      DWORD n = 0;
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, kChunk));
      if (!::WriteFile(handleOf(handle_), bytes.data() + done, chunk, &n, nullptr)) {
        fail("No se pudo escribir", path_, ::GetLastError());
      }
      done += n;
    }
  }
  if (!::SetEndOfFile(handleOf(handle_)) || !::FlushFileBuffers(handleOf(handle_))) {
    fail("No se pudo escribir", path_, ::GetLastError());
  }
}

void NativeFile::copyPermissionsFrom(const fs::path&) {
  // A new file takes the folder's permissions, as the one it replaces did.
}

void renameReplacing(const fs::path& from, const fs::path& to) {
  const DWORD error = withRetries(WhenHeld::retry, [&]() -> DWORD {
    return ::MoveFileExW(from.c_str(), to.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? 0
               : ::GetLastError();
  });
  if (error != 0) fail("No se pudo reemplazar", to, error);
}

void requireWritable(const fs::path& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    fail("No se pudo escribir", path, ERROR_ACCESS_DENIED);
  }
}

void syncDirectory(const fs::path&) {
  // MOVEFILE_WRITE_THROUGH has made each rename durable.
}

bool canCreateIn(const fs::path& dir) {
  const fs::path probe = dir / L"vestran-prueba-de-escritura.tmp";
  HANDLE h = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (h == INVALID_HANDLE_VALUE) return ::GetLastError() == ERROR_FILE_EXISTS;
  ::CloseHandle(h);
  return true;
}

}  // namespace vestran::os::detail
