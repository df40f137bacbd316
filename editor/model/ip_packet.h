// The packet of an individual entrepreneur's registration (transaction
// type 6): the applicant, the package naming and the registration save
// sequence; TNewIPPacket writes and reads its inventory.
#pragma once

#include <string>

#include "editor/model/packet.h"
#include "editor/model/packet_records.h"

class TIPPacket : public TPacket {
 public:
  // "OP_REGRIP_YYYYMMDD_<guid>.xml".
  void MakeInventoryName() override;
  // "ZUK_<sender>_<receiver>_<guid>_ИП_01_<doc type>.zip".
  void MakePackageName() override;
  void New() override;
  // Refuses an unsigned document before anything changes.
  void Save(const std::string& path) override;
  // Raises, naming the first document of the inventory without a
  // signature; the window asks before the user picks a folder.
  void RequireSignedDocuments() const;
  // The identifiers, codes and version, then the applicant's e-mail,
  // surname and name.
  bool Validate(std::string& message) override;

  TQuendaInfo Applicant;
};

class TNewIPPacket : public TIPPacket {
 public:
  // Файл with СвИП and one Документ per row, each with the first signature
  // of the row's package file.
  void WriteInventory() override;
  // Adds the applicant's fields and one row per Документ to this packet.
  void LoadInventory(const std::string& file_name, const std::string& text) override;
};
