#pragma once

// The planner table store: dBase tables in the planner directory, held exclusively while
// open, kept in memory and written back in one piece when closed.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "store/dbase/codepage.hpp"
#include "store/dbase/dbase_format.hpp"
#include "store/errors.hpp"
#include "store/os/exclusive_file.hpp"
#include "store/table/table_code_page.hpp"
#include "store/table/table_index.hpp"

namespace vestran {

// A text the table's code page could not hold entirely: its missing characters were
// stored as "?".
struct Substitution {
  std::string field;
  std::size_t row = 0;  // 1 for the first row of the file
  std::string text;
};

// "La tabla X (file) está abierta en otro programa…", then `afterwards` (what was left
// untouched, or what will happen next).
TableLockedError heldByAnotherProgram(std::string_view table, const std::filesystem::path& file,
                                      std::string_view afterwards);

class Table {
 public:
  // Deletes NAME.DBF and NAME.MDX in dir (whatever their letter case), then creates the empty
  // table NAME.DBF with exactly these fields in this order and no index.
  // Throws TableLockedError when another program holds the table, TableError otherwise.
  static void recreate(const std::filesystem::path& dir, std::string_view name,
                       std::span<const FieldDef> fields, TableFormat format);

  // Opens the table NAME (NAME.DBF in any letter case) for this process alone.
  // Throws TableError when it is missing, unreadable or not a dBase table,
  // TableLockedError when another program holds it, OutOfMemoryError when it does not fit
  // in memory.
  static Table open(const std::filesystem::path& dir, std::string_view name);

  // Opens this very file, whatever its name, as open() does.
  static Table openFile(const std::filesystem::path& file);

  Table(Table&&) noexcept;
  Table& operator=(Table&&) noexcept;
  Table(const Table&) = delete;
  Table& operator=(const Table&) = delete;
  // Writes what was posted, if anything, and releases the table; errors are swallowed.
  // Call close() to learn of them.
  ~Table();

  // Writes the table if it changed (replacing the file in one step, so a crash leaves the
  // earlier file or the new one) and releases it. A row not yet posted is dropped.
  // Throws TableError.
  void close();

  const std::string& name() const { return name_; }
  const std::filesystem::path& path() const { return file_.path(); }
  int codePage() const { return codePage_.number(); }
  CodePageSource codePageSource() const { return codePageFound_.source; }
  // In Spanish, when the header did not name the code page: which one is used, and why.
  std::optional<std::string> codePageNote() const;
  dbase::Variant variant() const { return header_.variant; }
  // The visible fields in table order.
  std::vector<const dbase::Field*> fields() const;
  // The field of that name (letter case ignored; a dBase III table's ten-character name
  // matches the longer name it was cut from). Throws TableError when there is none.
  const dbase::Field& field(std::string_view name) const;
  // Whether the table has the field (letter case ignored, as field() finds it).
  bool hasField(std::string_view name) const;
  // Whether the field can hold a number: a numeric type (or text) with room for a digit.
  bool holdsNumbers(std::string_view name) const;
  // The field's type as the user reads it, such as "D (fecha)".
  std::string typeName(std::string_view name) const;
  // Live rows (deleted ones are not rows).
  std::size_t rowCount() const;

  // Rows come in stored order; deleted rows are skipped. Moving posts a pending row.
  void first();
  void next();
  bool eof() const;
  // The current row's number in the file, 1 for the first.
  std::size_t rowNumber() const;

  // Starts a new row after all others; fields not set stay empty.
  void append();
  // Makes room for `rows` more rows, when the caller knows how many it will append.
  void reserveRows(std::size_t rows);
  // Starts changing the current row.
  void edit();
  // Stores the new or changed row.
  void post();

  // Setting requires append() or edit() first. Text longer than a character field is cut
  // to its width in characters. Throws ConversionError, naming table, row and field, for
  // text a numeric field cannot take; TableError for an unknown field or a value that
  // does not fit.
  void setText(std::string_view field, std::string_view value);
  void setInteger(std::string_view field, std::int64_t value);
  // The same for a field found once with field(): rows of many fields cost no look-ups.
  void setText(const dbase::Field& field, std::string_view value);
  void setInteger(const dbase::Field& field, std::int64_t value);
  void setLogical(std::string_view field, bool value);

  // The current row's value as text ("" when empty). Stored trailing blanks do not come
  // back; leading ones do.
  std::string text(std::string_view field) const;
  // The current row's value as the nearest whole number, 0 when empty. Throws
  // ConversionError, naming table, row and field, when a character field does not hold a
  // number or the number does not fit in 64 bits.
  std::int64_t integer(std::string_view field) const;

  // The current row's value as a whole number, and whether it holds one: a numeric value
  // is taken to the nearest whole number; a text must be a whole decimal number.
  struct WholeNumber {
    enum class State { empty, number, notANumber } state = State::empty;
    std::int64_t value = 0;
    std::string text;  // the value as stored, for messages
  };
  WholeNumber wholeNumber(std::string_view field) const;

  // Makes current the first row, in stored order, whose fields equal the values exactly
  // (letter case included). `fields` names one field or several joined by ";". A value is
  // compared as the table would hold it, in its code page, but not cut to the field's width.
  // Returns false, leaving the position alone, when no row matches. Uses an index kept in
  // memory, so a search does not scan the table.
  bool locate(std::string_view fields, std::initializer_list<std::string_view> values);

  // Texts whose characters the code page could not hold, in the order they were set.
  const std::vector<Substitution>& substitutions() const { return substitutions_; }

 private:
  Table();
  static Table openAs(const std::filesystem::path& path, const std::string& base);
  // Reads the header and the rows from file_.
  void readContent();
  enum class Mode { browse, inserting, editing };

  std::string_view currentRecord() const;
  std::string_view value(const dbase::Field& f, std::string_view record) const;
  void set(const dbase::Field& f, const std::string& bytes);
  std::size_t pendingRowNumber() const;
  ErrorPlace placeOf(const dbase::Field& f, std::size_t row) const;
  std::string storedKey(const dbase::Field& f, std::string_view record) const;
  std::string searchKey(const dbase::Field& f, std::string_view value) const;
  std::vector<const dbase::Field*> fieldList(std::string_view names) const;
  // The index over `names` as a caller spells them ("CASIG;CGRUP"), built on first use.
  TableIndex& index(std::string_view names);
  std::string rowKey(const TableIndex& index, std::string_view record) const;
  void skipDeleted();
  void postIfPending();
  void write();
  bool isLive(std::size_t row) const;

  std::string name_;
  os::ExclusiveFile file_;
  dbase::Header header_;
  std::string headerBytes_;
  CodePage codePage_;
  TableCodePage codePageFound_;
  // The rows one after another, as the file holds them.
  std::string rows_;
  std::size_t rowsInFile_ = 0;
  std::string_view record(std::size_t row) const {
    return std::string_view(rows_).substr(row * header_.recordLength, header_.recordLength);
  }
  void indexFields();
  std::size_t position_ = 0;
  Mode mode_ = Mode::browse;
  std::string buffer_;
  std::string emptyRecord_;  // a new row's content, made once
  bool changed_ = false;
  // Looked up by the caller's spelling without making a string of it.
  struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  std::unordered_map<std::string, TableIndex, NameHash, std::equal_to<>> indexes_;
  // The fields by their names in upper case.
  std::unordered_map<std::string, const dbase::Field*, NameHash, std::equal_to<>> fieldsByName_;
  std::vector<Substitution> substitutions_;
};

}  // namespace vestran
