#include "store/xml/detail/document_scan.hpp"

#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <new>

#include "store/xml/detail/parse_guard.hpp"

namespace vestran::detail {

namespace {

std::string_view text(const xmlChar* s) {
  return s ? std::string_view(reinterpret_cast<const char*>(s)) : std::string_view();
}

// Follows the parse's SAX events of the document itself.
class Scanner {
 public:
  Scanner(DocumentScan& scan, std::string_view childName) : scan_(scan), childName_(childName) {}

  static void install(xmlSAXHandler& sax) {
    sax.startElementNs = &Scanner::onStart;
    sax.endElementNs = &Scanner::onEnd;
    sax.characters = &Scanner::onContent;
    sax.ignorableWhitespace = &Scanner::onContent;
    sax.cdataBlock = &Scanner::onContent;
    sax.comment = &Scanner::onComment;
    sax.processingInstruction = &Scanner::onInstruction;
    sax.reference = &Scanner::onReference;
  }

 private:
  static Scanner* of(void* context) {
    return static_cast<Scanner*>(ParseGuard::listenerOf(context));
  }

  static void onStart(void* context, const xmlChar* localName, const xmlChar* prefix,
                      const xmlChar*, int namespaceCount, const xmlChar** namespaces, int, int,
                      const xmlChar**) {
    Scanner* s = of(context);
    if (!s) return;
    // The default namespace this element declares, if it declares one.
    std::optional<std::string_view> declared;
    for (int k = 0; k < namespaceCount; ++k) {
      if (!namespaces[2 * k]) declared = text(namespaces[2 * k + 1]);
    }
    const int line = static_cast<xmlParserCtxtPtr>(context)->input->line;
    if (s->depth_ == 0) {
      s->describe(s->scan_.root, localName, prefix, line);
      s->scan_.root.defaultNamespace = declared.value_or("");
    } else if (s->depth_ == 1) {
      const std::size_t position = s->rootChildren_++;
      if (!s->scan_.child && text(localName) == s->childName_) {
        ElementOutline& child = s->scan_.child.emplace();
        s->describe(child, localName, prefix, line);
        child.position = position;
        child.defaultNamespace = declared.value_or(s->scan_.root.defaultNamespace);
        s->inChild_ = true;
      }
    } else if (s->depth_ == 2 && s->inChild_) {
      s->countChild(text(localName));
    }
    ++s->depth_;
  }

  static void onEnd(void* context, const xmlChar*, const xmlChar*, const xmlChar*) {
    Scanner* s = of(context);
    if (!s) return;
    --s->depth_;
    if (s->depth_ == 1) s->inChild_ = false;
  }

  static void onContent(void* context, const xmlChar*, int) { noteContent(context); }
  static void onComment(void* context, const xmlChar*) { noteContent(context); }
  static void onInstruction(void* context, const xmlChar*, const xmlChar*) { noteContent(context); }
  static void onReference(void* context, const xmlChar*) { noteContent(context); }

  static void noteContent(void* context) {
    Scanner* s = of(context);
    if (s && s->inChild_) s->scan_.child->hasChildNodes = true;
  }

  void describe(ElementOutline& e, const xmlChar* localName, const xmlChar* prefix, int line) {
    e.name = text(localName);
    e.qualifiedName = prefix ? std::string(text(prefix)) + ":" + e.name : e.name;
    e.line = line;
  }

  void countChild(std::string_view name) {
    ElementOutline& child = *scan_.child;
    child.hasChildNodes = true;
    for (auto& [known, count] : child.childElements) {
      if (known == name) {
        ++count;
        return;
      }
    }
    child.childElements.emplace_back(name, 1);
  }

  DocumentScan& scan_;
  std::string_view childName_;
  int depth_ = 0;
  std::size_t rootChildren_ = 0;
  bool inChild_ = false;
};

}  // namespace

DocumentScan scanDocument(std::string_view bytes, std::string_view childName) {
  DocumentScan scan;
  scan.source = SourceForm::of(bytes);
  Scanner scanner(scan, childName);
  ParseOutcome outcome = parseGuarded(
      bytes, bytes.size(),
      [&](xmlParserCtxtPtr context, ParseGuard& guard) {
        Scanner::install(*context->sax);
        guard.listen(&scanner);
      },
      [&](xmlParserCtxtPtr context, int options) {
        return xmlCtxtReadMemory(context, bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                 nullptr, options);
      });
  scan.problem = std::move(outcome.problem);
  if (!scan.problem && outcome.doc && outcome.doc->encoding && scan.source.encoding.empty()) {
    scan.source.encoding = reinterpret_cast<const char*>(outcome.doc->encoding);
  }
  return scan;
}

}  // namespace vestran::detail
