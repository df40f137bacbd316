// CTarvexDoc: the transport package. On disk one flat zip archive holding
// "packageDescription.xml", one content file per document and one ".p7s"
// file per signature and countersignature. In memory the description, the
// document objects bound to its "документ" elements, and a private working
// folder under TMP, which the package's files never reach: they live in
// memory. The folder exists exactly while the package is open; an open
// that fails leaves the package closed, so nothing of it stays in TMP.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lib/crypto/verified_issuers.h"
#include "lib/foundation/temp_folder.h"
#include "lib/package/package_caches.h"
#include "lib/package/package_checks.h"
#include "lib/package/package_description_file.h"
#include "lib/package/package_names.h"
#include "lib/package/tarvex_package_files.h"
#include "lib/package/zip_limits.h"
#include "lib/xml/custom_doc.h"

class CTarvexDocument;
class CTarvexKey;
class CTarvexSignature;
class CXMLGprExtPackage;

class CTarvexDoc : public CCustomDoc, private CPackageCaches {
 public:
  // The description file inside every package.
  static constexpr const char* kDescriptionFile = kPackageDescriptionFile;

  // Within `limits`, which opening, adding content and saving all keep to.
  explicit CTarvexDoc(const ZipLimits& limits = ZipLimits());
  ~CTarvexDoc() override;

  // Closes, then opens the package file (a std::string); a name without a
  // folder part is taken in the current directory. A description whose
  // documents and signatures a save could not write into an archive that
  // opens again is refused. A failure leaves the package closed.
  bool Open(void* file_name) override;
  bool Open(const std::string& file_name) { return Open(const_cast<std::string*>(&file_name)); }
  // Removes the working folder and frees the description and documents.
  bool Close() override;
  bool IsOpened() override { return opened_; }
  // Closes, then starts an empty package; `config` is not used.
  bool New(void* config) override;
  bool New() { return New(nullptr); }
  // Zips the description and every document's files, from memory, into
  // `file_name`, which replaces an existing file of that name only once the
  // new archive is complete. Names that would clash, and more files or
  // bytes than an archive that opens again may hold, are refused first.
  bool SaveAs(const std::string& file_name) override;

  // Certificate stores of the current user (true) or of the machine for
  // the documents made or opened from now on.
  bool UseUserStorage() const { return use_user_storage_; }
  void SetUseUserStorage(bool flag) { use_user_storage_ = flag; }

  // Subject type codes and identifiers of the sender and the receiver.
  uint8_t GetSenderType() const;
  void SetSenderType(uint8_t code);
  const std::string& GetSenderIdentifier() const;
  void SetSenderIdentifier(const std::string& identifier);
  uint8_t GetReceiverType() const;
  void SetReceiverType(uint8_t code);
  const std::string& GetReceiverIdentifier() const;
  void SetReceiverIdentifier(const std::string& identifier);
  // The transaction number of the flow kind's transaction code.
  int GetDocTransactType() const;
  // Sets the flow and the transaction from the transaction's row.
  void SetDocTransactType(int number);

  int GetFileCount() const;
  CTarvexDocument* GetFile(int index) const;
  // A new document bound to a new "документ" element, with a new code;
  // refused before anything changes when the package's files would then
  // be more than a saved archive may hold.
  CTarvexDocument* AddFile();
  bool DeleteFile(int index);
  // Refuses files of the documents that a save would write under one name,
  // and two documents with one code; costs the same whatever the package's
  // size when nothing clashes.
  void CheckFileNames();
  // A document's content file name or code, refused (and left as it was)
  // when the package's files or codes would then clash.
  void SetDocumentFilename(CTarvexDocument* document, const std::string& name);
  void SetDocumentCode(CTarvexDocument* document, const std::string& code);
  int GetFileSignatureCount(int file_index) const;
  CTarvexSignature* GetFileSignature(int file_index, int signature_index) const;
  int GetFileResignCount(int file_index, int signature_index) const;
  CTarvexSignature* GetFileResign(int file_index, int signature_index, int resign_index) const;
  bool DeleteFileSignatures(int file_index);
  bool DeleteFileSignature(int file_index, int signature_index);
  bool DeleteFileResignatures(int file_index, int signature_index);
  // The document is found by its original file name, exactly.
  bool SignFile(const std::string& original_name, CTarvexKey* key);
  bool ReSignFile(const std::string& original_name, CTarvexKey* key);
  // Encrypts the documents whose types are encrypted for the receiver.
  bool Encrypt(CTarvexKey* key);
  bool Decrypt();

  CXMLGprExtPackage& Description() const;
  // With a trailing separator; empty while closed.
  std::string WorkFolder() const { return work_folder_ ? work_folder_->Path() : std::string(); }

 private:
  // An empty description and document list, and a new working folder.
  void Start();
  // Frees the description, the documents and the files, and removes the
  // working folder; raises nothing.
  void Reset() noexcept;
  void OpenFile(const std::string& file_name);
  // Sets a value with `set`, and sets `before` again when the package's
  // files or codes then clash.
  void ChangeChecked(std::string before, const std::string& value,
                     const std::function<void(const std::string&)>& set);
  // Writes the archive of the saved files and puts it in place.
  void WritePackage(const std::string& target) const;
  void CheckOpened() const;
  // The flow kind of the description's flow type code.
  uint8_t FlowKind() const;
  CTarvexDocument* Document(int index, const char* argument) const;
  CTarvexSignature* Signature(int file_index, int signature_index) const;
  CTarvexDocument* FindByName(const std::string& original_name);
  // Opens or makes the document object of element `index`.
  std::unique_ptr<CTarvexDocument> BindDocument(int index, uint8_t flow_kind, bool make_new);
  // What the documents and signatures ask of the package through their
  // configuration.
  void NamesChanged(const CXMLClass* node) noexcept override { names_.Changed(node); }
  void PrepareChecks() override { checks_.Prepare(); }
  void CheckContentSize(const std::string& name, int64_t before, int64_t after) const override;
  void ContentResized(int64_t before, int64_t after) noexcept override {
    contents_size_ += after - before;
  }

  const ZipLimits limits_;
  // The sizes of the documents' contents together.
  int64_t contents_size_ = 0;
  bool opened_ = false;
  bool use_user_storage_ = true;
  std::unique_ptr<CTempFolder> work_folder_;
  // The package's files in memory, which its documents read and save.
  CTarvexPackageFiles files_;
  // The issuers verified while the package's signatures are checked.
  CVerifiedIssuers verified_issuers_;
  // Declared before the documents, which refer to its elements, so that it
  // goes after them.
  std::unique_ptr<CXMLGprExtPackage> description_;
  // What the checks of the documents' names and count ask, kept as they
  // change; declared before the documents, which tell it of their changes.
  CPackageNames names_;
  std::vector<std::unique_ptr<CTarvexDocument>> documents_;
  // Prepares the documents' checks at the first check of a signature.
  const CPackageChecks checks_{documents_};
};
