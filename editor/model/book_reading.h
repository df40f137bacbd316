// What the reference-book readers share: opening a book and reading the
// attributes of its elements, with the errors that end a load.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/msxml/dom_document.h"

// Loads the book into `doc`; raises EditorError with `not_found` (the path
// in place of "%s") when no file is there, and "Невозможно загрузить
// справочник" when it is no XML, naming the file when the book was refused
// for what it declares.
void LoadBook(DOMDocument40& doc, const std::string& path, std::string_view not_found);
// The children of the document element, each checked to be an element.
std::vector<DOMNode> BookEntries(const DOMDocument40& doc);
std::vector<DOMNode> ElementChildren(const DOMNode& node);
// The attribute's text; raises when the element has none.
std::string TextAttribute(const DOMNode& node, std::string_view name);
// The attribute as a decimal 32-bit integer; raises when it has none or its
// text is no such number.
int32_t IntAttribute(const DOMNode& node, std::string_view name);
