#include "editor/model/ul_packet.h"

#include <utility>

#include "editor/model/inventory_xml.h"
#include "editor/model/ole_check.h"
#include "editor/model/package_items.h"
#include "editor/model/registration_save.h"
#include "editor/model/string_routines.h"

namespace {

// Documents of this kind are signed by the justice body, whatever the keys.
constexpr const char kJusticeDocument[] = "040011";

}  // namespace

void TULPacket::MakeInventoryName() { MakeRegistrationInventoryName(*this, "OP_REGUL"); }

void TULPacket::MakePackageName() { MakeRegistrationPackageName(*this, "ЮЛ"); }

void TULPacket::New() { NewRegistrationPackage(*this, TRANSACTION_TYPE_UL_REG_UL); }

void TULPacket::Save(const std::string& path) { SaveRegistrationPacket(*this, path); }

bool TULPacket::Validate(std::string& message) {
  return CheckRequiredFields(
      {
          {&SenderId, "Не указан идентификатор отправителя"},
          {&ReceiverId, "Не указан код налогового органа"},
          {&DocTypeCode, "Не указан код типа документа"},
          {&КодСФРД, "Не указан код заявления по справочнику СФРД"},
          {&ProgramVersion, "Не указана версия передающей программы"},
      },
      message);
}

void TULPacket::AddApplicant(const std::string& surname, const std::string& name,
                             const std::string& patronymic, const std::string& email,
                             const std::string& inn) {
  auto applicant = std::make_unique<TQuendaInfo>();
  applicant->Фамилия = surname;
  applicant->Имя = name;
  applicant->Отчество = patronymic;
  applicant->Email = email;
  applicant->ИННФЛ = inn;
  Applicants.push_back(std::move(applicant));
  MarkModified();
}

void TULPacket::ClearApplicants() {
  Applicants.clear();
  MarkModified();
}

void TULPacket::WriteInventory() {
  const std::unique_ptr<DOMDocument40> document = NewInventoryDocument(*this);
  DOMNode root = *document->documentElement();
  SetXmlAttribute(root, "КодМЮиЦБ", КодМЮиЦБ, true);
  SetXmlAttribute(root, "ПрВысБум", ПрВысБум, true);

  DOMNode entity = root.appendElement("СвЮЛ");
  SetXmlAttribute(entity, "НаимЮЛПолн", Entity.НаимЮЛПолн, false);
  SetXmlAttribute(entity, "ОГРН", Entity.ОГРН, true);

  for (const auto& applicant : Applicants) {
    DOMNode element = root.appendElement("СвЗаявит");
    SetXmlAttribute(element, "ИННФЛ", applicant->ИННФЛ, true);
    SetXmlAttribute(element, "E-mail", applicant->Email, false);
    DOMNode names = element.appendElement("ФИО");
    SetXmlAttribute(names, "Фамилия", applicant->Фамилия, false);
    SetXmlAttribute(names, "Имя", applicant->Имя, false);
    SetXmlAttribute(names, "Отчество", applicant->Отчество, true);
  }

  const std::string justice = RoleElementName(SIGN_ROLE_TYPE_MINUST);
  for (const auto& row : Documents) {
    if (!DescribedByInventory(*row)) continue;
    const int32_t file = PackageFileOfRow(*this, *row);
    DOMNode element = AppendDocumentElement(root, *row);
    const int32_t signatures = SignatureCount(Package.get(), file);
    const bool by_justice = row->КодСВДРЕГ == kJusticeDocument;
    for (int32_t sign = 0; sign < signatures; ++sign) {
      AppendSignatureElement(element, Package.get(), file, sign, by_justice ? &justice : nullptr);
    }
  }
  SaveInventoryDocument(*document, *this);
}

void TULPacket::LoadInventory(const std::string& file_name, const std::string& text) {
  const std::unique_ptr<DOMDocument40> document = LoadInventoryDocument(file_name, text);
  const DOMNode root = *document->documentElement();
  КодСФРД = RequiredAttribute(root, "КодСФРД");
  ReceiverId = RequiredAttribute(root, "КодНО");
  if (HasAttribute(root, "ПрВысБум")) ПрВысБум = RequiredAttribute(root, "ПрВысБум");
  if (HasAttribute(root, "КодМЮиЦБ")) КодМЮиЦБ = RequiredAttribute(root, "КодМЮиЦБ");

  for (const DOMNode& child : root.childNodes()) {
    const std::string name = child.nodeName();
    if (SameText(name, "СвЮЛ")) {
      Entity.НаимЮЛПолн = RequiredAttribute(child, "НаимЮЛПолн");
      if (HasAttribute(child, "ОГРН")) Entity.ОГРН = RequiredAttribute(child, "ОГРН");
    } else if (SameText(name, "СвЗаявит")) {
      const std::string inn =
          HasAttribute(child, "ИННФЛ") ? RequiredAttribute(child, "ИННФЛ") : std::string();
      for (const DOMNode& names : child.childNodes()) {
        if (!SameText(names.nodeName(), "ФИО")) continue;
        const std::string patronymic =
            HasAttribute(names, "Отчество") ? RequiredAttribute(names, "Отчество") : std::string();
        const std::string email = RequiredAttribute(child, "E-mail");
        const std::string first_name = RequiredAttribute(names, "Имя");
        const std::string surname = RequiredAttribute(names, "Фамилия");
        AddApplicant(surname, first_name, patronymic, email, inn);
      }
    } else if (SameText(name, "Документ")) {
      Documents.push_back(ReadDocumentRow(child));
    }
  }
}
