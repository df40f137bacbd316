// The packet of a legal entity's registration (transaction type 1): the
// entity, its applicants, the package naming, the registration save
// sequence and the legal-entity inventory.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "editor/model/packet.h"
#include "editor/model/packet_records.h"

// The legal entity of a registration.
struct TRegULInfo {
  std::string НаимЮЛПолн;  // full name
  std::string ОГРН;
};

class TULPacket : public TPacket {
 public:
  // "OP_REGUL_YYYYMMDD_<guid>.xml".
  void MakeInventoryName() override;
  // Файл with СвЮЛ, one СвЗаявит per applicant and one Документ per row
  // with every signature of the row's package file.
  void WriteInventory() override;
  // Adds the entity's fields, the applicants and one row per Документ.
  void LoadInventory(const std::string& file_name, const std::string& text) override;
  // "ZUK_<sender>_<receiver>_<guid>_ЮЛ_01_<doc type>.zip".
  void MakePackageName() override;
  void New() override;
  void Save(const std::string& path) override;
  // The identifiers, codes and version.
  bool Validate(std::string& message) override;

  void AddApplicant(const std::string& surname, const std::string& name,
                    const std::string& patronymic, const std::string& email,
                    const std::string& inn);
  void ClearApplicants();

  std::vector<std::unique_ptr<TQuendaInfo>> Applicants;
  TRegULInfo Entity;
};
