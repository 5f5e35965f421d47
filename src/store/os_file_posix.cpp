// The file layer on Linux and other POSIX systems: open-file-description locks, which other
// processes and other opens in this one see, and rename for replacing in one step.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "store/os_file.hpp"

namespace vestran::os {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void throwError(const std::string& what, const fs::path& path, int error) {
  const std::error_code ec(error, std::generic_category());
  throw FileError(what + " '" + pathToUtf8(path) + "': " + describe(ec), ec);
}

[[noreturn]] void throwLastError(const std::string& what, const fs::path& path) {
  throwError(what, path, errno);
}

// Takes a lock over the whole file, without waiting.
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

// A file no one may write to, as the read-only attribute marks it on Windows: none of its
// write permissions is set. (Permissions alone would not stop the root user.)
bool isReadOnly(const struct stat& info) { return (info.st_mode & 0222) == 0; }

// Opens with `flags`, refuses what is not a regular file, and takes the lock.
int openAndLock(const fs::path& path, int flags, mode_t mode) {
  short lockType = F_WRLCK;
  // O_NONBLOCK: opening a named pipe must not wait for a writer.
  int fd = ::open(path.c_str(), flags | O_RDWR | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, mode);
  if (fd < 0 && (errno == EACCES || errno == EROFS) && !(flags & O_CREAT)) {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    lockType = F_RDLCK;
  }
  if (fd < 0) throwLastError("No se pudo abrir", path);
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    const int error = errno;
    ::close(fd);
    throwError("No se pudo abrir", path, error);
  }
  if (!S_ISREG(info.st_mode)) {
    ::close(fd);
    throw FileError("No se pudo abrir '" + pathToUtf8(path) + "': no es un archivo normal",
                    std::make_error_code(std::errc::invalid_argument));
  }
  if (!lockWholeFile(fd, lockType)) {
    const int error = errno;
    ::close(fd);
    if (error == EAGAIN || error == EACCES) throw FileHeld(pathToUtf8(path));
    throwError("No se pudo bloquear", path, error);
  }
  return fd;
}

// Refuses to replace a read-only file.
void requireWritable(const fs::path& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && isReadOnly(info)) throwError("No se pudo escribir", path, EACCES);
}

// Gives the new file the permissions of the one it replaces, or the usual ones.
void copyPermissions(int fd, const fs::path& replaced) {
  struct stat info {};
  if (::stat(replaced.c_str(), &info) == 0) {
    ::fchmod(fd, info.st_mode & 07777);
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
  }
}

}  // namespace

bool ExclusiveFile::isOpen() const { return fd_ >= 0; }

void ExclusiveFile::close() noexcept {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

ExclusiveFile ExclusiveFile::open(const fs::path& path) {
  ExclusiveFile file;
  file.fd_ = openAndLock(path, 0, 0);
  file.path_ = path;
  return file;
}

ExclusiveFile ExclusiveFile::openOrCreate(const fs::path& path) {
  ExclusiveFile file;
  file.fd_ = openAndLock(path, O_CREAT, 0644);
  file.path_ = path;
  return file;
}

ExclusiveFile ExclusiveFile::createTemporaryBeside(const fs::path& target) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path candidate = temporaryPathFor(target);
    const int fd = ::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      throwLastError("No se pudo crear", candidate);
    }
    ExclusiveFile file;
    file.fd_ = fd;
    file.path_ = candidate;
    // Held from the start, so that no one takes it for the litter of a killed run.
    if (!lockWholeFile(fd, F_WRLCK)) {
      const int error = errno;
      file.close();
      ::unlink(candidate.c_str());
      throwError("No se pudo bloquear", candidate, error);
    }
    return file;
  }
  throwError("No se pudo crear un archivo temporal junto a", target, EEXIST);
}

std::string ExclusiveFile::readAll() const {
  struct stat info {};
  if (::fstat(fd_, &info) != 0) throwLastError("No se pudo leer", path_);
  std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n =
        ::pread(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
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
    const ssize_t n =
        ::pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throwLastError("No se pudo escribir", path_);
    done += static_cast<std::size_t>(n);
  }
  if (::ftruncate(fd_, static_cast<off_t>(bytes.size())) != 0 || ::fsync(fd_) != 0) {
    throwLastError("No se pudo escribir", path_);
  }
}

void ExclusiveFile::replaceContent(std::string_view bytes) {
  requireWritable(path_);
  ExclusiveFile replacement = createTemporaryBeside(path_);
  TemporaryGuard guard(replacement.path_);
  copyPermissions(replacement.fd_, path_);
  replacement.writeAll(bytes);
  // The replacement is held already, so the file stays held across the rename.
  if (::rename(replacement.path_.c_str(), path_.c_str()) != 0) {
    throwLastError("No se pudo reemplazar", path_);
  }
  guard.release();
  syncDirectory(path_.parent_path());
  const fs::path target = path_;
  *this = std::move(replacement);
  path_ = target;
}

void writeFileAtomically(const fs::path& requested, std::string_view bytes) {
  const fs::path target = followLinks(requested);
  requireWritable(target);
  ExclusiveFile file = ExclusiveFile::createTemporaryBeside(target);
  TemporaryGuard guard(file.path());
  copyPermissions(file.fd_, target);
  file.writeAll(bytes);
  const fs::path temporary = file.path();
  file.close();
  if (::rename(temporary.c_str(), target.c_str()) != 0) {
    throwLastError("No se pudo escribir", target);
  }
  guard.release();
  syncDirectory(target.parent_path());
}

void replaceFile(const fs::path& from, const fs::path& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) throwLastError("No se pudo reemplazar", to);
}

void syncDirectory(const fs::path& dir) {
  const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

}  // namespace vestran::os
