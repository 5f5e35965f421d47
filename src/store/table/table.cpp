#include "store/table/table.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <stdexcept>
#include <system_error>

#include "mensajes/Mensajes.hpp"
#include "store/dbase/dbase_values.hpp"
#include "store/errors.hpp"
#include "store/os/paths.hpp"
#include "store/os/replacing.hpp"
#include "store/table/table_files.hpp"
#include "store/text.hpp"

namespace vestran {

namespace fs = std::filesystem;

namespace {

// The largest magnitude a double can have and still convert to a 64-bit integer.
constexpr double kInt64Limit = 9223372036854774784.0;

std::string describeTable(std::string_view name, const fs::path& file) {
  return "La tabla " + std::string(name) + " (" + os::pathForUser(file) + ")";
}

TableLockedError heldElsewhere(std::string_view name, const fs::path& file) {
  return heldByAnotherProgram(name, file, "");
}

// The error again, with a last line saying where it happened.
template <typename E>
[[noreturn]] void rethrowAt(const E& e, const ErrorPlace& p) {
  throw E(std::string(e.what()) + "\nEn la tabla " + p.table + ", fila " + std::to_string(p.row) +
              ", campo " + p.field + ".",
          p);
}

}  // namespace

TableLockedError heldByAnotherProgram(std::string_view table, const fs::path& file,
                                      std::string_view afterwards) {
  return TableLockedError(
      parrafos(
          {describeTable(table, file) + " " + std::string(kEstaAbiertaEnOtroPrograma), afterwards}),
      {.table = std::string(table), .file = file});
}

Table::Table() : codePage_(kPlannerCodePage) {}
Table::Table(Table&&) noexcept = default;
Table& Table::operator=(Table&&) noexcept = default;

Table::~Table() {
  if (!file_.isOpen()) return;
  try {
    close();
  } catch (...) {
    // A destructor cannot report; close() is the place to learn of a failed write.
  }
}

void Table::recreate(const fs::path& dir, std::string_view name, std::span<const FieldDef> fields,
                     TableFormat format) {
  const std::string base = tableBaseName(name);
  const fs::path target = dir / os::pathFromUtf8(base + ".DBF");
  const std::string bytes =
      dbase::serializeHeader(dbase::newTableHeader(fields, format)) + dbase::kEndOfFile;

  // A table another program holds is left alone: deleting it would pull it from under
  // the planner.
  for (const fs::path& existing : filesNamedIgnoringCase(dir, base + ".DBF")) {
    try {
      os::ExclusiveFile probe = os::ExclusiveFile::open(existing);
    } catch (const os::FileHeld&) {
      throw heldElsewhere(base, existing);
    } catch (const os::FileError&) {
      // Not readable by us: replacing it below tells whether it can be replaced.
    }
    std::error_code ec;
    if (!fs::equivalent(existing, target, ec)) fs::remove(existing, ec);
  }
  for (const fs::path& index : filesNamedIgnoringCase(dir, base + ".MDX")) {
    std::error_code ignored;
    fs::remove(index, ignored);
  }
  try {
    os::writeFileAtomically(target, bytes, os::AtLink::replace);
  } catch (const os::FileError& e) {
    throw TableError("No se pudo crear la tabla " + base + ": " + os::describe(e.code()) + ".",
                     {.table = base, .file = target, .cause = e.code()});
  }
}

Table Table::open(const fs::path& dir, std::string_view name) {
  const std::string base = tableBaseName(name);
  const auto path = findTableFile(dir, base);
  if (!path) {
    throw TableError("No existe la tabla " + base + ": no se encontró " + base + ".DBF en " +
                         os::pathToUtf8(dir),
                     {.table = base, .file = dir / os::pathFromUtf8(base + ".DBF")});
  }
  return openAs(*path, base);
}

Table Table::openFile(const fs::path& file) {
  return openAs(file, tableBaseName(os::pathToUtf8(file.filename())));
}

Table Table::openAs(const fs::path& path, const std::string& base) {
  std::error_code ec;
  if (!fs::exists(path, ec)) {
    throw TableError("No existe la tabla " + base + ": no se encontró " + os::pathToUtf8(path),
                     {.table = base, .file = path});
  }
  Table t;
  t.name_ = base;
  try {
    try {
      t.file_ = os::ExclusiveFile::open(path);
      t.readContent();
    } catch (const os::FileHeld&) {
      throw heldElsewhere(base, path);
    } catch (const os::FileError& e) {
      throw TableError("No se pudo abrir la tabla " + base + ": " + e.what(),
                       {.table = base, .file = path});
    }
  } catch (const std::bad_alloc&) {
    throw OutOfMemoryError(
        "No hay memoria suficiente para leer la tabla " + base + " (" + os::pathToUtf8(path) + ").",
        {.table = base, .file = path});
  }
  t.first();
  return t;
}

void Table::readContent() {
  // The header first: a file far larger than its rows is refused before it is read.
  const std::uint64_t size = file_.size();
  const std::string start =
      file_.read(0, static_cast<std::size_t>(std::min<std::uint64_t>(size, dbase::kLargestHeader)));
  try {
    header_ = dbase::parseHeader(start, size);
  } catch (const dbase::FormatError& e) {
    throw TableError(describeTable(name_, path()) + " no se puede leer: " + e.what() + ".",
                     {.table = name_, .file = path()});
  }
  headerBytes_ = start.substr(0, header_.headerLength);
  rows_ = file_.read(header_.headerLength,
                     static_cast<std::size_t>(header_.recordCount) * header_.recordLength);
  rowsInFile_ = header_.recordCount;
  indexFields();
  codePageFound_ = findTableCodePage(header_, path(), [this] {
    std::vector<std::string_view> texts;
    for (std::size_t i = 0; i < rowsInFile_; ++i) {
      for (const dbase::Field& f : header_.fields) {
        if (f.type == 'C') texts.push_back(value(f, record(i)));
      }
    }
    return texts;
  });
  codePage_ = CodePage(codePageFound_.number);
}

std::optional<std::string> Table::codePageNote() const {
  return vestran::codePageNote(codePageFound_, name_);
}

void Table::close() {
  if (!file_.isOpen()) return;
  mode_ = Mode::browse;  // a row neither posted nor moved past is not kept
  if (changed_) write();
  file_.close();
  indexes_.clear();
}

void Table::write() {
  std::string header = headerBytes_;
  dbase::stampHeader(header, static_cast<std::uint32_t>(rowsInFile_));
  const std::string_view end(&dbase::kEndOfFile, 1);
  try {
    file_.replaceContent({header, rows_, end});
  } catch (const os::FileHeld&) {
    throw heldElsewhere(name_, path());
  } catch (const os::FileError& e) {
    throw TableError("No se pudo guardar la tabla " + name_ + ": " + os::describe(e.code()) + ".",
                     {.table = name_, .file = path(), .cause = e.code()});
  }
  changed_ = false;
}

std::vector<const dbase::Field*> Table::fields() const {
  std::vector<const dbase::Field*> visible;
  for (const dbase::Field& f : header_.fields) {
    if (!f.hidden) visible.push_back(&f);
  }
  return visible;
}

std::size_t Table::rowCount() const {
  std::size_t n = 0;
  for (std::size_t i = 0; i < rowsInFile_; ++i) n += isLive(i) ? 1 : 0;
  return n;
}

bool Table::isLive(std::size_t row) const {
  return header_.recordLength == 0 || rows_[row * header_.recordLength] != dbase::kDeletedFlag;
}

void Table::skipDeleted() {
  while (position_ < rowsInFile_ && !isLive(position_)) ++position_;
}

void Table::postIfPending() {
  if (mode_ != Mode::browse) post();
}

void Table::first() {
  postIfPending();
  position_ = 0;
  skipDeleted();
}

void Table::next() {
  postIfPending();
  if (position_ < rowsInFile_) ++position_;
  skipDeleted();
}

bool Table::eof() const { return mode_ != Mode::inserting && position_ >= rowsInFile_; }

std::size_t Table::rowNumber() const { return position_ + 1; }

std::size_t Table::pendingRowNumber() const {
  return mode_ == Mode::inserting ? rowsInFile_ + 1 : position_ + 1;
}

void Table::append() {
  postIfPending();
  if (emptyRecord_.empty()) {
    emptyRecord_.assign(1, dbase::kLiveFlag);
    for (const dbase::Field& f : header_.fields) emptyRecord_ += dbase::emptyValue(f);
    emptyRecord_.resize(header_.recordLength, ' ');
  }
  buffer_ = emptyRecord_;
  mode_ = Mode::inserting;
}

void Table::reserveRows(std::size_t rows) {
  rows_.reserve(rows_.size() + rows * header_.recordLength);
}

void Table::edit() {
  postIfPending();
  if (position_ >= rowsInFile_) throw std::logic_error("edit() at the end of " + name_);
  buffer_.assign(record(position_));
  mode_ = Mode::editing;
}

void Table::post() {
  if (mode_ == Mode::browse) return;
  if (mode_ == Mode::inserting) {
    rows_ += buffer_;
    position_ = rowsInFile_++;
    for (auto& [names, idx] : indexes_) idx.add(position_, rowKey(idx, buffer_));
  } else {
    const std::string_view stored = record(position_);
    // An index whose key changed may now find another row first: it is built anew when
    // next needed.
    std::erase_if(indexes_, [&](const auto& entry) {
      return rowKey(entry.second, stored) != rowKey(entry.second, buffer_);
    });
    rows_.replace(position_ * header_.recordLength, header_.recordLength, buffer_);
  }
  mode_ = Mode::browse;
  changed_ = true;
}

void Table::indexFields() {
  fieldsByName_.clear();
  for (const dbase::Field& f : header_.fields) fieldsByName_.emplace(asciiUpper(f.name), &f);
}

const dbase::Field& Table::field(std::string_view name) const {
  // Callers spell field names in upper case: that costs one hash and no string.
  if (const auto it = fieldsByName_.find(name); it != fieldsByName_.end()) return *it->second;
  for (const dbase::Field& f : header_.fields) {
    if (equalsAsciiIgnoringCase(f.name, name)) return f;
  }
  if (name.size() > dbase::kDbase3NameLength) {
    for (const dbase::Field& f : header_.fields) {
      if (f.name.size() == dbase::kDbase3NameLength &&
          equalsAsciiIgnoringCase(f.name, name.substr(0, dbase::kDbase3NameLength))) {
        return f;
      }
    }
  }
  throw TableError("La tabla " + name_ + " no tiene el campo " + std::string(name),
                   {.table = name_, .file = path(), .field = std::string(name)});
}

bool Table::hasField(std::string_view name) const {
  try {
    field(name);
    return true;
  } catch (const TableError&) {
    return false;
  }
}

bool Table::holdsNumbers(std::string_view name) const {
  const dbase::Field& f = field(name);
  const bool numeric = f.type == 'N' || f.type == 'F' || f.type == 'I' || f.type == '+' ||
                       f.type == 'O' || f.type == 'Y' || f.type == 'C' ||
                       (f.type == 'B' && header_.variant == dbase::Variant::visualFoxPro);
  return numeric && f.width > 0;
}

std::string Table::typeName(std::string_view name) const {
  const dbase::Field& f = field(name);
  switch (f.type) {
    case 'C':
      return "C (texto)";
    case 'N':
    case 'F':
      return std::string(1, f.type) + " (número)";
    case 'D':
      return "D (fecha)";
    case 'L':
      return "L (lógico)";
    case 'M':
      return "M (memo)";
    case 'T':
      return "T (fecha y hora)";
    case '@':
      return "@ (marca de tiempo)";
    case 'G':
      return "G (objeto)";
    case 'B':
      return header_.variant == dbase::Variant::visualFoxPro ? "B (número)" : "B (memo binario)";
    default:
      return std::string(1, f.type);
  }
}

Table::WholeNumber Table::wholeNumber(std::string_view name) const {
  const dbase::Field& f = field(name);
  const std::string_view raw = value(f, currentRecord());
  WholeNumber n;
  n.text = dbase::readText(f, header_.variant, raw, codePage_);
  if (trim(n.text).empty()) return n;
  n.state = WholeNumber::State::notANumber;
  if (f.type == 'C') {
    try {
      n.value = toInt32(n.text);
      n.state = WholeNumber::State::number;
    } catch (const ConversionError&) {
    }
    return n;
  }
  const auto number = dbase::readNumber(f, header_.variant, raw, codePage_);
  if (number && std::isfinite(*number) && *number <= kInt64Limit && *number >= -kInt64Limit) {
    n.value = std::llround(*number);
    n.state = WholeNumber::State::number;
  }
  return n;
}

std::string_view Table::currentRecord() const {
  if (mode_ != Mode::browse) return buffer_;
  if (position_ >= rowsInFile_) throw std::logic_error("reading past the end of " + name_);
  return record(position_);
}

std::string_view Table::value(const dbase::Field& f, std::string_view record) const {
  if (f.offset >= record.size()) return {};
  return record.substr(f.offset, f.width);
}

ErrorPlace Table::placeOf(const dbase::Field& f, std::size_t row) const {
  return {.table = name_, .file = path(), .row = row, .field = f.name};
}

void Table::set(const dbase::Field& f, const std::string& bytes) {
  if (mode_ == Mode::browse) {
    throw std::logic_error("setting " + f.name + " of " + name_ + " outside append() or edit()");
  }
  // A record keeps its length whatever the value: the header says how wide each field is.
  if (bytes.size() != f.width || f.offset + f.width > buffer_.size()) {
    throw std::logic_error("value of " + std::to_string(bytes.size()) + " bytes for field " +
                           f.name + " of " + name_);
  }
  buffer_.replace(f.offset, f.width, bytes);
}

void Table::setText(std::string_view name, std::string_view value) { setText(field(name), value); }

void Table::setText(const dbase::Field& f, std::string_view value) {
  // Plain ASCII that fits goes straight into the row, as the code page would write it.
  if (f.type == 'C' && codePage_.keepsAscii() && value.size() <= f.width && isAscii(value) &&
      mode_ != Mode::browse && f.offset + f.width <= buffer_.size()) {
    buffer_.replace(f.offset, value.size(), value);
    std::fill_n(buffer_.begin() + static_cast<std::ptrdiff_t>(f.offset + value.size()),
                f.width - value.size(), ' ');
    return;
  }
  std::size_t substituted = 0;
  std::string bytes;
  try {
    bytes = dbase::writeText(f, header_.variant, value, codePage_, &substituted);
  } catch (const ConversionError& e) {
    rethrowAt(e, placeOf(f, pendingRowNumber()));
  } catch (const TableError& e) {
    rethrowAt(e, placeOf(f, pendingRowNumber()));
  }
  set(f, bytes);
  if (substituted > 0) substitutions_.push_back({f.name, pendingRowNumber(), std::string(value)});
}

void Table::setInteger(std::string_view name, std::int64_t value) {
  setInteger(field(name), value);
}

void Table::setInteger(const dbase::Field& f, std::int64_t value) {
  try {
    set(f, dbase::writeInteger(f, header_.variant, value, codePage_));
  } catch (const TableError& e) {
    rethrowAt(e, placeOf(f, pendingRowNumber()));
  }
}

void Table::setLogical(std::string_view name, bool value) {
  const dbase::Field& f = field(name);
  set(f, dbase::writeLogical(f, header_.variant, value, codePage_));
}

std::string Table::text(std::string_view name) const {
  const dbase::Field& f = field(name);
  return dbase::readText(f, header_.variant, value(f, currentRecord()), codePage_);
}

std::int64_t Table::integer(std::string_view name) const {
  const dbase::Field& f = field(name);
  const std::string_view raw = value(f, currentRecord());
  const std::size_t row = mode_ == Mode::browse ? rowNumber() : pendingRowNumber();
  try {
    if (f.type == 'C') {
      const std::string t = dbase::readText(f, header_.variant, raw, codePage_);
      return trim(t).empty() ? 0 : toInt32(t);
    }
    const auto number = dbase::readNumber(f, header_.variant, raw, codePage_);
    if (!number) return 0;
    if (*number > kInt64Limit || *number < -kInt64Limit) {
      throw ConversionError(notAValidInteger(dbase::readText(f, header_.variant, raw, codePage_)));
    }
    return std::llround(*number);
  } catch (const ConversionError& e) {
    rethrowAt(e, placeOf(f, row));
  }
}

std::string Table::storedKey(const dbase::Field& f, std::string_view record) const {
  const std::string_view raw = value(f, record);
  if (f.type == 'C') return trimTrailingBlanks(raw);
  return dbase::readText(f, header_.variant, raw, codePage_);
}

std::string Table::searchKey(const dbase::Field& f, std::string_view value) const {
  if (f.type == 'C') return trimTrailingBlanks(codePage_.encode(value));
  return std::string(value);
}

std::string Table::rowKey(const TableIndex& idx, std::string_view record) const {
  std::vector<std::string> values;
  values.reserve(idx.fields().size());
  for (const dbase::Field* f : idx.fields()) values.push_back(storedKey(*f, record));
  return TableIndex::key(values);
}

std::vector<const dbase::Field*> Table::fieldList(std::string_view names) const {
  std::vector<const dbase::Field*> list;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = names.find(';', start);
    list.push_back(&field(names.substr(start, end - start)));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return list;
}

TableIndex& Table::index(std::string_view names) {
  auto it = indexes_.find(names);
  if (it == indexes_.end()) {
    TableIndex idx(fieldList(names));
    idx.reserve(rowsInFile_);
    for (std::size_t i = 0; i < rowsInFile_; ++i) {
      if (isLive(i)) idx.add(i, rowKey(idx, record(i)));
    }
    it = indexes_.emplace(std::string(names), std::move(idx)).first;
  }
  return it->second;
}

bool Table::locate(std::string_view names, std::initializer_list<std::string_view> values) {
  postIfPending();
  const TableIndex& idx = index(names);
  if (idx.fields().size() != values.size()) {
    throw std::logic_error("locate() on " + name_ + " with " + std::to_string(idx.fields().size()) +
                           " fields and " + std::to_string(values.size()) + " values");
  }
  std::vector<std::string> parts;
  auto value = values.begin();
  for (const dbase::Field* f : idx.fields()) parts.push_back(searchKey(*f, *value++));
  const auto found = idx.find(TableIndex::key(parts));
  if (!found) return false;
  position_ = *found;
  return true;
}

}  // namespace vestran
