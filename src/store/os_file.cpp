#include "store/os_file.hpp"

#include <algorithm>
#include <random>
#include <system_error>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace vestran::os {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void throwLastError(const std::string& what, const fs::path& path) {
#ifdef _WIN32
  const std::error_code ec(static_cast<int>(::GetLastError()), std::system_category());
#else
  const std::error_code ec(errno, std::generic_category());
#endif
  throw FileError(what + " '" + pathToUtf8(path) + "': " + describe(ec), ec);
}

std::string uniqueSuffix() {
  static std::mt19937_64 generator{std::random_device{}()};
  static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::string s;
  for (int i = 0; i < 8; ++i) s += kDigits[generator() % 36];
  return s;
}

// Removes a temporary file unless it was put in place.
class TemporaryGuard {
 public:
  explicit TemporaryGuard(fs::path path) : path_(std::move(path)) {}
  ~TemporaryGuard() {
    if (!path_.empty()) {
      std::error_code ignored;
      fs::remove(path_, ignored);
    }
  }
  void release() { path_.clear(); }
  TemporaryGuard(const TemporaryGuard&) = delete;
  TemporaryGuard& operator=(const TemporaryGuard&) = delete;

 private:
  fs::path path_;
};

}  // namespace

std::string describe(std::error_code code) {
  const std::error_condition c = code.default_error_condition();
  if (c == std::errc::no_such_file_or_directory) return "no existe el archivo o la carpeta";
  if (c == std::errc::permission_denied || c == std::errc::operation_not_permitted) {
    return "no hay permiso para hacerlo";
  }
  if (c == std::errc::read_only_file_system) return "el disco es de solo lectura";
  if (c == std::errc::no_space_on_device) return "no queda espacio en el disco";
  if (c == std::errc::is_a_directory) return "es una carpeta";
  if (c == std::errc::not_a_directory) return "una parte de la ruta no es una carpeta";
  if (c == std::errc::filename_too_long) return "la ruta es demasiado larga";
  if (c == std::errc::too_many_files_open) return "hay demasiados archivos abiertos";
  if (c == std::errc::io_error) return "error de entrada/salida del disco";
  return "error del sistema " + std::to_string(code.value()) + " (" + code.message() + ")";
}

fs::path pathFromUtf8(std::string_view utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string pathToUtf8(const fs::path& path) {
  const std::u8string s = path.u8string();
  return std::string(s.begin(), s.end());
}

ExclusiveFile::~ExclusiveFile() { close(); }

ExclusiveFile::ExclusiveFile(ExclusiveFile&& other) noexcept { *this = std::move(other); }

#ifdef _WIN32

ExclusiveFile& ExclusiveFile::operator=(ExclusiveFile&& other) noexcept {
  if (this != &other) {
    close();
    handle_ = other.handle_;
    path_ = std::move(other.path_);
    other.handle_ = nullptr;
  }
  return *this;
}

bool ExclusiveFile::isOpen() const { return handle_ != nullptr; }

void ExclusiveFile::close() noexcept {
  if (handle_) ::CloseHandle(handle_);
  handle_ = nullptr;
}

ExclusiveFile ExclusiveFile::open(const fs::path& path) {
  HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_ACCESS_DENIED) {
    h = ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                      FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) {
      throw FileHeld(pathToUtf8(path));
    }
    throwLastError("No se pudo abrir", path);
  }
  ExclusiveFile file;
  file.handle_ = h;
  file.path_ = path;
  return file;
}

ExclusiveFile ExclusiveFile::createBeside(const fs::path& target, fs::path& created) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path candidate = target;
    candidate += ".tmp-" + uniqueSuffix();
    HANDLE h = ::CreateFileW(candidate.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                             CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      ExclusiveFile file;
      file.handle_ = h;
      file.path_ = candidate;
      created = candidate;
      return file;
    }
    if (::GetLastError() != ERROR_FILE_EXISTS) throwLastError("No se pudo crear", candidate);
  }
  throwLastError("No se pudo crear un archivo temporal junto a", target);
}

std::string ExclusiveFile::readAll() const {
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(handle_, &size)) throwLastError("No se pudo leer", path_);
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  LARGE_INTEGER zero{};
  ::SetFilePointerEx(handle_, zero, nullptr, FILE_BEGIN);
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD n = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 30));
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
  LARGE_INTEGER zero{};
  ::SetFilePointerEx(handle_, zero, nullptr, FILE_BEGIN);
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD n = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 30));
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
  // Windows cannot rename over a file that is open, so the table is let go for the rename
  // and taken again at once.
  const fs::path target = path_;
  fs::path temporary;
  ExclusiveFile replacement = createBeside(target, temporary);
  TemporaryGuard guard(temporary);
  replacement.writeAll(bytes);
  replacement.close();
  close();
  const BOOL moved = ::MoveFileExW(temporary.c_str(), target.c_str(),
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  const DWORD error = ::GetLastError();
  *this = open(target);
  if (!moved) {
    ::SetLastError(error);
    throwLastError("No se pudo reemplazar", target);
  }
  guard.release();
}

void writeFileAtomically(const fs::path& target, std::string_view bytes) {
  fs::path temporary;
  ExclusiveFile file = ExclusiveFile::createBeside(target, temporary);
  TemporaryGuard guard(temporary);
  file.writeAll(bytes);
  file.close();
  if (!::MoveFileExW(temporary.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    throwLastError("No se pudo escribir", target);
  }
  guard.release();
}

#else

namespace {

// Takes a lock over the whole file that other processes (and other opens in this one) see.
bool lockWholeFile(int fd, short type) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = 0;
  lock.l_len = 0;
#ifdef F_OFD_SETLK
  return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
#else
  return ::fcntl(fd, F_SETLK, &lock) == 0;
#endif
}

void syncDirectoryOf(const fs::path& path) {
  const int dir = ::open(path.parent_path().empty() ? "." : path.parent_path().c_str(),
                         O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

}  // namespace

ExclusiveFile& ExclusiveFile::operator=(ExclusiveFile&& other) noexcept {
  if (this != &other) {
    close();
    fd_ = other.fd_;
    path_ = std::move(other.path_);
    other.fd_ = -1;
  }
  return *this;
}

bool ExclusiveFile::isOpen() const { return fd_ >= 0; }

void ExclusiveFile::close() noexcept {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

ExclusiveFile ExclusiveFile::open(const fs::path& path) {
  short lockType = F_WRLCK;
  int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0 && (errno == EACCES || errno == EROFS)) {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    lockType = F_RDLCK;
  }
  if (fd < 0) throwLastError("No se pudo abrir", path);
  ExclusiveFile file;
  file.fd_ = fd;
  file.path_ = path;
  if (!lockWholeFile(fd, lockType)) {
    if (errno == EAGAIN || errno == EACCES) throw FileHeld(pathToUtf8(path));
    throwLastError("No se pudo bloquear", path);
  }
  return file;
}

ExclusiveFile ExclusiveFile::createBeside(const fs::path& target, fs::path& created) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path candidate = target;
    candidate += ".tmp-" + uniqueSuffix();
    const int fd = ::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) {
      ExclusiveFile file;
      file.fd_ = fd;
      file.path_ = candidate;
      created = candidate;
      lockWholeFile(fd, F_WRLCK);
      return file;
    }
    if (errno != EEXIST) throwLastError("No se pudo crear", candidate);
  }
  throwLastError("No se pudo crear un archivo temporal junto a", target);
}

std::string ExclusiveFile::readAll() const {
  struct stat info {};
  if (::fstat(fd_, &info) != 0) throwLastError("No se pudo leer", path_);
  std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::pread(fd_, bytes.data() + done, bytes.size() - done,
                              static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throwLastError("No se pudo leer", path_);
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  bytes.resize(done);
  return bytes;
}

void ExclusiveFile::writeAll(std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::pwrite(fd_, bytes.data() + done, bytes.size() - done,
                               static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throwLastError("No se pudo escribir", path_);
    done += static_cast<std::size_t>(n);
  }
  if (::ftruncate(fd_, static_cast<off_t>(bytes.size())) != 0 || ::fsync(fd_) != 0) {
    throwLastError("No se pudo escribir", path_);
  }
}

void ExclusiveFile::replaceContent(std::string_view bytes) {
  fs::path temporary;
  ExclusiveFile replacement = createBeside(path_, temporary);
  TemporaryGuard guard(temporary);
  struct stat info {};
  if (::fstat(fd_, &info) == 0) ::fchmod(replacement.fd_, info.st_mode & 07777);
  replacement.writeAll(bytes);
  // The replacement is locked already, so the table stays held across the rename.
  if (::rename(temporary.c_str(), path_.c_str()) != 0) {
    throwLastError("No se pudo reemplazar", path_);
  }
  guard.release();
  syncDirectoryOf(path_);
  const fs::path target = path_;
  *this = std::move(replacement);
  path_ = target;
}

void writeFileAtomically(const fs::path& target, std::string_view bytes) {
  fs::path temporary;
  ExclusiveFile file = ExclusiveFile::createBeside(target, temporary);
  TemporaryGuard guard(temporary);
  file.writeAll(bytes);
  // A new file gets the usual permissions; a replaced one keeps those it had.
  std::error_code ec;
  const auto permissions = fs::status(target, ec).permissions();
  if (!ec && permissions != fs::perms::unknown) {
    fs::permissions(temporary, permissions, ec);
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    fs::permissions(temporary, static_cast<fs::perms>(0666 & ~mask), ec);
  }
  file.close();
  if (::rename(temporary.c_str(), target.c_str()) != 0) {
    throwLastError("No se pudo escribir", target);
  }
  guard.release();
  syncDirectoryOf(target);
}

#endif

}  // namespace vestran::os

