#include "store/xml/extended_document.hpp"

#include <libxml/parserInternals.h>
#include <libxml/tree.h>

#include <algorithm>
#include <deque>
#include <new>
#include <stdexcept>

#include "store/errors.hpp"
#include "store/xml/detail/document_scan.hpp"
#include "store/xml/detail/parse_guard.hpp"
#include "store/xml/detail/splicing.hpp"

namespace vestran {

namespace {

const xmlChar* xml(const std::string& s) { return reinterpret_cast<const xmlChar*>(s.c_str()); }

}  // namespace

// The elements of the input that grow, as stand-ins in a scratch document, and the markup
// of the nodes settled. A settled node gives way to a marker, a text node written without
// escaping, "<\x01" and a number: no tag or escaped text starts so.
struct ExtendedDocument::Growth {
  struct Place {
    xmlNode* standIn = nullptr;
    std::string qualifiedName;  // of the element of the input
    detail::Location location;
    std::string markup;   // what it got, with markers, as last written
    std::string closing;  // the end tag an empty-element tag gets
  };
  Growth(detail::Units u, detail::Encoder e) : units(u), encoder(std::move(e)) {}
  ~Growth() {
    // The child's stand-in stands apart from the root's, outside the scratch tree.
    if (child.standIn) xmlFreeNode(child.standIn);
  }
  Growth(const Growth&) = delete;
  Growth& operator=(const Growth&) = delete;

  static constexpr std::string_view kMarker = "<\x01";

  static std::optional<std::size_t> markerNumber(const xmlNode* node) {
    if (!node || node->type != XML_TEXT_NODE || node->name != xmlStringTextNoenc) {
      return std::nullopt;
    }
    const std::string_view text(reinterpret_cast<const char*>(node->content));
    return std::stoul(std::string(text.substr(kMarker.size())));
  }

  void settle(xmlNode* parent) {
    xmlNode* first = parent->children;
    const auto number = markerNumber(first);
    if (number) first = first->next;
    if (!first) return;
    std::string markup = expandMarkers(detail::dump(scratch.get(), first));
    for (xmlNode* n = first; n;) {
      xmlNode* next = n->next;
      xmlUnlinkNode(n);
      xmlFreeNode(n);
      n = next;
    }
    if (number) {
      settled[*number] += markup;
      return;
    }
    settled.push_back(std::move(markup));
    const std::string marker = std::string(kMarker) + std::to_string(settled.size() - 1);
    xmlNode* node = xmlNewDocTextLen(scratch.get(), reinterpret_cast<const xmlChar*>(marker.data()),
                                     static_cast<int>(marker.size()));
    if (!node) throw std::bad_alloc();
    node->name = xmlStringTextNoenc;
    xmlAddChild(parent, node);
  }

  // The markup with the markers of settled nodes split out: the pieces in order.
  std::vector<std::string_view> split(std::string_view markup) const {
    std::vector<std::string_view> pieces;
    for (std::size_t at = markup.find(kMarker); at != std::string_view::npos;
         at = markup.find(kMarker)) {
      pieces.push_back(markup.substr(0, at));
      std::size_t end = at + kMarker.size();
      while (end < markup.size() && markup[end] >= '0' && markup[end] <= '9') ++end;
      pieces.push_back(settled[std::stoul(
          std::string(markup.substr(at + kMarker.size(), end - at - kMarker.size())))]);
      markup.remove_prefix(end);
    }
    pieces.push_back(markup);
    return pieces;
  }

  // The markup with the settled nodes it names in their place; they are not needed again.
  std::string expandMarkers(const std::string& markup) {
    if (markup.find(kMarker) == std::string::npos) return markup;
    std::string out;
    for (std::string_view piece : split(markup)) out += piece;
    return out;
  }

  detail::DocPtr scratch;
  Place root;
  Place child;
  std::vector<std::string> settled;
  std::deque<std::string> encoded;  // the pieces in the document's encoding, when it differs
  detail::Units units;
  detail::Encoder encoder;
};

std::size_t ExtendedDocument::Outline::countChildren(std::string_view name) const {
  for (const auto& [known, count] : childElements) {
    if (known == name) return count;
  }
  return 0;
}

ExtendedDocument::ExtendedDocument() = default;
ExtendedDocument::ExtendedDocument(ExtendedDocument&&) noexcept = default;
ExtendedDocument& ExtendedDocument::operator=(ExtendedDocument&&) noexcept = default;
ExtendedDocument::~ExtendedDocument() = default;

ExtendedDocument ExtendedDocument::parse(std::string bytes, std::string_view childName) {
  ExtendedDocument d;
  d.input_ = std::move(bytes);
  const detail::DocumentScan scan = detail::scanDocument(d.input_, childName);
  if (scan.problem) {
    d.problem_ = scan.problem;
    return d;
  }
  d.rootName_ = scan.root.name;
  d.encoding_ = scan.source.encodingName();
  if (scan.child)
    d.child_ = Outline{scan.child->line, scan.child->hasChildNodes, scan.child->childElements};

  const auto units = detail::unitsOf(d.encoding_);
  std::vector<std::vector<std::size_t>> paths{{0}};
  if (scan.child) paths.push_back({0, scan.child->position});
  const auto where = units ? detail::locate(d.input_, *units, paths) : std::nullopt;
  detail::Encoder encoder(d.encoding_, where && detail::usesCrlf(d.input_, *units));
  if (!where || !encoder.usable()) {
    // Its markup cannot be found byte by byte: the tree, written whole.
    Document tree = Document::parse(d.input_);
    if (tree.empty()) {
      d.problem_ = tree.problem();
      return d;
    }
    d.treeChild_ = tree.root().child(childName);
    d.tree_ = std::move(tree);
    return d;
  }

  auto growth = std::make_unique<Growth>(*units, std::move(encoder));
  growth->scratch.reset(xmlNewDoc(BAD_CAST "1.0"));
  if (!growth->scratch) throw std::bad_alloc();
  // Stand-ins with the default namespace in scope where the elements of the input are,
  // which decides whether a new element must declare itself in no namespace. The child's
  // is not in the root's, whose content it is not.
  const auto standIn = [&](const detail::ElementOutline& e) {
    xmlNode* node = xmlNewDocNode(growth->scratch.get(), nullptr, xml(e.name), nullptr);
    if (!node) throw std::bad_alloc();
    if (!e.defaultNamespace.empty()) xmlNewNs(node, xml(e.defaultNamespace), nullptr);
    return node;
  };
  growth->root.standIn = standIn(scan.root);
  xmlDocSetRootElement(growth->scratch.get(), growth->root.standIn);
  growth->root.qualifiedName = scan.root.qualifiedName;
  growth->root.location = (*where)[0];
  if (scan.child) {
    growth->child.standIn = standIn(*scan.child);
    growth->child.qualifiedName = scan.child->qualifiedName;
    growth->child.location = (*where)[1];
  }
  d.growth_ = std::move(growth);
  return d;
}

bool ExtendedDocument::empty() const { return problem_.has_value(); }

const std::optional<LoadProblem>& ExtendedDocument::problem() const { return problem_; }

std::string ExtendedDocument::rootName() const { return rootName_; }

std::string ExtendedDocument::encoding() const { return encoding_; }

const ExtendedDocument::Outline* ExtendedDocument::child() const {
  return child_ ? &*child_ : nullptr;
}

Element ExtendedDocument::root() {
  if (tree_) return tree_->root();
  return growth_ ? Element(growth_->root.standIn) : Element();
}

Element ExtendedDocument::outlinedChild() {
  if (tree_) return treeChild_;
  return growth_ ? Element(growth_->child.standIn) : Element();
}

void ExtendedDocument::settle(const Element& parent) {
  if (growth_ && parent) growth_->settle(parent.node_);
}

std::vector<std::string_view> ExtendedDocument::pieces() {
  // Bytes [from, to) of the input give way to the pieces of an addition.
  struct Insertion {
    std::size_t from;
    std::size_t to;
    std::vector<std::string_view> pieces;
  };
  std::vector<Insertion> insertions;
  const detail::Units units = growth_->units;
  for (Growth::Place* place : {&growth_->root, &growth_->child}) {
    if (!place->standIn || !place->standIn->children) continue;
    place->markup = detail::dump(growth_->scratch.get(), place->standIn->children);
    Insertion ins{place->location.endTag, place->location.endTag, growth_->split(place->markup)};
    if (place->location.endTag == detail::Location::kNone) {
      // An empty-element tag opens: "/>" becomes ">", the addition and an end tag.
      ins.from = place->location.emptyTagEnd;
      ins.to = ins.from + 2 * units.width;
      place->closing = "</" + place->qualifiedName + ">";
      ins.pieces.insert(ins.pieces.begin(), ">");
      ins.pieces.push_back(place->closing);
    }
    if (!growth_->encoder.unchanged()) {
      for (std::string_view& piece : ins.pieces) {
        auto encoded = growth_->encoder(piece);
        if (!encoded) {
          throw DocumentError("No se puede escribir el horario en la codificación del documento (" +
                              encoding_ + ")");
        }
        piece = growth_->encoded.emplace_back(std::move(*encoded));
      }
    }
    insertions.push_back(std::move(ins));
  }
  std::sort(insertions.begin(), insertions.end(),
            [](const Insertion& a, const Insertion& b) { return a.from < b.from; });
  const std::string_view input = input_;
  std::vector<std::string_view> out;
  std::size_t copied = 0;
  for (const Insertion& ins : insertions) {
    out.push_back(input.substr(copied, ins.from - copied));
    out.insert(out.end(), ins.pieces.begin(), ins.pieces.end());
    copied = ins.to;
  }
  out.push_back(input.substr(copied));
  return out;
}

std::string ExtendedDocument::serialize() {
  if (tree_) return tree_->serialize();
  if (!growth_) return {};
  std::string out;
  for (std::string_view piece : pieces()) out += piece;
  return out;
}

void ExtendedDocument::save(const std::filesystem::path& path) {
  if (tree_) return tree_->save(path);
  if (!growth_) throw std::logic_error("ExtendedDocument::save on an empty document");
  const std::vector<std::string_view> parts = pieces();
  Document::saveBytes(path, parts);
}

}  // namespace vestran
