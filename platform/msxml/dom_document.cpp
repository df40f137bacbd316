#include "platform/msxml/dom_document.h"

#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <limits>
#include <new>

#include "platform/kernel/codepage.h"
#include "platform/kernel/files.h"

namespace {

struct XmlFree {
  void operator()(xmlChar* text) const { xmlFree(text); }
};

const char* Chars(const xmlChar* text) { return reinterpret_cast<const char*>(text); }
const xmlChar* Text(const std::string& text) {
  return reinterpret_cast<const xmlChar*>(text.c_str());
}

constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

bool IsBlankText(const xmlNode* node) {
  if (node->type != XML_TEXT_NODE || node->content == nullptr) return false;
  for (const xmlChar* c = node->content; *c; ++c) {
    if (*c != ' ' && *c != '\t' && *c != '\r' && *c != '\n') return false;
  }
  return true;
}

// The first internal entity the document declares, other than a
// predefined one (a declaration of those may only repeat their meaning,
// and a reference means the predefined entity whatever it says); empty
// when there is none. The declarations are the children of the subset.
std::string DeclaredInternalEntity(const xmlDoc* doc) {
  if (doc->intSubset == nullptr) return {};
  for (const xmlNode* node = doc->intSubset->children; node; node = node->next) {
    if (node->type != XML_ENTITY_DECL) continue;
    const auto* entity = reinterpret_cast<const xmlEntity*>(node);
    if (entity->etype == XML_INTERNAL_GENERAL_ENTITY &&
        xmlGetPredefinedEntity(entity->name) == nullptr) {
      return Chars(entity->name);
    }
  }
  return {};
}

}  // namespace

DOMNodeType DOMNode::nodeType() const {
  switch (node_->type) {
    case XML_ELEMENT_NODE: return NODE_ELEMENT;
    case XML_TEXT_NODE: return NODE_TEXT;
    case XML_CDATA_SECTION_NODE: return NODE_CDATA_SECTION;
    case XML_ENTITY_REF_NODE: return NODE_ENTITY_REFERENCE;
    case XML_PI_NODE: return NODE_PROCESSING_INSTRUCTION;
    case XML_COMMENT_NODE: return NODE_COMMENT;
    default: return NODE_OTHER;
  }
}

std::string DOMNode::nodeName() const {
  switch (node_->type) {
    case XML_TEXT_NODE: return "#text";
    case XML_COMMENT_NODE: return "#comment";
    case XML_CDATA_SECTION_NODE: return "#cdata-section";
    default: return node_->name ? Utf8ToAnsi(Chars(node_->name)) : std::string();
  }
}

std::vector<DOMNode> DOMNode::childNodes() const {
  std::vector<DOMNode> children;
  // A reference's children would be its entity's declaration: not expanded.
  if (node_->type == XML_ENTITY_REF_NODE) return children;
  for (xmlNode* child = node_->children; child; child = child->next) {
    if (!preserve_white_space_ && IsBlankText(child)) continue;
    children.push_back(DOMNode(child, preserve_white_space_));
  }
  return children;
}

std::optional<std::string> DOMNode::getAttribute(std::string_view name) const {
  if (node_->type != XML_ELEMENT_NODE) return std::nullopt;
  const std::string utf8_name = AnsiToUtf8(name);
  // Attributes in a namespace are matched by their qualified name.
  for (xmlAttr* attr = node_->properties; attr; attr = attr->next) {
    std::string qualified = Chars(attr->name);
    if (attr->ns && attr->ns->prefix)
      qualified = std::string(Chars(attr->ns->prefix)) + ":" + qualified;
    if (qualified != utf8_name) continue;
    std::unique_ptr<xmlChar, XmlFree> value(xmlNodeListGetString(node_->doc, attr->children, 1));
    return value ? Utf8ToAnsi(Chars(value.get())) : std::string();
  }
  return std::nullopt;
}

void DOMNode::setAttribute(std::string_view name, std::string_view value) {
  if (node_->type != XML_ELEMENT_NODE) return;
  const std::string utf8_name = AnsiToUtf8(name);
  const std::string utf8_value = AnsiToUtf8(value);
  xmlSetProp(node_, Text(utf8_name), Text(utf8_value));
}

DOMNode DOMNode::appendElement(std::string_view name) {
  const std::string utf8_name = AnsiToUtf8(name);
  xmlNode* element = xmlNewDocNode(node_->doc, nullptr, Text(utf8_name), nullptr);
  if (element == nullptr) throw std::bad_alloc();
  xmlAddChild(node_, element);
  return DOMNode(element, preserve_white_space_);
}

DOMDocument40::DOMDocument40() = default;
DOMDocument40::~DOMDocument40() = default;

void DOMDocument40::DocFree::operator()(_xmlDoc* doc) const { xmlFreeDoc(doc); }

bool DOMDocument40::load(std::string_view path) {
  doc_.reset();
  refusal_.clear();
  // Read here rather than by libxml2, so that the name is never taken for
  // an address.
  UniqueHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0));
  if (!file) return false;
  uint32_t high = 0;
  uint32_t size = GetFileSize(file.get(), &high);
  if (high != 0 || size > static_cast<uint32_t>(std::numeric_limits<int>::max())) return false;
  std::string bytes(size, '\0');
  uint32_t read = 0;
  if (!ReadFile(file.get(), bytes.data(), size, &read) || read != size) return false;
  return Take(
      xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr, kParseOptions));
}

bool DOMDocument40::loadXML(std::string_view text) {
  doc_.reset();
  refusal_.clear();
  const std::string utf8 = AnsiToUtf8(text);
  if (utf8.size() > static_cast<size_t>(std::numeric_limits<int>::max())) return false;
  return Take(
      xmlReadMemory(utf8.data(), static_cast<int>(utf8.size()), nullptr, "UTF-8", kParseOptions));
}

bool DOMDocument40::Take(_xmlDoc* parsed) {
  doc_.reset(parsed);
  if (doc_ == nullptr || xmlDocGetRootElement(doc_.get()) == nullptr) {
    doc_.reset();
    return false;
  }
  const std::string entity = DeclaredInternalEntity(doc_.get());
  if (!entity.empty()) {
    doc_.reset();
    refusal_ = "документ объявляет сущность [" + Utf8ToAnsi(entity) +
               "], а объявления сущностей не допускаются";
    return false;
  }
  return true;
}

bool DOMDocument40::save(std::string_view path) const {
  if (!doc_) return false;
  xmlChar* raw = nullptr;
  int size = 0;
  xmlDocDumpMemoryEnc(doc_.get(), &raw, &size, "windows-1251");
  const std::unique_ptr<xmlChar, XmlFree> bytes(raw);
  if (!bytes || size < 0) return false;
  UniqueHandle file(CreateFileA(path, GENERIC_WRITE, 0, CREATE_ALWAYS, 0));
  if (!file) return false;
  uint32_t written = 0;
  return WriteFile(file.get(), bytes.get(), static_cast<uint32_t>(size), &written) &&
         written == static_cast<uint32_t>(size);
}

std::optional<DOMNode> DOMDocument40::documentElement() const {
  if (!doc_) return std::nullopt;
  xmlNode* root = xmlDocGetRootElement(doc_.get());
  if (!root) return std::nullopt;
  return DOMNode(root, preserveWhiteSpace);
}
