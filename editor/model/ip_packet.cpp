#include "editor/model/ip_packet.h"

#include <utility>

#include "editor/model/editor_error.h"
#include "editor/model/inventory_xml.h"
#include "editor/model/ole_check.h"
#include "editor/model/package_items.h"
#include "editor/model/registration_save.h"
#include "editor/model/string_routines.h"

namespace {

// The entrepreneur's inventory describes the first signature of every
// document, so a document without one is refused, by its name, before
// anything is changed. The old inventory, which the save replaces, is not
// asked for one.
void RequireSignedRows(const TPacket& packet) {
  for (const auto& row : packet.Documents) {
    if (!DescribedByInventory(*row)) continue;
    const int32_t signatures = SignatureCount(packet.Package.get(), PackageFileOfRow(packet, *row));
    if (signatures > 0) continue;
    const std::string& name = row->DocName.empty() ? row->OriginalFileName : row->DocName;
    throw EditorError("Документ [" + name +
                      "] не подписан. В опись пакета индивидуального предпринимателя "
                      "включается подпись каждого документа");
  }
}

}  // namespace

void TIPPacket::MakeInventoryName() { MakeRegistrationInventoryName(*this, "OP_REGRIP"); }

void TIPPacket::MakePackageName() { MakeRegistrationPackageName(*this, "ИП"); }

void TIPPacket::New() { NewRegistrationPackage(*this, TRANSACTION_TYPE_IP_REG_IP); }

void TIPPacket::RequireSignedDocuments() const { RequireSignedRows(*this); }

void TIPPacket::Save(const std::string& path) {
  RequireSignedRows(*this);
  SaveRegistrationPacket(*this, path);
}

bool TIPPacket::Validate(std::string& message) {
  return CheckRequiredFields(
      {
          {&SenderId, "Не указан идентификатор отправителя"},
          {&ReceiverId, "Не указан код налогового органа"},
          {&DocTypeCode, "Не указан код типа документа"},
          {&КодСФРД, "Не указан код заявления по справочнику СФРД"},
          {&ProgramVersion, "Не указана версия передающей программы"},
          {&Applicant.Email, "Не указан E-Mail заявителя"},
          {&Applicant.Фамилия, "Не указана фамилия заявителя"},
          {&Applicant.Имя, "Не указано имя заявителя"},
      },
      message);
}

void TNewIPPacket::WriteInventory() {
  const std::unique_ptr<DOMDocument40> document = NewInventoryDocument(*this);
  DOMNode root = *document->documentElement();
  SetXmlAttribute(root, "ПрВысБум", ПрВысБум, true);

  DOMNode person = root.appendElement("СвИП");
  SetXmlAttribute(person, "ИННФЛ", Applicant.ИННФЛ, true);
  SetXmlAttribute(person, "ОГРНИП", Applicant.ОГРНИП, true);
  SetXmlAttribute(person, "E-mail", Applicant.Email, false);
  DOMNode names = person.appendElement("ФИО");
  SetXmlAttribute(names, "Фамилия", Applicant.Фамилия, false);
  SetXmlAttribute(names, "Имя", Applicant.Имя, false);
  SetXmlAttribute(names, "Отчество", Applicant.Отчество, true);

  for (const auto& row : Documents) {
    if (!DescribedByInventory(*row)) continue;
    DOMNode element = AppendDocumentElement(root, *row);
    AppendSignatureElement(element, Package.get(), PackageFileOfRow(*this, *row), 0, nullptr);
  }
  SaveInventoryDocument(*document, *this);
}

void TNewIPPacket::LoadInventory(const std::string& file_name, const std::string& text) {
  const std::unique_ptr<DOMDocument40> document = LoadInventoryDocument(file_name, text);
  const DOMNode root = *document->documentElement();
  КодСФРД = RequiredAttribute(root, "КодСФРД");
  ReceiverId = RequiredAttribute(root, "КодНО");
  if (HasAttribute(root, "ПрВысБум")) ПрВысБум = RequiredAttribute(root, "ПрВысБум");

  for (const DOMNode& child : root.childNodes()) {
    const std::string name = child.nodeName();
    if (SameText(name, "СвИП")) {
      Applicant.Email = RequiredAttribute(child, "E-mail");
      if (HasAttribute(child, "ИННФЛ")) Applicant.ИННФЛ = RequiredAttribute(child, "ИННФЛ");
      if (HasAttribute(child, "ОГРНИП")) Applicant.ОГРНИП = RequiredAttribute(child, "ОГРНИП");
      for (const DOMNode& names : child.childNodes()) {
        if (!SameText(names.nodeName(), "ФИО")) continue;
        Applicant.Фамилия = RequiredAttribute(names, "Фамилия");
        Applicant.Имя = RequiredAttribute(names, "Имя");
        if (HasAttribute(names, "Отчество")) {
          Applicant.Отчество = RequiredAttribute(names, "Отчество");
        }
      }
    } else if (SameText(name, "Документ")) {
      std::unique_ptr<TRegDoc> row = ReadDocumentRow(child);
      for (const DOMNode& signature : child.childNodes()) {
        if (!SameText(signature.nodeName(), "Подпись")) continue;
        row->SignatureFileName = RequiredAttribute(signature, "ИмяФайла");
        row->SignerRole = RequiredAttribute(signature, "Роль");
        for (const DOMNode& names : signature.childNodes()) {
          if (!SameText(names.nodeName(), "ФИО")) continue;
          row->SignerSurname = RequiredAttribute(names, "Фамилия");
          row->SignerName = RequiredAttribute(names, "Имя");
          if (HasAttribute(names, "Отчество")) {
            row->SignerPatronymic = RequiredAttribute(names, "Отчество");
          }
        }
      }
      Documents.push_back(std::move(row));
    }
  }
}
