// The DOM document of the editor's reference books and inventories, over
// libxml2. Names and texts are cp1251 here whatever the file's encoding.
// Loading never touches the network and substitutes no entities into the
// tree; whitespace-only text between elements is dropped unless
// preserveWhiteSpace is set, as the DOM does by default. A document that
// declares an internal entity is refused: references to it in attributes
// would be expanded on reading, and a few kilobytes of them expand to
// gigabytes; the predefined entities and character references need no
// declaration.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct _xmlDoc;
struct _xmlNode;

enum DOMNodeType {
  NODE_ELEMENT = 1,
  NODE_TEXT = 3,
  NODE_CDATA_SECTION = 4,
  NODE_ENTITY_REFERENCE = 5,
  NODE_PROCESSING_INSTRUCTION = 7,
  NODE_COMMENT = 8,
  NODE_OTHER = 0,
};

// A view of one node, valid while its document lives and is not reloaded.
class DOMNode {
 public:
  DOMNodeType nodeType() const;
  // The element's name; "#text", "#comment", "#cdata-section" or the
  // target of a processing instruction for the others.
  std::string nodeName() const;
  std::vector<DOMNode> childNodes() const;
  // An element's attribute by its exact name; nothing when it has none.
  std::optional<std::string> getAttribute(std::string_view name) const;
  // Sets (or replaces) an element's attribute.
  void setAttribute(std::string_view name, std::string_view value);
  // Creates an element of the document and appends it as the last child;
  // the new element's view.
  DOMNode appendElement(std::string_view name);

 private:
  friend class DOMDocument40;
  DOMNode(_xmlNode* node, bool preserve_white_space)
      : node_(node), preserve_white_space_(preserve_white_space) {}

  _xmlNode* node_;
  bool preserve_white_space_;
};

class DOMDocument40 {
 public:
  DOMDocument40();
  ~DOMDocument40();
  DOMDocument40(const DOMDocument40&) = delete;
  DOMDocument40& operator=(const DOMDocument40&) = delete;

  // Reads the file (cp1251 path) synchronously. False, and no document,
  // when it cannot be read, is not well-formed XML or is refused.
  bool load(std::string_view path);
  // Parses the text (cp1251) as a document; the encoding it declares is
  // not looked at, as the text is already characters. False, and no
  // document, when it is not well-formed XML or is refused.
  bool loadXML(std::string_view text);
  // Why the last load refused a well-formed document, in Russian (cp1251);
  // empty when it loaded or was no well-formed XML.
  const std::string& refusal() const { return refusal_; }
  std::optional<DOMNode> documentElement() const;
  // Writes the document to the file (cp1251 path) in windows-1251, without
  // added whitespace. False when there is no document or the file cannot
  // be written.
  bool save(std::string_view path) const;

  bool preserveWhiteSpace = false;

 private:
  struct DocFree {
    void operator()(_xmlDoc* doc) const;
  };
  // Keeps the parsed document unless it has no root or is refused.
  bool Take(_xmlDoc* parsed);

  std::unique_ptr<_xmlDoc, DocFree> doc_;
  std::string refusal_;
};
