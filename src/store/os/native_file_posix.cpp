// The file primitives on Linux: open-file-description locks, which other processes and
// other opens in this one see, and rename for replacing in one step.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "store/os/detail/native_file.hpp"
#include "store/os/file_error.hpp"
#include "store/os/paths.hpp"

#ifndef F_OFD_SETLK
#error "vestran holds tables with open-file-description locks (Linux 3.15 or later)"
#endif

namespace vestran::os::detail {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void fail(const char* what, const fs::path& path, int error) {
  throwFileError(what, path, {error, std::generic_category()});
}

int fdOf(std::intptr_t handle) { return static_cast<int>(handle); }

// Takes a lock over the whole file, without waiting.
bool lockWholeFile(int fd, short type) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = 0;
  lock.l_len = 0;
  return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

// Closes `fd` and throws when it is not a regular file.
void requireRegular(int fd, const fs::path& path) {
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    const int error = errno;
    ::close(fd);
    fail("No se pudo abrir", path, error);
  }
  if (!S_ISREG(info.st_mode)) {
    ::close(fd);
    throwFileError("No se pudo abrir", path, std::make_error_code(std::errc::invalid_argument));
  }
}

// Flags of every open: never wait for the writer of a named pipe, never become the
// controlling terminal, never pass to a child.
constexpr int kOpenFlags = O_CLOEXEC | O_NONBLOCK | O_NOCTTY;

}  // namespace

void NativeFile::close() noexcept {
  if (handle_ != kClosed) ::close(fdOf(handle_));
  handle_ = kClosed;
}

NativeFile NativeFile::openHeld(const fs::path& path, WhenHeld) {
  // Only Windows programs hold a file for a moment after it was written; here a hold is
  // another program's, and is reported at once.
  short lockType = F_WRLCK;
  int fd = ::open(path.c_str(), O_RDWR | kOpenFlags);
  if (fd < 0 && (errno == EACCES || errno == EROFS)) {
    fd = ::open(path.c_str(), O_RDONLY | kOpenFlags);
    lockType = F_RDLCK;
  }
  if (fd < 0) fail("No se pudo abrir", path, errno);
  requireRegular(fd, path);
  if (!lockWholeFile(fd, lockType)) {
    const int error = errno;
    ::close(fd);
    if (error == EAGAIN || error == EACCES) throw FileHeld(pathToUtf8(path));
    fail("No se pudo bloquear", path, error);
  }
  return NativeFile(fd, path);
}

NativeFile NativeFile::openForReading(const fs::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | kOpenFlags);
  if (fd < 0) fail("No se pudo abrir", path, errno);
  requireRegular(fd, path);
  return NativeFile(fd, path);
}

std::optional<NativeFile> NativeFile::createHeld(const fs::path& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | kOpenFlags, 0600);
  if (fd < 0) {
    if (errno == EEXIST) return std::nullopt;
    fail("No se pudo crear", path, errno);
  }
  NativeFile file(fd, path);
  // Held from the start, so that no one takes it for the litter of a killed run.
  if (!lockWholeFile(fd, F_WRLCK)) {
    const int error = errno;
    file.close();
    ::unlink(path.c_str());
    fail("No se pudo bloquear", path, error);
  }
  return file;
}

NativeFile NativeFile::takeLock(const fs::path& path) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | kOpenFlags);
    if (fd < 0 && errno == ENOENT) {
      fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_EXCL | O_NOFOLLOW | kOpenFlags, 0666);
      if (fd < 0 && errno == EEXIST) continue;  // another run created it meanwhile
      // Readable by every user whatever the umask: reading is all the lock needs. A file
      // system without permissions (FAT, a Windows share) refuses, and needs none.
      if (fd >= 0) (void)::fchmod(fd, 0666);
    }
    if (fd < 0) fail("No se pudo abrir", path, errno);
    requireRegular(fd, path);
    // flock() needs no write access to the file, unlike a write lock through fcntl().
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const int error = errno;
      ::close(fd);
      if (error == EWOULDBLOCK) throw FileHeld(pathToUtf8(path));
      fail("No se pudo bloquear", path, error);
    }
    return NativeFile(fd, path);
  }
  fail("No se pudo crear", path, EEXIST);
}

std::uint64_t NativeFile::size() const {
  struct stat info {};
  if (::fstat(fdOf(handle_), &info) != 0) fail("No se pudo leer", path_, errno);
  return static_cast<std::uint64_t>(info.st_size);
}

std::string NativeFile::read(std::uint64_t offset, std::size_t length) const {
  std::string bytes(length, '\0');
  bytes.resize(readInto(offset, bytes.data(), length));
  return bytes;
}

std::size_t NativeFile::readInto(std::uint64_t offset, char* buffer, std::size_t length) const {
  std::size_t done = 0;
  while (done < length) {
    const ssize_t n =
        ::pread(fdOf(handle_), buffer + done, length - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) fail("No se pudo leer", path_, errno);
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

void NativeFile::writeAllAndSync(std::span<const std::string_view> pieces) {
  std::size_t at = 0;
  for (std::string_view bytes : pieces) {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::pwrite(fdOf(handle_), bytes.data() + done, bytes.size() - done,
                                 static_cast<off_t>(at + done));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) fail("No se pudo escribir", path_, errno);
      done += static_cast<std::size_t>(n);
    }
    at += bytes.size();
  }
  if (::ftruncate(fdOf(handle_), static_cast<off_t>(at)) != 0 || ::fsync(fdOf(handle_)) != 0) {
    fail("No se pudo escribir", path_, errno);
  }
}

void NativeFile::copyPermissionsFrom(const fs::path& replaced) {
  struct stat info {};
  mode_t mode = 0;
  if (!replaced.empty() && ::stat(replaced.c_str(), &info) == 0) {
    mode = info.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  if (::fchmod(fdOf(handle_), mode) != 0) {
    // A file system without permissions (FAT, a Windows share) has none to give.
    if (errno == EPERM || errno == ENOTSUP || errno == EOPNOTSUPP) return;
    fail("No se pudo escribir", path_, errno);
  }
}

void renameReplacing(const fs::path& from, const fs::path& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) fail("No se pudo reemplazar", to, errno);
}

void requireWritable(const fs::path& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && (info.st_mode & 0222) == 0) {
    fail("No se pudo escribir", path, EACCES);
  }
}

void syncDirectory(const fs::path& dir) {
  const fs::path folder = dir.empty() ? fs::path(".") : dir;
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) fail("No se pudo asegurar en el disco la carpeta", folder, errno);
  const int result = ::fsync(fd);
  const int error = errno;
  ::close(fd);
  // Some file systems (FUSE and network mounts) cannot sync a folder: nothing to do there.
  if (result != 0 && error != EINVAL && error != ENOTSUP && error != EOPNOTSUPP) {
    fail("No se pudo asegurar en el disco la carpeta", folder, error);
  }
}

bool canCreateIn(const fs::path& dir) { return ::access(dir.c_str(), W_OK | X_OK) == 0; }

}  // namespace vestran::os::detail
