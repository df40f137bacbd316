// The editor's model of one package being formed or opened: the library's
// package object, key catalogue and current signing key, and one row per
// document added or read from an inventory. Operations raise EditorError
// with a Russian text; the forms that take `message` catch it and return
// false (or -1). A failed operation keeps what it did before the failure.
// Texts and paths are cp1251.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "editor/model/code_index.h"
#include "editor/model/image_info.h"
#include "editor/model/packet_binding.h"
#include "editor/model/packet_records.h"
#include "platform/com/com_ref.h"

// Content kinds of document files, by extension.
constexpr int kContentUnknown = 8;

class TPacket : public TPacketBinding, public TPacketInfo {
 public:
  TPacket();
  // Frees the rows, then the binding releases the catalogue and the package
  // (closed first); the key goes with the object.
  virtual ~TPacket();

  // The inventory of the registration kinds; a plain packet, which is only
  // opened and viewed, has none and raises.
  virtual void MakeInventoryName();
  virtual void WriteInventory();
  // `file_name` names the inventory in messages.
  virtual void LoadInventory(const std::string& file_name, const std::string& text);
  // "ZUK_<sender>_<receiver>_<guid>_<kind word>_<transaction>_<doc type>.zip".
  virtual void MakePackageName();
  // Closes an open package and starts one of `TransactionType`.
  virtual void New();
  // Puts the parties, names the package when `path` is empty, encrypts when
  // `Encrypt` is set, and saves.
  virtual void Save(const std::string& path);
  // The first missing identifier or code gives false and its message.
  virtual bool Validate(std::string& message);

  bool NewPacket(std::string& message);
  bool OpenPacket(const std::string& path, std::string& message);
  // Closes an open package, opens `path` and decrypts it.
  void Open(const std::string& path);
  // Takes over the package `opened` holds, with its binding and file name,
  // so that a package read once for its transaction type passes to the
  // packet of that type without being read again.
  void TakeOpenedPackage(TPacket& opened);

  // Adds the file within the size and image limits as a package document of
  // the code, with a row, and signs it when `sign` is set; the package
  // index. A failure after the library took the file leaves it there
  // without a row.
  int32_t AddDocument(const std::string& file_name, const std::string& doc_type_code,
                      const std::string& код_свдрег, const std::string& doc_name, bool sign,
                      uint16_t role);
  int32_t AddDocumentSafe(const std::string& file_name, const std::string& doc_type_code,
                          const std::string& код_свдрег, const std::string& doc_name, bool sign,
                          uint16_t role, std::string& message);
  // Signs package file `index` with the key of `sha1`; the row is untouched.
  virtual void SignDocument(int32_t index, const std::string& sha1, uint16_t role);
  bool SignDocumentSafe(int32_t index, const std::string& sha1, std::string& message,
                        uint16_t role);
  // Makes the key of `sha1` current unless it already is, and gives it the
  // role: `SignerRole` when non-zero, else `role`, else the issuer's.
  void SelectSignKey(const std::string& sha1, uint16_t role);
  // Deletes package file `index` and the row of its document code, if any.
  void DeleteDocument(int32_t index);
  bool DeleteDocumentSafe(int32_t index, std::string& message);
  // Deletes signature `position` of package file `index`.
  void DeleteSignature(int32_t index, int32_t position);

  // Codes compare with the letters a-z folded; the first match, or -1.
  // A walk of the package's files.
  int32_t IndexOfFileByDocTypeCode(const std::string& code) const;
  // The package file and the row of a document code are found in an index
  // of each, built on first need and kept while the package's files and
  // the rows stay as they were: the packet's own changes drop it, and a
  // different number of files or rows builds it again, so that a look-up
  // is never answered from an index of another state, and one change
  // costs one pass over the package at most.
  int32_t IndexOfFileByDocumentCode(const std::string& code) const;
  int32_t IndexOfDocument(const std::string& code) const;
  // Null when no row has the code.
  TRegDoc* FindDocument(const std::string& code) const;
  void ClearDocuments();

  // Whether the content changed since the packet was made, opened or last
  // saved: each operation that changes the package, its rows or its
  // applicants marks it, and so does the window for the values and rows it
  // keeps until forming. Closing asks only over a marked packet.
  bool Modified() const { return modified_; }
  void MarkModified() { modified_ = true; }

  // Validate, then Save; false and the message on any failure. A save
  // clears the mark.
  bool ValidateAndSave(std::string& message, const std::string& path);
  // LoadInventory, which clears the mark; false and "Ошибка загрузки
  // описи: ..." on failure.
  bool LoadInventoryText(const std::string& file_name, const std::string& text,
                         std::string& message);
  static void GetSignerNames(const std::string& cn, std::string& surname, std::string& name,
                             std::string& patronymic);
  static uint16_t GetRoleByIssuer(const std::string& issuer_dn);
  // The folder (`OutputFolder`, or the executable's) and the file name;
  // empty when the name is.
  std::string PackagePath() const;
  std::string InventoryPath() const;
  // Encrypts the package for the certificate of `EncryptCertSha1`.
  void EncryptPacket();

  // Routines of the registration kinds.
  // A new GUID, upper-case with hyphens, no braces; empty on failure.
  static std::string NewGuidText();
  // The inventory's role word; empty for a role without one.
  static std::string RoleElementName(uint16_t role);
  // Words 1-3 of the CN split at single spaces; raises for an empty CN.
  static void SplitCN(const std::string& cn, std::string& surname, std::string& name,
                      std::string& patronymic);
  // 3 (notary) when the issuer's CN is the notaries' CA, 2 for another CN,
  // 0 without one.
  static uint16_t RoleFromIssuer(const std::string& issuer_dn);
  static void DeleteFileIfExists(const std::string& path);
  static int ContentKind(const std::string& file_name);
  static std::string ContentTypeName(int kind);
  static std::string ReadFileContent(const std::string& path);
  static std::string AddBackslash(const std::string& folder);

  std::vector<std::unique_ptr<TRegDoc>> Documents;
  std::string OutputFolder;  // empty: the executable's folder
  std::string PackageFileName;
  uint8_t Encrypt = 0;
  std::string InventoryFileName;
  ComRef<ITarvexKey> SignKey;
  std::unique_ptr<TDCImageInfo> ImageInfo;
  // SIGN_ROLE_TYPES; while non-zero it is the role of every newly selected
  // key. SelectSignKey stores the role it applied.
  uint16_t SignerRole = 0;

 private:
  // Operations on documents need the package object that NewPacket or
  // OpenPacket makes; without it they fail instead of reaching a null one.
  void RequirePackage() const;
  std::string InFolder(const std::string& file_name) const;
  // Called by every operation that changes the package's files or the rows.
  void DropIndices();

  mutable TCodeIndex files_by_code_;
  mutable TCodeIndex rows_by_code_;
  bool modified_ = false;
};
