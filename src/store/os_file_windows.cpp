// The file layer on Windows: share modes for exclusive opening, MoveFileEx for replacing
// in one step. Paths are passed as UTF-16, so every name works whatever the code page.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>

#include "store/os_file.hpp"

namespace vestran::os {

namespace fs = std::filesystem;

namespace {

constexpr DWORD kChunk = 1u << 30;

// Windows error codes as the portable conditions describe() knows; others stay as they
// are, with the system's own text.
std::error_code errorCode(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
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

[[noreturn]] void throwError(const std::string& what, const fs::path& path, DWORD error) {
  const std::error_code ec = errorCode(error);
  throw FileError(what + " '" + pathToUtf8(path) + "': " + describe(ec), ec);
}

[[noreturn]] void throwLastError(const std::string& what, const fs::path& path) {
  throwError(what, path, ::GetLastError());
}

bool isHeld(DWORD error) { return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION; }

// Opens without sharing; refuses folders and devices.
HANDLE openHeld(const fs::path& path, DWORD disposition) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    throw FileError("No se pudo abrir '" + pathToUtf8(path) + "': es una carpeta",
                    std::make_error_code(std::errc::is_a_directory));
  }
  HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, disposition,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_ACCESS_DENIED &&
      disposition == OPEN_EXISTING) {
    h = ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                      FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    if (isHeld(error)) throw FileHeld(pathToUtf8(path));
    throwError("No se pudo abrir", path, error);
  }
  if (::GetFileType(h) != FILE_TYPE_DISK) {
    ::CloseHandle(h);
    throw FileError("No se pudo abrir '" + pathToUtf8(path) + "': no es un archivo normal",
                    std::make_error_code(std::errc::invalid_argument));
  }
  return h;
}

void seekToStart(HANDLE h, const fs::path& path, const char* what) {
  LARGE_INTEGER zero{};
  if (!::SetFilePointerEx(h, zero, nullptr, FILE_BEGIN)) throwLastError(what, path);
}

// Windows refuses to replace a read-only file; say so before anything is written.
void requireWritable(const fs::path& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    throwError("No se pudo escribir", path, ERROR_ACCESS_DENIED);
  }
}

bool moveReplacing(const fs::path& from, const fs::path& to) {
  return ::MoveFileExW(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace

bool ExclusiveFile::isOpen() const { return handle_ != nullptr; }

void ExclusiveFile::close() noexcept {
  if (handle_) ::CloseHandle(handle_);
  handle_ = nullptr;
}

ExclusiveFile ExclusiveFile::open(const fs::path& path) {
  ExclusiveFile file;
  file.handle_ = openHeld(path, OPEN_EXISTING);
  file.path_ = path;
  return file;
}

ExclusiveFile ExclusiveFile::openOrCreate(const fs::path& path) {
  ExclusiveFile file;
  file.handle_ = openHeld(path, OPEN_ALWAYS);
  file.path_ = path;
  return file;
}

ExclusiveFile ExclusiveFile::createTemporaryBeside(const fs::path& target) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path candidate = temporaryPathFor(target);
    HANDLE h = ::CreateFileW(candidate.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                             CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      ExclusiveFile file;
      file.handle_ = h;
      file.path_ = candidate;
      return file;
    }
    if (::GetLastError() != ERROR_FILE_EXISTS) throwLastError("No se pudo crear", candidate);
  }
  throwError("No se pudo crear un archivo temporal junto a", target, ERROR_FILE_EXISTS);
}

std::string ExclusiveFile::readAll() const {
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(handle_, &size)) throwLastError("No se pudo leer", path_);
  seekToStart(handle_, path_, "No se pudo leer");
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD n = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, kChunk));
    if (!::ReadFile(handle_, bytes.data() + done, chunk, &n, nullptr)) {
      throwLastError("No se pudo leer", path_);
    }
    if (n == 0) break;
    done += n;
  }
  bytes.resize(done);
  return bytes;
}

void ExclusiveFile::writeAll(std::string_view bytes) {
  seekToStart(handle_, path_, "No se pudo escribir");
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD n = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, kChunk));
    if (!::WriteFile(handle_, bytes.data() + done, chunk, &n, nullptr)) {
      throwLastError("No se pudo escribir", path_);
    }
    done += n;
  }
  if (!::SetEndOfFile(handle_) || !::FlushFileBuffers(handle_)) {
    throwLastError("No se pudo escribir", path_);
  }
}

void ExclusiveFile::replaceContent(std::string_view bytes) {
  requireWritable(path_);
  const fs::path target = path_;
  ExclusiveFile replacement = createTemporaryBeside(target);
  TemporaryGuard guard(replacement.path_);
  replacement.writeAll(bytes);
  const fs::path temporary = replacement.path_;
  replacement.close();
  // Windows cannot replace a file that is open, so the file is let go for the move and
  // taken again at once.
  close();
  const bool moved = moveReplacing(temporary, target);
  const DWORD error = ::GetLastError();
  *this = open(target);
  if (!moved) throwError("No se pudo reemplazar", target, error);
  guard.release();
}

void writeFileAtomically(const fs::path& requested, std::string_view bytes) {
  const fs::path target = followLinks(requested);
  requireWritable(target);
  ExclusiveFile file = ExclusiveFile::createTemporaryBeside(target);
  TemporaryGuard guard(file.path());
  file.writeAll(bytes);
  const fs::path temporary = file.path();
  file.close();
  if (!moveReplacing(temporary, target)) throwLastError("No se pudo escribir", target);
  guard.release();
}

void replaceFile(const fs::path& from, const fs::path& to) {
  if (!moveReplacing(from, to)) throwLastError("No se pudo reemplazar", to);
}

void syncDirectory(const fs::path&) {}

}  // namespace vestran::os
