#include "editor/model/book_reading.h"

#include <charconv>

#include "editor/model/editor_error.h"
#include "platform/kernel/file_system.h"

void LoadBook(DOMDocument40& doc, const std::string& path, std::string_view not_found) {
  uint32_t attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    std::string message(not_found);
    message.replace(message.find("%s"), 2, path);
    throw EditorError(message);
  }
  if (!doc.load(path)) {
    if (doc.refusal().empty()) throw EditorError("Невозможно загрузить справочник");
    throw EditorError("Невозможно загрузить справочник [" + path + "]: " + doc.refusal());
  }
}

std::vector<DOMNode> ElementChildren(const DOMNode& node) {
  std::vector<DOMNode> children = node.childNodes();
  for (const DOMNode& child : children) {
    if (child.nodeType() != NODE_ELEMENT) {
      throw EditorError("Узел \"" + child.nodeName() + "\" внутри элемента \"" + node.nodeName() +
                        "\" не является элементом");
    }
  }
  return children;
}

std::vector<DOMNode> BookEntries(const DOMDocument40& doc) {
  return ElementChildren(*doc.documentElement());
}

std::string TextAttribute(const DOMNode& node, std::string_view name) {
  std::optional<std::string> value = node.getAttribute(name);
  if (!value) {
    throw EditorError("У элемента \"" + node.nodeName() + "\" нет атрибута \"" + std::string(name) +
                      "\"");
  }
  return *value;
}

int32_t IntAttribute(const DOMNode& node, std::string_view name) {
  const std::string text = TextAttribute(node, name);
  std::string_view digits = text;
  if (digits.size() > 1 && digits[0] == '+' && digits[1] != '-') digits.remove_prefix(1);
  int32_t value = 0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) {
    throw EditorError("Значение \"" + text + "\" атрибута \"" + std::string(name) +
                      "\" элемента \"" + node.nodeName() + "\" не является целым числом");
  }
  return value;
}
