#include "editor/model/registration_save.h"

#include <time.h>

#include <cstdio>

#include "editor/model/inventory_xml.h"
#include "editor/model/ole_check.h"
#include "editor/model/ole_string.h"

namespace {

std::string LocalDateText() {
  const time_t now = time(nullptr);
  struct tm local = {};
  localtime_r(&now, &local);
  char text[40];
  std::snprintf(text, sizeof text, "%04d%02d%02d", local.tm_year + 1900, local.tm_mon + 1,
                local.tm_mday);
  return text;
}

// Deletes the inventory file when the save ends, however it ends.
class InventoryFileGuard {
 public:
  explicit InventoryFileGuard(std::string path) : path_(std::move(path)) {}
  ~InventoryFileGuard() { TPacket::DeleteFileIfExists(path_); }
  InventoryFileGuard(const InventoryFileGuard&) = delete;
  InventoryFileGuard& operator=(const InventoryFileGuard&) = delete;

 private:
  std::string path_;
};

}  // namespace

void MakeRegistrationInventoryName(TPacket& packet, const std::string& prefix) {
  packet.InventoryFileName = prefix + "_" + LocalDateText() + "_" + TPacket::NewGuidText() + ".xml";
}

void MakeRegistrationPackageName(TPacket& packet, const std::string& kind) {
  packet.PackageFileName = "ZUK_" + packet.SenderId + "_" + packet.ReceiverId + "_" +
                           TPacket::NewGuidText() + "_" + kind + "_01_" + packet.DocTypeCode +
                           ".zip";
}

void SaveRegistrationPacket(TPacket& packet, const std::string& path) {
  ITarvex* const package = packet.Package.get();
  uint16_t sender = SIGN_ROLE_TYPE_APPLICANT;
  if (packet.SenderType != 0) {
    sender = packet.SenderType;
  } else if (packet.SignerRole != 0) {
    sender = packet.SignerRole;
  }
  const uint16_t receiver =
      packet.ReceiverType != 0 ? packet.ReceiverType : static_cast<uint16_t>(SIGN_ROLE_TYPE_ZUK);
  OleCheck(package->put_SenderType(static_cast<SIGN_ROLE_TYPES>(sender)));
  OleCheck(package->put_ReceiverType(static_cast<SIGN_ROLE_TYPES>(receiver)));
  OleCheck(package->put_SenderIdentifier(OleString(packet.SenderId).get()));
  OleCheck(package->put_ReceiverIdentifier(OleString(packet.ReceiverId).get()));
  std::string target = path;
  if (target.empty()) {
    packet.MakePackageName();
    target = packet.PackagePath();
  }
  packet.MakeInventoryName();

  // The previous inventory goes only once its successor is written, signed
  // and in the package: a failure before that leaves the package as it was.
  const InventoryFileGuard guard(packet.InventoryPath());
  const int32_t previous = packet.IndexOfFileByDocTypeCode(kInventoryDocType);
  packet.WriteInventory();
  packet.AddDocument(packet.InventoryPath(), kInventoryDocType, "", "", true, 0);
  if (previous >= 0) packet.DeleteDocument(previous);
  if (packet.Encrypt != 0) packet.EncryptPacket();
  VARIANT_BOOL done = VARIANT_FALSE;
  OleCheck(package->Save(OleString(target).get(), &done));
}

void NewRegistrationPackage(TPacket& packet, TRANSACTION_TYPES transaction) {
  VARIANT_BOOL opened = VARIANT_FALSE;
  OleCheck(packet.Package->IsOpened(&opened));
  VARIANT_BOOL done = VARIANT_FALSE;
  if (opened != VARIANT_FALSE) OleCheck(packet.Package->Close(&done));
  OleCheck(packet.Package->New(transaction, &done));
}

bool CheckRequiredFields(const std::vector<std::pair<const std::string*, const char*>>& checks,
                         std::string& message) {
  for (const auto& [field, text] : checks) {
    if (field->empty()) {
      message = text;
      return false;
    }
  }
  return true;
}
