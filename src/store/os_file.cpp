// The parts of the file layer that are the same on every system.

#include "store/os_file.hpp"

#include <fstream>
#include <random>

namespace vestran::os {

namespace fs = std::filesystem;

namespace {

constexpr int kSymlinkHops = 40;
constexpr std::string_view kTemporaryMark = ".vestran-";
constexpr std::string_view kTemporaryEnd = ".tmp";
constexpr std::size_t kTemporaryLetters = 8;
constexpr std::string_view kTemporaryAlphabet = "0123456789abcdefghijklmnopqrstuvwxyz";

std::string randomLetters() {
  static std::mt19937_64 generator{std::random_device{}()};
  std::string s;
  for (std::size_t i = 0; i < kTemporaryLetters; ++i) {
    s += kTemporaryAlphabet[generator() % kTemporaryAlphabet.size()];
  }
  return s;
}

}  // namespace

std::string describe(std::error_code code) {
  const std::error_condition c = code.default_error_condition();
  if (c == std::errc::no_such_file_or_directory) return "no existe el archivo o la carpeta";
  if (c == std::errc::permission_denied || c == std::errc::operation_not_permitted) {
    return "no hay permiso para hacerlo";
  }
  if (c == std::errc::read_only_file_system) return "el disco es de solo lectura";
  if (c == std::errc::no_space_on_device || c == std::errc::file_too_large) {
    return "no queda espacio en el disco";
  }
  if (c == std::errc::is_a_directory) return "es una carpeta";
  if (c == std::errc::not_a_directory) return "una parte de la ruta no es una carpeta";
  if (c == std::errc::filename_too_long) return "la ruta es demasiado larga";
  if (c == std::errc::too_many_files_open) return "hay demasiados archivos abiertos";
  if (c == std::errc::io_error) return "error de entrada/salida del disco";
  if (c == std::errc::not_enough_memory) return "no hay memoria suficiente";
  if (c == std::errc::too_many_symbolic_link_levels) return "los enlaces forman un ciclo";
  return "error del sistema " + std::to_string(code.value()) + " (" + code.message() + ")";
}

std::optional<std::string> readWholeFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(in.tellg()), '\0');
  in.seekg(0);
  if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) return std::nullopt;
  return bytes;
}

fs::path pathFromUtf8(std::string_view utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string pathToUtf8(const fs::path& path) {
  const std::u8string s = path.u8string();
  return std::string(s.begin(), s.end());
}

fs::path followLinks(const fs::path& path) {
  fs::path current = path;
  for (int hop = 0; hop < kSymlinkHops; ++hop) {
    std::error_code ec;
    if (!fs::is_symlink(current, ec)) return current;
    const fs::path next = fs::read_symlink(current, ec);
    if (ec) return current;
    current = next.is_absolute() ? next : current.parent_path() / next;
  }
  const auto loop = std::make_error_code(std::errc::too_many_symbolic_link_levels);
  throw FileError("No se pudo seguir el enlace '" + pathToUtf8(path) + "': " + describe(loop), loop);
}

fs::path temporaryPathFor(const fs::path& target) {
  fs::path p = target;
  p += std::string(kTemporaryMark) + randomLetters() + std::string(kTemporaryEnd);
  return p;
}

bool isTemporaryName(std::string_view name, std::string_view target) {
  const std::size_t tail = kTemporaryMark.size() + kTemporaryLetters + kTemporaryEnd.size();
  if (name.size() <= tail || !name.ends_with(kTemporaryEnd)) return false;
  const std::string_view base = name.substr(0, name.size() - tail);
  const std::string_view rest = name.substr(base.size());
  if (!rest.starts_with(kTemporaryMark)) return false;
  const std::string_view letters = rest.substr(kTemporaryMark.size(), kTemporaryLetters);
  if (letters.find_first_not_of(kTemporaryAlphabet) != std::string_view::npos) return false;
  return target.empty() || base == target;
}

void removeStaleTemporaries(const fs::path& dir, std::string_view target) {
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path& candidate = it->path();
    if (!isTemporaryName(pathToUtf8(candidate.filename()), target)) continue;
    try {
      // A run that is still writing holds its temporary file.
      ExclusiveFile probe = ExclusiveFile::open(candidate);
      probe.close();
    } catch (const std::exception&) {
      continue;
    }
    std::error_code ignored;
    fs::remove(candidate, ignored);
  }
}

ExclusiveFile::~ExclusiveFile() { close(); }

ExclusiveFile::ExclusiveFile(ExclusiveFile&& other) noexcept { *this = std::move(other); }

ExclusiveFile& ExclusiveFile::operator=(ExclusiveFile&& other) noexcept {
  if (this != &other) {
    close();
#ifdef _WIN32
    handle_ = other.handle_;
    other.handle_ = nullptr;
#else
    fd_ = other.fd_;
    other.fd_ = -1;
#endif
    path_ = std::move(other.path_);
  }
  return *this;
}

}  // namespace vestran::os
