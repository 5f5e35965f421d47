#pragma once

// Inside the document service: what watches a parse. It keeps the parser's first error
// (libxml2 reports later ones that only follow from it), holds internal entities to a
// budget, and tells a failed parse in the user's words. Not for use outside src/store/xml.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "store/xml/document.hpp"

struct _xmlDoc;
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

  // Lets the SAX callbacks find `listener` through listenerOf(), for the events of the
  // document itself; those of an entity's text, which libxml2 parses aside in a context of
  // its own, find none.
  void listen(void* listener) { listener_ = listener; }
  static void* listenerOf(void* context);

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
  void* listener_ = nullptr;
};

struct FreeDoc {
  void operator()(_xmlDoc* doc) const;
};
using DocPtr = std::unique_ptr<_xmlDoc, FreeDoc>;

// What a guarded parse gives: the document, or why there is none.
struct ParseOutcome {
  DocPtr doc;
  std::optional<LoadProblem> problem;
};

// Parses an input of `size` bytes that begins with `start` in a new parser context,
// watched by a ParseGuard: `prepare` (may be empty) may change the context's SAX callbacks
// and give the guard a listener, then `read` runs the parser with the options it gets. No
// network access, no external entity or DTD is loaded.
ParseOutcome parseGuarded(std::string_view start, std::uint64_t size,
                          const std::function<void(_xmlParserCtxt*, ParseGuard&)>& prepare,
                          const std::function<_xmlDoc*(_xmlParserCtxt*, int)>& read);

}  // namespace vestran::detail
