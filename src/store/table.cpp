#include "store/table.hpp"

#include <cmath>
#include <stdexcept>
#include <system_error>

#include "store/dbase_values.hpp"
#include "store/errors.hpp"
#include "store/table_files.hpp"
#include "store/text.hpp"

namespace vestran {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kFloatWidth = 18;
constexpr std::uint8_t kFloatDecimals = 8;
constexpr std::size_t kDbase3IntegerWidth = 11;
constexpr std::size_t kDbase3NameLength = 10;

std::string describeTable(std::string_view name, const fs::path& file) {
  return "La tabla " + std::string(name) + " (" + os::pathToUtf8(file) + ")";
}

TableLockedError heldElsewhere(std::string_view name, const fs::path& file) {
  return TableLockedError(describeTable(name, file) +
                          " está abierta en otro programa; ciérrela y vuelva a intentarlo.");
}

dbase::Field physicalField(const FieldDef& def, TableFormat format) {
  dbase::Field f;
  f.name = def.name;
  if (format == TableFormat::dBase3 && f.name.size() > kDbase3NameLength) {
    f.name.resize(kDbase3NameLength);
  }
  switch (def.kind) {
    case FieldKind::character:
      if (def.width < 1 || def.width > 254) {
        throw std::logic_error("character field " + def.name + " of width " +
                               std::to_string(def.width));
      }
      f.type = 'C';
      f.width = def.width;
      break;
    case FieldKind::integer:
      f.type = format == TableFormat::level7 ? 'I' : 'N';
      f.width = format == TableFormat::level7 ? 4 : kDbase3IntegerWidth;
      break;
    case FieldKind::logical:
      f.type = 'L';
      f.width = 1;
      break;
    case FieldKind::floating:
      f.type = 'N';
      f.width = kFloatWidth;
      f.decimals = kFloatDecimals;
      break;
  }
  return f;
}

int codePageOf(const dbase::Header& h) {
  if (h.variant == dbase::Variant::level7) {
    if (auto cp = codePageOfLanguageDriverName(h.languageDriverName)) return *cp;
  }
  return codePageOfLanguageDriver(h.languageDriver).value_or(kWindows1252);
}

bool sameNameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && asciiLower(a) == asciiLower(b);
}

void appendKeyPart(std::string& key, std::string_view part) {
  key += std::to_string(part.size());
  key += ':';
  key += part;
}

}  // namespace

Table::Table() : codePage_(kWindows1252) {}
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

void Table::recreate(const fs::path& dir, std::string_view name,
                     std::span<const FieldDef> fields, TableFormat format) {
  const std::string base = tableBaseName(name);
  const fs::path target = dir / os::pathFromUtf8(base + ".DBF");

  dbase::Header h;
  h.variant = format == TableFormat::level7 ? dbase::Variant::level7 : dbase::Variant::dBase3;
  h.version = format == TableFormat::level7 ? 0x04 : 0x03;
  h.languageDriver = kLanguageDriverWindows1252;
  h.languageDriverName = std::string(kLanguageDriverNameWindows1252);
  for (const FieldDef& def : fields) h.fields.push_back(physicalField(def, format));
  dbase::layOut(h);
  const std::string bytes = dbase::serializeHeader(h) + dbase::kEndOfFile;

  // A table another program holds is left alone: deleting it would pull it from under
  // the planner.
  for (const fs::path& existing : filesNamedIgnoringCase(dir, base + ".DBF")) {
    try {
      os::ExclusiveFile probe = os::ExclusiveFile::open(existing);
    } catch (const os::FileHeld&) {
      throw heldElsewhere(base, existing);
    } catch (const os::FileError&) {
      // Not readable by us: removing it below tells whether it can be replaced.
    }
    std::error_code ignored;
    if (existing != target) fs::remove(existing, ignored);
  }
  for (const fs::path& index : filesNamedIgnoringCase(dir, base + ".MDX")) {
    std::error_code ignored;
    fs::remove(index, ignored);
  }
  try {
    os::writeFileAtomically(target, bytes);
  } catch (const os::FileError& e) {
    throw TableError("No se pudo crear la tabla " + base + " (" + os::pathToUtf8(target) +
                     "): " + e.what());
  }
}

Table Table::open(const fs::path& dir, std::string_view name) {
  const std::string base = tableBaseName(name);
  const auto path = findTableFile(dir, base);
  if (!path) {
    throw TableError("No existe la tabla " + base + ": no se encontró " + base + ".DBF en " +
                     os::pathToUtf8(dir));
  }
  return openAs(*path, base);
}

Table Table::openFile(const fs::path& file) {
  return openAs(file, tableBaseName(os::pathToUtf8(file.stem())));
}

Table Table::openAs(const fs::path& path, const std::string& base) {
  if (!fs::is_regular_file(path)) {
    throw TableError("No existe la tabla " + base + ": no se encontró " + os::pathToUtf8(path));
  }
  Table t;
  t.name_ = base;
  std::string bytes;
  try {
    t.file_ = os::ExclusiveFile::open(path);
    bytes = t.file_.readAll();
  } catch (const os::FileHeld&) {
    throw heldElsewhere(base, path);
  } catch (const os::FileError& e) {
    throw TableError("No se pudo abrir la tabla " + base + ": " + e.what());
  }
  try {
    t.header_ = dbase::parseHeader(bytes);
  } catch (const dbase::FormatError& e) {
    throw TableError(describeTable(base, path) + " no se puede leer: " + e.what() + ".");
  }
  t.codePage_ = CodePage(codePageOf(t.header_));
  t.headerBytes_ = bytes.substr(0, t.header_.headerLength);
  t.records_.reserve(t.header_.recordCount);
  for (std::size_t i = 0; i < t.header_.recordCount; ++i) {
    t.records_.push_back(bytes.substr(dbase::recordOffset(t.header_, i), t.header_.recordLength));
  }
  t.first();
  return t;
}

void Table::close() {
  if (!file_.isOpen()) return;
  mode_ = Mode::browse;  // a row neither posted nor moved past is not kept
  if (changed_) write();
  file_.close();
  indexes_.clear();
}

void Table::write() {
  std::string bytes = headerBytes_;
  const auto count = static_cast<std::uint32_t>(records_.size());
  for (int i = 0; i < 4; ++i) bytes[4 + i] = static_cast<char>((count >> (8 * i)) & 0xFF);
  dbase::stampToday(bytes);
  bytes.reserve(bytes.size() + records_.size() * header_.recordLength + 1);
  for (const std::string& r : records_) bytes += r;
  bytes += dbase::kEndOfFile;
  try {
    file_.replaceContent(bytes);
  } catch (const os::FileError& e) {
    throw TableError("No se pudo guardar la tabla " + name_ + ": " + e.what());
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
  for (std::size_t i = 0; i < records_.size(); ++i) n += isLive(i) ? 1 : 0;
  return n;
}

bool Table::isLive(std::size_t row) const {
  return records_[row].empty() || records_[row][0] != dbase::kDeletedFlag;
}

void Table::skipDeleted() {
  while (position_ < records_.size() && !isLive(position_)) ++position_;
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
  if (position_ < records_.size()) ++position_;
  skipDeleted();
}

bool Table::eof() const { return mode_ != Mode::inserting && position_ >= records_.size(); }

void Table::append() {
  postIfPending();
  buffer_.assign(1, dbase::kLiveFlag);
  for (const dbase::Field& f : header_.fields) buffer_ += dbase::emptyValue(f);
  buffer_.resize(header_.recordLength, ' ');
  mode_ = Mode::inserting;
}

void Table::edit() {
  postIfPending();
  if (position_ >= records_.size()) throw std::logic_error("edit() at the end of " + name_);
  buffer_ = records_[position_];
  mode_ = Mode::editing;
}

void Table::post() {
  if (mode_ == Mode::browse) return;
  if (mode_ == Mode::inserting) {
    records_.push_back(buffer_);
    position_ = records_.size() - 1;
    for (auto& [names, idx] : indexes_) idx.try_emplace(rowKey(fieldList(names), buffer_), position_);
  } else {
    std::string& stored = records_[position_];
    for (auto it = indexes_.begin(); it != indexes_.end();) {
      const auto list = fieldList(it->first);
      it = rowKey(list, stored) == rowKey(list, buffer_) ? std::next(it) : indexes_.erase(it);
    }
    stored = buffer_;
  }
  mode_ = Mode::browse;
  changed_ = true;
}

const dbase::Field& Table::field(std::string_view name) const {
  for (const dbase::Field& f : header_.fields) {
    if (sameNameIgnoringCase(f.name, name)) return f;
  }
  // dBase III keeps ten characters of a longer name.
  if (name.size() > kDbase3NameLength) {
    for (const dbase::Field& f : header_.fields) {
      if (f.name.size() == kDbase3NameLength &&
          sameNameIgnoringCase(f.name, name.substr(0, kDbase3NameLength))) {
        return f;
      }
    }
  }
  throw TableError("La tabla " + name_ + " no tiene el campo " + std::string(name));
}

std::string_view Table::currentRecord() const {
  if (mode_ != Mode::browse) return buffer_;
  if (position_ >= records_.size()) {
    throw std::logic_error("reading past the end of " + name_);
  }
  return records_[position_];
}

std::string_view Table::value(const dbase::Field& f, std::string_view record) const {
  if (f.offset >= record.size()) return {};
  return record.substr(f.offset, f.width);
}

void Table::set(const dbase::Field& f, const std::string& bytes) {
  if (mode_ == Mode::browse) {
    throw std::logic_error("setting " + f.name + " of " + name_ + " outside append() or edit()");
  }
  buffer_.replace(f.offset, f.width, bytes);
}

void Table::setText(std::string_view name, std::string_view value) {
  const dbase::Field& f = field(name);
  std::size_t substituted = 0;
  const std::string bytes =
      dbase::writeText(f, header_.variant, value, codePage_, &substituted);
  set(f, bytes);
  if (substituted > 0) {
    const std::size_t row = mode_ == Mode::inserting ? records_.size() + 1 : position_ + 1;
    substitutions_.push_back({f.name, row, std::string(value)});
  }
}

void Table::setInteger(std::string_view name, std::int64_t value) {
  const dbase::Field& f = field(name);
  set(f, dbase::writeInteger(f, header_.variant, value, codePage_));
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
  if (f.type == 'C') {
    const std::string t = dbase::readText(f, header_.variant, raw, codePage_);
    return trim(t).empty() ? 0 : toInt32(t);
  }
  const auto number = dbase::readNumber(f, header_.variant, raw, codePage_);
  if (!number) return 0;
  const double limit = 9.2e18;
  if (*number > limit || *number < -limit) {
    throw ConversionError(notAValidInteger(dbase::readText(f, header_.variant, raw, codePage_)));
  }
  return std::llround(*number);
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

std::string Table::rowKey(const std::vector<const dbase::Field*>& fields,
                          std::string_view record) const {
  std::string key;
  for (const dbase::Field* f : fields) appendKeyPart(key, storedKey(*f, record));
  return key;
}

Table::Index& Table::index(const std::string& names) {
  auto [it, created] = indexes_.try_emplace(names);
  if (created) {
    const auto list = fieldList(names);
    it->second.reserve(records_.size());
    for (std::size_t i = 0; i < records_.size(); ++i) {
      if (isLive(i)) it->second.try_emplace(rowKey(list, records_[i]), i);
    }
  }
  return it->second;
}

bool Table::locate(std::string_view names, std::initializer_list<std::string_view> values) {
  postIfPending();
  const std::string normalized = asciiLower(names);
  const auto list = fieldList(normalized);
  if (list.size() != values.size()) {
    throw std::logic_error("locate() on " + name_ + " with " + std::to_string(list.size()) +
                           " fields and " + std::to_string(values.size()) + " values");
  }
  std::string key;
  auto value = values.begin();
  for (const dbase::Field* f : list) appendKeyPart(key, searchKey(*f, *value++));
  const Index& idx = index(normalized);
  const auto found = idx.find(key);
  if (found == idx.end()) return false;
  position_ = found->second;
  return true;
}

}  // namespace vestran
