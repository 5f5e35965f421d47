#include "store/os/replacing.hpp"

#include <random>
#include <vector>

#include "store/os/detail/native_file.hpp"
#include "store/os/detail/write_sequence.hpp"
#include "store/os/paths.hpp"

namespace vestran::os {

namespace fs = std::filesystem;

namespace {

constexpr int kSymlinkHops = 40;
// How deep removeFolder goes: vestran's own folders are one or two levels deep.
constexpr int kFolderDepth = 8;
constexpr std::string_view kTemporaryMark = ".vestran-";
constexpr std::string_view kTemporaryEnd = ".tmp";
constexpr std::size_t kTemporaryLetters = 8;
constexpr std::string_view kTemporaryAlphabet = "0123456789abcdefghijklmnopqrstuvwxyz";
constexpr int kTemporaryAttempts = 100;

std::string randomLetters() {
  static std::mt19937_64 generator{std::random_device{}()};
  std::string s;
  for (std::size_t i = 0; i < kTemporaryLetters; ++i) {
    s += kTemporaryAlphabet[generator() % kTemporaryAlphabet.size()];
  }
  return s;
}

bool isRegularFile(const fs::path& path) {
  std::error_code ec;
  return fs::symlink_status(path, ec).type() == fs::file_type::regular;
}

detail::NativeFile createTemporaryBeside(const fs::path& target) {
  for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
    if (auto file = detail::NativeFile::createHeld(temporaryPathFor(target)))
      return std::move(*file);
  }
  throwFileError("No se pudo crear un archivo temporal junto a", target,
                 std::make_error_code(std::errc::file_exists));
}

}  // namespace

namespace detail {

NativeFile writeThroughTemporary(const fs::path& target, std::span<const std::string_view> pieces,
                                 const std::function<void()>& beforeRename) {
  try {
    return writeTemporaryAndRename(target, pieces, beforeRename);
  } catch (const FileError& e) {
    // The temporary file is the program's own business: the user hears of the target.
    throwFileError("No se pudo escribir", target, e.code());
  }
}

NativeFile writeTemporaryAndRename(const fs::path& target, std::span<const std::string_view> pieces,
                                   const std::function<void()>& beforeRename) {
  // A link at the name is replaced, so only a file standing there can be read-only.
  const bool replacesFile = isRegularFile(target);
  if (replacesFile) requireWritable(target);
  NativeFile temporary = createTemporaryBeside(target);
  TemporaryGuard guard(temporary.path());
  temporary.copyPermissionsFrom(replacesFile ? target : fs::path());
  temporary.writeAllAndSync(pieces);
  if (!kRenamesOpenFiles) temporary.close();
  if (beforeRename) beforeRename();
  renameReplacing(temporary.path(), target);
  guard.release();
  syncDirectory(target.parent_path());
  return temporary;
}

}  // namespace detail

void writeFileAtomically(const fs::path& requested, std::string_view bytes, AtLink atLink) {
  const std::string_view pieces[] = {bytes};
  writeFileAtomically(requested, pieces, atLink);
}

void writeFileAtomically(const fs::path& requested, std::span<const std::string_view> pieces,
                         AtLink atLink) {
  const fs::path target = atLink == AtLink::follow ? followLinks(requested) : requested;
  detail::writeThroughTemporary(target, pieces, {}).close();
}

void replaceFile(const fs::path& from, const fs::path& to) { detail::renameReplacing(from, to); }

void syncDirectory(const fs::path& dir) { detail::syncDirectory(dir); }

bool canCreateFilesIn(const fs::path& dir) { return detail::canCreateIn(dir); }

fs::path followLinks(const fs::path& path) {
  fs::path current = path;
  for (int hop = 0; hop < kSymlinkHops; ++hop) {
    std::error_code ec;
    if (!fs::is_symlink(current, ec)) return current;
    const fs::path next = fs::read_symlink(current, ec);
    if (ec) return current;
    current = next.is_absolute() ? next : current.parent_path() / next;
  }
  throwFileError("No se pudo seguir el enlace", path,
                 std::make_error_code(std::errc::too_many_symbolic_link_levels));
}

std::string readWholeFile(const fs::path& path, std::uint64_t maxBytes) {
  const detail::NativeFile file = detail::NativeFile::openForReading(path);
  const std::uint64_t size = file.size();
  if (size > maxBytes) {
    throwFileError("No se pudo leer", path, std::make_error_code(std::errc::value_too_large));
  }
  return file.read(0, static_cast<std::size_t>(size));
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

namespace {

void removeFolderAt(const fs::path& folder, int depth) {
  std::error_code ec;
  std::vector<fs::path> entries;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    entries.push_back(it->path());
  }
  for (const fs::path& entry : entries) {
    std::error_code ignored;
    const fs::file_status status = fs::symlink_status(entry, ignored);
    if (fs::is_directory(status) && depth < kFolderDepth) removeFolderAt(entry, depth + 1);
    fs::remove(entry, ignored);
  }
  fs::remove(folder, ec);
}

}  // namespace

void removeFolder(const fs::path& folder) { removeFolderAt(folder, 0); }

void removeStaleTemporaries(const fs::path& dir, std::string_view target) {
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path& candidate = it->path();
    if (!isTemporaryName(pathToUtf8(candidate.filename()), target)) continue;
    if (!isRegularFile(candidate)) continue;
    try {
      // A run that is still writing holds its temporary file.
      detail::NativeFile::openHeld(candidate, detail::WhenHeld::fail).close();
    } catch (const std::exception&) {
      continue;
    }
    std::error_code ignored;
    fs::remove(candidate, ignored);
  }
}

}  // namespace vestran::os
