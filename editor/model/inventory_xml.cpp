#include "editor/model/inventory_xml.h"

#include "editor/model/editor_error.h"
#include "editor/model/ole_check.h"
#include "editor/model/ole_string.h"
#include "editor/model/package_items.h"
#include "platform/com/com_ref.h"

namespace {

constexpr const char kInventoryTemplate[] =
    "<?xml version=\"1.0\" encoding=\"windows-1251\"?><Файл/>";

// The root's ИдФайл: the inventory's name without its extension.
std::string FileId(const std::string& file_name) {
  const size_t dot = file_name.rfind('.');
  return dot == std::string::npos ? file_name : file_name.substr(0, dot);
}

}  // namespace

void SetXmlAttribute(DOMNode& element, const std::string& name, const std::string& value,
                     bool optional) {
  if (optional && value.empty()) return;
  element.setAttribute(name, value);
}

// The names looked up are Cyrillic, so folding a-z would change nothing:
// an exact match is the same test.
bool HasAttribute(const DOMNode& node, const std::string& name) {
  return node.getAttribute(name).has_value();
}

std::string RequiredAttribute(const DOMNode& node, const std::string& name) {
  std::optional<std::string> value = node.getAttribute(name);
  if (!value) {
    throw EditorError("Отсутствует реквизит [" + name + "] элемента [" + node.nodeName() +
                      "] в описи документов");
  }
  return *value;
}

std::unique_ptr<DOMDocument40> NewInventoryDocument(const TPacket& packet) {
  auto document = std::make_unique<DOMDocument40>();
  document->preserveWhiteSpace = true;
  if (!document->loadXML(kInventoryTemplate)) throw EditorError("Невозможно создать опись");
  DOMNode root = *document->documentElement();
  SetXmlAttribute(root, "ИдФайл", FileId(packet.InventoryFileName), false);
  SetXmlAttribute(root, "ВерсФорм", "9.02", false);
  SetXmlAttribute(root, "ВерсПрог", packet.ProgramVersion, false);
  SetXmlAttribute(root, "КодСФРД", packet.КодСФРД, false);
  SetXmlAttribute(root, "КодНО", packet.ReceiverId, false);
  return document;
}

void SaveInventoryDocument(const DOMDocument40& document, const TPacket& packet) {
  if (!document.save(packet.InventoryPath())) {
    throw EditorError("Невозможно записать опись в файл " + packet.InventoryPath());
  }
}

std::unique_ptr<DOMDocument40> LoadInventoryDocument(const std::string& file_name,
                                                     const std::string& text) {
  auto document = std::make_unique<DOMDocument40>();
  if (!document->loadXML(text)) {
    if (document->refusal().empty()) throw EditorError("Невозможно загрузить опись");
    throw EditorError("Невозможно загрузить опись [" + file_name + "]: " + document->refusal());
  }
  return document;
}

int32_t PackageFileOfRow(const TPacket& packet, const TRegDoc& row) {
  const int32_t index = packet.IndexOfFileByDocumentCode(row.DocumentCode);
  if (index < 0) {
    throw EditorError("Документ описи [" + row.DocumentCode + "] не найден в пакете");
  }
  return index;
}

DOMNode AppendDocumentElement(DOMNode& root, const TRegDoc& row) {
  DOMNode element = root.appendElement("Документ");
  SetXmlAttribute(element, "КодСВДРЕГ", row.КодСВДРЕГ, false);
  SetXmlAttribute(element, "типСодержимого", row.ContentType, false);
  SetXmlAttribute(element, "ИдДок", row.DocumentCode, false);
  SetXmlAttribute(element, "ИсхИмяФайла", row.OriginalFileName, false);
  SetXmlAttribute(element, "ИмяФайла", row.FileName, false);
  return element;
}

void AppendSignatureElement(DOMNode& document, ITarvex* package, int32_t file, int32_t sign,
                            const std::string* role_word) {
  const ComRef<ITarvexSignature> signature = SignatureAt(package, file, sign);
  const std::string file_name = SignatureText(signature.get(), &ITarvexSignature::get_Filename);
  ITarvexKey* raw_key = nullptr;
  OleCheck(signature->get_SignKey(&raw_key));
  const ComRef<ITarvexKey> key(raw_key);
  SIGN_ROLE_TYPES role = SIGN_ROLE_TYPE_UNKNOWN;
  OleCheck(key->get_SignRole(&role));
  OleString cn;
  OleCheck(key->get_SubjectCN(cn.out()));
  std::string surname, name, patronymic;
  TPacket::SplitCN(cn.Ansi(), surname, name, patronymic);

  DOMNode element = document.appendElement("Подпись");
  SetXmlAttribute(element, "ИмяФайла", file_name, false);
  SetXmlAttribute(element, "Роль",
                  role_word ? *role_word : TPacket::RoleElementName(static_cast<uint16_t>(role)),
                  false);
  DOMNode names = element.appendElement("ФИО");
  SetXmlAttribute(names, "Фамилия", surname, false);
  SetXmlAttribute(names, "Имя", name, false);
  SetXmlAttribute(names, "Отчество", patronymic, true);
}

std::unique_ptr<TRegDoc> ReadDocumentRow(const DOMNode& element) {
  auto row = std::make_unique<TRegDoc>();
  row->OriginalFileName = RequiredAttribute(element, "ИсхИмяФайла");
  row->КодСВДРЕГ = RequiredAttribute(element, "КодСВДРЕГ");
  row->DocumentCode = RequiredAttribute(element, "ИдДок");
  if (row->DocumentCode.empty()) {
    throw EditorError("Недопустимое значение реквизита [ИдДок] в описи документов");
  }
  row->FileName = RequiredAttribute(element, "ИмяФайла");
  row->SourcePath = row->OriginalFileName;
  row->ContentType = RequiredAttribute(element, "типСодержимого");
  return row;
}
