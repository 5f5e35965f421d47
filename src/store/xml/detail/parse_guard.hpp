#pragma once

// Inside the document service: what watches a parse. It keeps the parser's first error
// (libxml2 reports later ones that only follow from it), holds internal entities to a
// budget, and tells a failed parse in the user's words. Not for use outside src/store/xml.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "store/xml/document.hpp"

struct _xmlParserCtxt;
struct _xmlEntity;
struct _xmlError;

namespace vestran::detail {

class ParseGuard {
 public:
  // Watches the parse by `context` of an input of `size` bytes that begins with `start`,
  // from now on, until destroyed.
  ParseGuard(_xmlParserCtxt* context, std::string_view start, std::uint64_t size);
  ~ParseGuard();
  ParseGuard(const ParseGuard&) = delete;
  ParseGuard& operator=(const ParseGuard&) = delete;

  // Why the parse failed, or why its document must not be used (entities past the
  // budget); nullopt when it succeeded.
  std::optional<LoadProblem> problem(bool parsed) const;

 private:
  static void onError(void* context, _xmlError* error);
  static _xmlEntity* onEntity(void* context, const unsigned char* name);
  std::uint64_t expandedLength(_xmlEntity* entity, int depth);

  _xmlParserCtxt* context_;
  std::string_view start_;
  struct FirstError {
    int code = 0;
    int line = 0;
    int column = 0;
    std::string message;
    std::string name1;  // the element or encoding the message is about
    std::string name2;
    int number1 = 0;
  };
  std::optional<FirstError> first_;
  std::uint64_t entityBudget_ = 0;
  std::uint64_t entityUse_ = 0;
  bool entityBudgetExceeded_ = false;
  std::unordered_map<const _xmlEntity*, std::uint64_t> expanded_;
};

}  // namespace vestran::detail
