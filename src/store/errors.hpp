#pragma once

#include <stdexcept>
#include <string>

namespace vestran {

// Every failure a job reports to the user. what() is Spanish text meant for the user.
class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
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
// The message is the system's own conversion message, e.g. "'9:' is not a valid integer value".
class ConversionError : public Error {
 public:
  using Error::Error;
};

// The exchange document could not be used (not parsed, wrong root, failed save).
class DocumentError : public Error {
 public:
  using Error::Error;
};

}  // namespace vestran
