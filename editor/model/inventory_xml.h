// The pieces of an inventory document that both registration kinds write
// and read through the DOM: attributes, the root, document rows and their
// signatures. Names and values are cp1251.
#pragma once

#include <memory>
#include <string>

#include "editor/model/packet.h"
#include "platform/msxml/dom_document.h"

// The document type of the inventory itself.
inline constexpr char kInventoryDocType[] = "07";
// Whether the inventory being written describes the row: every row but a
// previous inventory, which the new one replaces.
inline bool DescribedByInventory(const TRegDoc& row) {
  return row.DocTypeCode != kInventoryDocType;
}

// Writes the attribute, or nothing when `optional` is set and the value is
// empty; a required empty value is written empty.
void SetXmlAttribute(DOMNode& element, const std::string& name, const std::string& value,
                     bool optional);
bool HasAttribute(const DOMNode& node, const std::string& name);
// The attribute's value; raises, naming the attribute and its element,
// when the node has none.
std::string RequiredAttribute(const DOMNode& node, const std::string& name);

// A document holding only the root Файл with ИдФайл, ВерсФорм, ВерсПрог,
// КодСФРД and КодНО of the packet; the caller adds the rest.
std::unique_ptr<DOMDocument40> NewInventoryDocument(const TPacket& packet);
// Writes the document to the packet's InventoryPath or raises.
void SaveInventoryDocument(const DOMDocument40& document, const TPacket& packet);
// Parses the text of an inventory or raises "Невозможно загрузить опись",
// naming the file when the text was refused for what it declares.
std::unique_ptr<DOMDocument40> LoadInventoryDocument(const std::string& file_name,
                                                     const std::string& text);

// The index of the package file of the row's document, found by its code
// rather than by the row's position, so that a row list out of step with
// the package (read from another program's inventory, say) still describes
// each file's own signatures; raises when the package has no such file.
int32_t PackageFileOfRow(const TPacket& packet, const TRegDoc& row);
// A Документ element for the row, with its five attributes.
DOMNode AppendDocumentElement(DOMNode& root, const TRegDoc& row);
// A Подпись of signature `sign` of package file `file` with the signer's
// names; `role_word` replaces the key's role word when not null.
void AppendSignatureElement(DOMNode& document, ITarvex* package, int32_t file, int32_t sign,
                            const std::string* role_word);
// A row from a Документ element, without its signatures.
std::unique_ptr<TRegDoc> ReadDocumentRow(const DOMNode& element);
