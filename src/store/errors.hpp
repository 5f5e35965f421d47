#pragma once

// The failures a job reports to the user. Every one derives from Error: what() is the
// Spanish message for the user, in the user's words and with what to do next; place()
// says where it happened, as data; technicalDetail() may add what a technician needs
// (the CLI prints it, the windows do not).

#include <cstddef>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>
#include <utility>

namespace vestran {

// Where a failure happened, as far as it is known.
struct ErrorPlace {
  std::string table{};           // a planner table, such as "SOLUC"
  std::filesystem::path file{};  // the file concerned
  std::size_t row = 0;           // 1 for a table's first row; 0 when not about a row
  std::string field{};           // a field of that table
  int line = 0;                  // a line of a document; 0 when not known
  std::error_code cause{};       // the system's reason, for a failed file operation
};

class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message, ErrorPlace place = {},
                 std::string technicalDetail = {})
      : std::runtime_error(message),
        place_(std::move(place)),
        technicalDetail_(std::move(technicalDetail)) {}
  const ErrorPlace& place() const { return place_; }
  const std::string& technicalDetail() const { return technicalDetail_; }

 private:
  ErrorPlace place_;
  std::string technicalDetail_;
};

// A planner table could not be found, opened, read, created or written.
class TableError : public Error {
 public:
  using Error::Error;
};

// The table is held by another program.
class TableLockedError : public TableError {
 public:
  using TableError::TableError;
};

// A text could not be converted to the number a field or a step needs.
class ConversionError : public Error {
 public:
  using Error::Error;
};

// The exchange document could not be used (not read, not parsed, wrong root, failed save).
class DocumentError : public Error {
 public:
  using Error::Error;
};

// Another vestran run is using the planner folder.
class FolderBusyError : public Error {
 public:
  using Error::Error;
};

// The memory ran out while reading or building something.
class OutOfMemoryError : public Error {
 public:
  using Error::Error;
};

// An option or an environment variable names nothing vestran knows.
class SettingError : public Error {
 public:
  using Error::Error;
};

}  // namespace vestran
