#include "store/xml/detail/parse_guard.hpp"

#include <libxml/SAX2.h>
#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/xmlerror.h>

#include <algorithm>
#include <mutex>

#include "store/text.hpp"

namespace vestran::detail {

namespace {

// Entities may add at most this much to what the document itself holds.
constexpr std::uint64_t kEntityAllowance = 1 << 20;
// Entities nested deeper than this are left to libxml2's own checks.
constexpr int kEntityDepth = 40;

std::string lineText(int line) { return line > 0 ? " (línea " + std::to_string(line) + ")" : ""; }

bool onlyBlanks(std::string_view bytes) {
  // A byte-order mark alone counts as nothing, in UTF-8 and in UTF-16.
  for (std::string_view bom : {"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"}) {
    if (bytes.starts_with(bom)) {
      bytes.remove_prefix(bom.size());
      break;
    }
  }
  return std::all_of(bytes.begin(), bytes.end(), [](char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0';
  });
}

// Refuses every external entity and DTD.
xmlParserInputPtr refuseExternal(const char*, const char*, xmlParserCtxtPtr) { return nullptr; }

void silence(void*, const char*, ...) {}

void initialiseParser() {
  static std::once_flag once;
  std::call_once(once, [] {
    xmlInitParser();
    xmlSetExternalEntityLoader(refuseExternal);
    xmlSetGenericErrorFunc(nullptr, silence);
  });
}

struct FreeParserContext {
  void operator()(xmlParserCtxt* c) const { xmlFreeParserCtxt(c); }
};

}  // namespace

void FreeDoc::operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }

ParseOutcome parseGuarded(std::string_view start, std::uint64_t size,
                          const std::function<void(xmlParserCtxt*, ParseGuard&)>& prepare,
                          const std::function<xmlDoc*(xmlParserCtxt*, int)>& read) {
  initialiseParser();
  const std::unique_ptr<xmlParserCtxt, FreeParserContext> context(xmlNewParserCtxt());
  if (!context) {
    return {nullptr, LoadProblem{LoadProblem::Kind::outOfMemory,
                                 "no hay memoria suficiente para leerlo", 0, 0}};
  }
  if (size > Document::kLargestDocument) {
    return {nullptr, LoadProblem{LoadProblem::Kind::tooLarge,
                                 "pasa de 2 GB, más de lo que admite el lector de XML", 0, 0}};
  }
  ParseGuard guard(context.get(), start, size);
  if (prepare) prepare(context.get(), guard);
  const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
  ParseOutcome outcome;
  outcome.doc.reset(read(context.get(), options));
  outcome.problem = guard.problem(outcome.doc != nullptr);
  if (outcome.problem) outcome.doc.reset();
  return outcome;
}

ParseGuard::ParseGuard(xmlParserCtxtPtr context, std::string_view start, std::uint64_t size)
    : context_(context), start_(start), entityBudget_(size + kEntityAllowance) {
  context_->_private = this;
  context_->sax->serror = &ParseGuard::onError;
  context_->sax->getEntity = &ParseGuard::onEntity;
}

ParseGuard::~ParseGuard() { context_->_private = nullptr; }

void* ParseGuard::listenerOf(void* context) {
  const auto parser = static_cast<xmlParserCtxtPtr>(context);
  const auto* guard = static_cast<ParseGuard*>(parser->_private);
  return guard && guard->context_ == parser ? guard->listener_ : nullptr;
}

void ParseGuard::onError(void* context, xmlErrorPtr error) {
  auto* guard = static_cast<ParseGuard*>(static_cast<xmlParserCtxtPtr>(context)->_private);
  if (!guard || !error || guard->first_ || error->level < XML_ERR_ERROR) return;
  FirstError e;
  e.code = error->code;
  e.line = error->line;
  e.column = error->int2;
  e.message = error->message ? trim(error->message) : "";
  e.name1 = error->str1 ? error->str1 : "";
  e.name2 = error->str2 ? error->str2 : "";
  e.number1 = error->int1;
  guard->first_ = std::move(e);
}

// Every reference to an entity passes here, in the document and inside other entities:
// what all of them expand to is added up, and the parse stops once that passes the
// budget, before the expansion takes the memory.
xmlEntityPtr ParseGuard::onEntity(void* context, const xmlChar* name) {
  const auto parser = static_cast<xmlParserCtxtPtr>(context);
  xmlEntityPtr entity = xmlSAX2GetEntity(context, name);
  auto* guard = static_cast<ParseGuard*>(parser->_private);
  if (!guard || !entity || entity->etype != XML_INTERNAL_GENERAL_ENTITY) return entity;
  guard->entityUse_ += guard->expandedLength(entity, 0);
  if (guard->entityUse_ > guard->entityBudget_) {
    guard->entityBudgetExceeded_ = true;
    xmlStopParser(parser);
    return nullptr;
  }
  return entity;
}

// The length of the entity's text with every entity it names expanded, at most one past
// the budget.
std::uint64_t ParseGuard::expandedLength(xmlEntityPtr entity, int depth) {
  if (const auto known = expanded_.find(entity); known != expanded_.end()) return known->second;
  const std::string_view text =
      entity->content ? std::string_view(reinterpret_cast<const char*>(entity->content))
                      : std::string_view();
  std::uint64_t length = 0;
  for (std::size_t i = 0; i < text.size() && length <= entityBudget_;) {
    const std::size_t end = text[i] == '&' ? text.find(';', i) : std::string_view::npos;
    if (end == std::string_view::npos || depth >= kEntityDepth || text[i + 1] == '#') {
      ++length;
      ++i;
      continue;
    }
    const std::string inner(text.substr(i + 1, end - i - 1));
    xmlEntityPtr named =
        xmlGetDocEntity(context_->myDoc, reinterpret_cast<const xmlChar*>(inner.c_str()));
    length += named && named != entity ? expandedLength(named, depth + 1) : end - i + 1;
    i = end + 1;
  }
  length = std::min(length, entityBudget_ + 1);
  expanded_[entity] = length;
  return length;
}

std::optional<LoadProblem> ParseGuard::problem(bool parsed) const {
  using Kind = LoadProblem::Kind;
  if (entityBudgetExceeded_) {
    return LoadProblem{Kind::entityExpansion,
                       "sus entidades (<!ENTITY …>) se expanden a más de " +
                           std::to_string(entityBudget_ / (1 << 20)) +
                           " MB, mucho más de lo que ocupa el propio documento",
                       0, 0};
  }
  if (parsed) return std::nullopt;
  const FirstError e = first_.value_or(FirstError{});
  LoadProblem p{Kind::malformed, "", e.line, e.column};
  const std::string at = lineText(e.line);
  switch (e.code) {
    case XML_ERR_NO_MEMORY:
      p.kind = Kind::outOfMemory;
      p.message = "no hay memoria suficiente para leerlo";
      return p;
    case XML_ERR_DOCUMENT_EMPTY:
      p.kind = onlyBlanks(start_) ? Kind::empty : Kind::notXml;
      p.message = p.kind == Kind::empty
                      ? "el archivo está vacío"
                      : "no es un documento XML: no empieza por una etiqueta como <datosGHC>";
      return p;
    case XML_ERR_TAG_NOT_FINISHED:
    case XML_ERR_LTSLASH_REQUIRED:
    case XML_ERR_GT_REQUIRED:
      p.kind = Kind::unfinished;
      p.message = e.name1.empty()
                      ? "el documento se acaba antes de tiempo" + at + ": parece cortado"
                      : "el documento se acaba sin cerrar el elemento <" + e.name1 +
                            "> que empieza en la línea " + std::to_string(e.number1) +
                            ": parece cortado";
      return p;
    case XML_ERR_TAG_NAME_MISMATCH:
      p.kind = Kind::mismatchedTag;
      p.message = "la etiqueta de cierre </" + e.name2 + ">" + at + " no cierra el elemento <" +
                  e.name1 + "> que empieza en la línea " + std::to_string(e.number1);
      return p;
    case XML_ERR_DOCUMENT_END:
      p.kind = Kind::extraContent;
      p.message = "hay algo más después del final de su elemento principal" + at;
      return p;
    case XML_ERR_INVALID_CHAR:
    case XML_ERR_INVALID_ENCODING:
    case XML_ERR_INVALID_CHARREF:
      p.kind = Kind::encoding;
      p.message = "tiene caracteres que no son válidos" + at +
                  ": quizá se guardó con otra codificación de la que declara";
      return p;
    case XML_ERR_UNSUPPORTED_ENCODING:
    case XML_ERR_UNKNOWN_ENCODING:
      p.kind = Kind::encoding;
      p.message = "declara una codificación que no se conoce" +
                  (e.name1.empty() ? std::string() : " ('" + e.name1 + "')");
      return p;
    default:
      break;
  }
  if (e.code == XML_ERR_NAME_TOO_LONG || e.message.find("too long") != std::string::npos ||
      e.message.find("XML_PARSE_HUGE") != std::string::npos ||
      e.message.find("huge") != std::string::npos) {
    p.kind = Kind::beyondLimits;
    p.message =
        "tiene un texto, un nombre o un anidamiento mayor de lo que admite el lector "
        "de XML" +
        at;
    return p;
  }
  if (context_->errNo == XML_ERR_NO_MEMORY) {
    p.kind = Kind::outOfMemory;
    p.message = "no hay memoria suficiente para leerlo";
    return p;
  }
  p.message = "no sigue las reglas del XML" +
              (e.line > 0 ? " en la línea " + std::to_string(e.line) +
                                (e.column > 0 ? ", columna " + std::to_string(e.column) : "")
                          : std::string());
  return p;
}

}  // namespace vestran::detail
