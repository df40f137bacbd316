// CTarvexDocument: one document of a package in memory: its content, its
// signatures and its "документ" element of the transport description, which
// keeps its type, content type, flags, identifier and file names.
//
// The content is what the package holds: plain, or encrypted while the
// element's зашифрован flag is set. Compressed content read from a package
// is unpacked on reading; the library never compresses. The plain content
// is the last content that was neither compressed nor encrypted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lib/package/item_serial.h"
#include "lib/package/zip_codec.h"
#include "lib/xml/custom_doc.h"
#include "platform/crypt/crypt_msg.h"

class CCryptCertificate;
class CTarvexKey;
class CTarvexPackageConfig;
class CTarvexSignature;
class CXMLGprExtDocument;

class CTarvexDocument : public CCustomDoc {
 public:
  // Unbound; whether the GOST provider is installed is asked now, once.
  CTarvexDocument();
  ~CTarvexDocument() override;

  // Binds a copy of `config` (a CTarvexPackageConfig whose node is a
  // CXMLGprExtDocument), reads the content file from the work folder and
  // opens the signatures; true at once when already opened.
  bool Open(void* config) override;
  bool Open(CTarvexPackageConfig* config) { return Open(static_cast<void*>(config)); }
  // Drops the content, the binding and the signature objects; their
  // elements stay in the description, the plain content stays.
  bool Close() override;
  bool IsOpened() override { return node_ != nullptr; }
  // Binds a copy of `config` and gives the element a new document code when
  // it has none; refused while opened.
  bool New(void* config) override;
  bool New(CTarvexPackageConfig* config) { return New(static_cast<void*>(config)); }
  // Writes the content under its file name in the work folder, then every
  // signature with its countersignatures.
  bool Save() override;

  // The type number of the element's type code in the flow kind's rows.
  int GetDocType() const;
  void SetDocType(int number);
  const std::string& GetContentType() const;
  void SetContentType(const std::string& type);
  const std::string& GetDocumentCode() const;
  void SetDocumentCode(const std::string& code);
  const std::string& GetOriginalFilename() const;
  // Keeps only the name part of `path`.
  void SetOriginalFilename(const std::string& path);
  // The content file name: type stem, "_", document code and the original
  // name's extension; made the first time and then kept in the element.
  std::string GetFilename();
  // The content file name a save writes, without making it; false when it
  // cannot be made yet (the type is not known).
  bool PlannedFilename(std::string& name) const;
  void SetFilename(const std::string& name);
  bool IsCompressed() const;
  bool IsEncrypted() const;
  // The bytes become the content and the plain content, neither compressed
  // nor encrypted. Any change of the content is refused, leaving it, when
  // the package could then not save into an archive that opens again.
  void SetContent(std::string bytes);
  // Refuses, as SetContent would, a content of `size` bytes, so that one
  // too large is refused before it is made; names the original file name
  // (or the content file name when there is none).
  void CheckContentSize(int64_t size) const;
  const std::string& Content() const { return content_; }
  // The last content that was neither compressed nor encrypted.
  const std::string& PlainContent() const;

  int GetSignatureCount() const { return static_cast<int>(signatures_.size()); }
  // The caller checks the index.
  CTarvexSignature* GetSignature(int index) const { return signatures_[index].get(); }

  // Signs the content, detached, with the key's certificate context.
  void Sign(CTarvexKey* key);
  // Countersigns every signature with the key.
  void Resign(CTarvexKey* key);
  // Adds signature bytes with a signer role code.
  void AddSign(const std::string& signature, uint8_t role);
  void DeleteSignatures();
  void DeleteSignature(int index);
  // Checks every signature against the content, then its direct
  // countersignatures; the first failure is raised.
  void CheckSign(bool download, bool check_revocation);
  // Encrypts for the key's certificate when the document's type is one that
  // is encrypted; once only.
  void Encrypt(CTarvexKey* key);
  // Decrypts with a certificate of "MY" that reaches its private key.
  void Decrypt();

  // True when the checks of its signatures are to be prepared
  // (package_checks.h): the content is not encrypted, not empty, signed,
  // and none are prepared yet; `signatures` then has their bytes.
  bool ChecksWanted(std::vector<std::string_view>& signatures) const;
  // What was prepared for the current content and its signatures; a
  // change of content drops it.
  void SetPreparedChecks(PreparedChecks prepared) { prepared_ = std::move(prepared); }

  // The item's identity, never reused (item_serial.h).
  uint64_t Serial() const { return serial_; }
  CXMLGprExtDocument* Node() const { return node_; }
  const CTarvexPackageConfig& Config() const { return *config_; }

 private:
  // Content from this size on is deflated for the save while it is signed.
  static constexpr size_t kPackWhileSigning = size_t{1} << 20;

  void Bind(const CTarvexPackageConfig& config);
  // The new content; what was packed of the old one goes.
  void ReplaceContent(std::string bytes);
  // The detached signature of the content, its packing made meanwhile.
  std::string SignAndPack(const CCryptCertificate& certificate);
  CXMLGprExtDocument& CheckedNode() const;
  void CheckCryptography(const char* operation) const;
  // Compressed content becomes the one file of its archive.
  void Unpack();
  void RefreshPlainContent();
  // Neither compressed nor encrypted.
  bool IsPlain() const;
  // Adds the bytes as a new signature, refusing a signer already there
  // when the provider is installed.
  void AddSignBytes(const std::string& signature, uint8_t role);
  // The name itself; only a bare file name is taken, so a description
  // cannot point outside the package's folder.
  static const std::string& CheckedName(const std::string& file_name);

  const uint64_t serial_ = NewItemSerial();
  CXMLGprExtDocument* node_ = nullptr;
  std::unique_ptr<CTarvexPackageConfig> config_;
  std::vector<std::unique_ptr<CTarvexSignature>> signatures_;
  std::string content_;
  // The content's size as the package counts it.
  int64_t counted_ = 0;
  // Kept only while the content is not plain; otherwise the plain content
  // is the content.
  std::string plain_content_;
  // The content deflated for the save, made while it was signed; none when
  // the content changed since.
  std::optional<ZipPacking> packing_;
  // What was prepared for the checks of its signatures; none when the
  // content changed since.
  std::optional<PreparedChecks> prepared_;
  const bool cryptography_ok_;
};
