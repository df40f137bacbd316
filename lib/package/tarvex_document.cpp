#include "lib/package/tarvex_document.h"

#include <thread>

#include "lib/crypto/crypt_object.h"
#include "lib/crypto/crypt_tool.h"
#include "lib/foundation/errors.h"
#include "lib/foundation/file_routines.h"
#include "lib/foundation/guid_routines.h"
#include "lib/foundation/path_routines.h"
#include "lib/foundation/str_array.h"
#include "lib/foundation/value_check_tool.h"
#include "lib/package/os_abbrevia_tool.h"
#include "lib/package/tarvex_crypto_tool.h"
#include "lib/package/tarvex_file_names.h"
#include "lib/package/tarvex_key.h"
#include "lib/package/tarvex_package_config.h"
#include "lib/package/tarvex_signature.h"
#include "lib/package/tarvex_tool.h"
#include "lib/package/xml_gpr_document.h"
#include "lib/package/xml_gpr_signature.h"
#include "lib/package/zip_codec.h"

namespace {

// A copy of `config` bound to `node` instead of its own node.
std::unique_ptr<CTarvexPackageConfig> ConfigFor(const CTarvexPackageConfig& config,
                                                CXMLClass* node) {
  auto copy = CTarvexPackageConfig::CreateEmpty();
  copy->Assign(config);
  copy->SetNode(node);
  return copy;
}

// The name part of a path: after the last separator or drive colon.
std::string NamePart(const std::string& path) {
  const size_t last = path.find_last_of("\\/:");
  return last == std::string::npos ? path : path.substr(last + 1);
}

// The extension of the name part with its dot; empty when it has none.
std::string ExtensionOf(const std::string& path) {
  const std::string name = NamePart(path);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

// The content file name a document of that type is given.
std::string MadeFilename(const rTarvexDocType& row, const CXMLGprExtDocument& node) {
  return Format("%s_%s%s",
                {std::string(row.stem), node.DocumentCode(), ExtensionOf(node.OriginalFileName())});
}

}  // namespace

CTarvexDocument::CTarvexDocument()
    : config_(CTarvexPackageConfig::CreateEmpty()),
      cryptography_ok_(CTarvexCryptoTool::IsCryptographyOk()) {}

CTarvexDocument::~CTarvexDocument() { CloseOnDestroy(); }

bool CTarvexDocument::Open(void* config) {
  return Safe([&] {
    if (IsOpened()) return true;
    if (!Close()) return false;
    CValueCheckTool::CheckAssigned(config, "config");
    Bind(*static_cast<CTarvexPackageConfig*>(config));
    if (!node_->FileName().empty()) {
      ReplaceContent(config_->ReadFile(CheckedName(node_->FileName()), true));
      Unpack();
    }
    for (int i = 0; i < node_->Signatures().Count(); ++i) {
      CXMLGprExtSignature* element = node_->Signatures().Item(i);
      element->SetOwner(node_);
      signatures_.push_back(std::make_unique<CTarvexSignature>());
      if (!signatures_.back()->Open(ConfigFor(*config_, element).get())) return false;
    }
    RefreshPlainContent();
    return true;
  });
}

bool CTarvexDocument::Close() {
  return Safe([&] {
    // The plain content outlives the binding; while the content was plain,
    // it was the content itself.
    if (node_ != nullptr && IsPlain()) plain_content_ = std::move(content_);
    ReplaceContent(std::string());
    node_ = nullptr;
    signatures_.clear();
    return true;
  });
}

bool CTarvexDocument::New(void* config) {
  return Safe([&] {
    if (IsOpened()) RaiseError("Документ уже открыт, операция невозможна");
    CValueCheckTool::CheckAssigned(config, "config");
    Bind(*static_cast<CTarvexPackageConfig*>(config));
    if (node_->DocumentCode().empty()) node_->SetDocumentCode(NewGuidHex());
    return true;
  });
}

void CTarvexDocument::Bind(const CTarvexPackageConfig& config) {
  auto* node = dynamic_cast<CXMLGprExtDocument*>(config.Node());
  CValueCheckTool::CheckAssigned(node, "Node", "config");
  config_->Assign(config);
  node_ = node;
}

bool CTarvexDocument::Save() {
  return Safe([&] {
    config_->WriteFile(CheckedName(GetFilename()), content_, packing_ ? &*packing_ : nullptr);
    for (const auto& signature : signatures_) {
      if (!signature->Save()) return false;
    }
    return true;
  });
}

int CTarvexDocument::GetDocType() const {
  return CTarvexTool::DocTypeByCode(config_->FlowKind(), CheckedNode().DocumentTypeCode()).number;
}

void CTarvexDocument::SetDocType(int number) {
  CXMLGprExtDocument& node = CheckedNode();
  const rTarvexDocType& row = CTarvexTool::DocTypeByNumber(config_->FlowKind(), number);
  node.SetDocumentType(row.name);
  node.SetDocumentTypeCode(row.code);
  config_->NamesChanged();
}

const std::string& CTarvexDocument::GetContentType() const { return CheckedNode().ContentType(); }

void CTarvexDocument::SetContentType(const std::string& type) {
  CheckedNode().SetContentType(type);
}

const std::string& CTarvexDocument::GetDocumentCode() const { return CheckedNode().DocumentCode(); }

void CTarvexDocument::SetDocumentCode(const std::string& code) {
  CheckedNode().SetDocumentCode(code);
  config_->NamesChanged();
}

const std::string& CTarvexDocument::GetOriginalFilename() const {
  return CheckedNode().OriginalFileName();
}

void CTarvexDocument::SetOriginalFilename(const std::string& path) {
  CXMLGprExtDocument& node = CheckedNode();
  const std::string name = NamePart(path);
  CheckOriginalExtension(name, ExtensionOf(name));
  node.SetOriginalFileName(name);
  config_->NamesChanged();
}

std::string CTarvexDocument::GetFilename() {
  CXMLGprExtDocument& node = CheckedNode();
  if (node.FileName().empty()) {
    node.SetFileName(MadeFilename(
        CTarvexTool::DocTypeByCode(config_->FlowKind(), node.DocumentTypeCode()), node));
  }
  return node.FileName();
}

bool CTarvexDocument::PlannedFilename(std::string& name) const {
  const CXMLGprExtDocument& node = CheckedNode();
  if (!node.FileName().empty()) {
    name = node.FileName();
    return true;
  }
  const rTarvexDocType* row =
      CTarvexTool::FindDocTypeByCode(config_->FlowKind(), node.DocumentTypeCode());
  if (row == nullptr) return false;
  name = MadeFilename(*row, node);
  return true;
}

void CTarvexDocument::SetFilename(const std::string& name) {
  CheckedNode().SetFileName(name);
  config_->NamesChanged();
}

bool CTarvexDocument::IsCompressed() const { return CheckedNode().Compressed(); }

bool CTarvexDocument::IsEncrypted() const { return CheckedNode().Encrypted(); }

void CTarvexDocument::SetContent(std::string bytes) {
  CXMLGprExtDocument& node = CheckedNode();
  ReplaceContent(std::move(bytes));
  plain_content_.clear();
  node.SetCompressed(false);
  node.SetEncrypted(false);
}

void CTarvexDocument::Sign(CTarvexKey* key) {
  Safe([&] {
    CheckCryptography("подписание");
    CValueCheckTool::CheckAssigned(key, "pKey");
    if (CheckedNode().Encrypted()) RaiseError("Нельзя подписывать зашифрованный документ");
    Unpack();
    for (const auto& signature : signatures_) {
      if (signature->Key().Sha1() == key->Sha1()) {
        RaiseErrorFmt("Подпись [%s] уже имеется под этим документом", {key->SubjectCN()});
      }
    }
    CValueCheckTool::CheckAssigned(key->CertContext, "CertContext", "pKey");
    const CCryptCertificate certificate(key->CertContext);
    AddSignBytes(SignAndPack(certificate), key->SignRole);
  });
}

std::string CTarvexDocument::SignAndPack(const CCryptCertificate& certificate) {
  if (packing_ || content_.size() < kPackWhileSigning) {
    return CCryptTool::SignMessage(&certificate, content_, 0);
  }
  // The content is deflated for the save on the other cores while it is
  // hashed and signed here; the threads end before the call does.
  ZipPacking packing;
  bool packed = false;
  std::thread deflating([&] {
    try {
      packing.smaller = DeflateSmaller(content_, packing.deflated, true);
      packed = true;
    } catch (...) {
      // The save deflates it itself.
    }
  });
  std::string signature;
  try {
    signature = CCryptTool::SignMessage(&certificate, content_, 0);
  } catch (...) {
    deflating.join();
    throw;
  }
  deflating.join();
  if (packed) packing_ = std::move(packing);
  return signature;
}

void CTarvexDocument::CheckContentSize(int64_t size) const {
  if (size <= counted_) return;
  const CXMLGprExtDocument& node = CheckedNode();
  const std::string& name =
      node.OriginalFileName().empty() ? node.FileName() : node.OriginalFileName();
  config_->CheckContentSize(name, counted_, size);
}

void CTarvexDocument::ReplaceContent(std::string bytes) {
  const auto size = static_cast<int64_t>(bytes.size());
  CheckContentSize(size);
  content_ = std::move(bytes);
  config_->ContentResized(counted_, size);
  counted_ = size;
  packing_.reset();
  prepared_.reset();
}

void CTarvexDocument::Resign(CTarvexKey* key) {
  Safe([&] {
    CheckCryptography("переподписание");
    CValueCheckTool::CheckAssigned(key, "pKey");
    for (const auto& signature : signatures_) signature->Resign(key);
  });
}

void CTarvexDocument::AddSign(const std::string& signature, uint8_t role) {
  Safe([&] {
    CValueCheckTool::CheckNotEmpty(signature, "sSignatureContent");
    AddSignBytes(signature, role);
  });
}

void CTarvexDocument::AddSignBytes(const std::string& signature, uint8_t role) {
  CXMLGprExtDocument& node = CheckedNode();
  TarvexSignerInfo signer;
  if (cryptography_ok_) {
    signer = CTarvexCryptoTool::GetSignerInfo(signature);
    for (const auto& existing : signatures_) {
      if (existing->Key().Sha1() == signer.Sha1) {
        RaiseErrorFmt("Добавляемая подпись [%s] уже имеется под документом", {signer.SubjectCN});
      }
    }
  }
  CXMLGprExtSignature* element = node.Signatures().Add();
  config_->NamesChanged();
  element->SetOwner(node_);
  element->SetRole(role);
  auto added = std::make_unique<CTarvexSignature>();
  if (!added->New(ConfigFor(*config_, element).get())) return;
  added->SetContent(signature);
  if (cryptography_ok_) {
    CTarvexKey& key = added->Key();
    key.SetSha1(signer.Sha1);
    key.SetCertificateBody(signer.CertificateBody);
    key.SetSubjectCN(signer.SubjectCN);
    key.SetSubject(signer.Subject);
    key.SetIssuer(signer.Issuer);
    key.SignRole = role;
  }
  signatures_.push_back(std::move(added));
}

void CTarvexDocument::DeleteSignatures() {
  Safe([&] {
    CXMLGprExtDocument& node = CheckedNode();
    for (const auto& signature : signatures_) signature->ClearResignatures();
    signatures_.clear();
    node.Signatures().Clear();
    config_->NamesChanged();
  });
}

void CTarvexDocument::DeleteSignature(int index) {
  Safe([&] {
    CXMLGprExtDocument& node = CheckedNode();
    CValueCheckTool::CheckIntRange(index, 0, GetSignatureCount() - 1, "iIndex");
    signatures_[index]->ClearResignatures();
    signatures_.erase(signatures_.begin() + index);
    node.Signatures().Delete(index);
    config_->NamesChanged();
  });
}

void CTarvexDocument::CheckSign(bool download, bool check_revocation) {
  Safe([&] {
    CheckCryptography("Проверка подписи");
    if (CheckedNode().Encrypted()) {
      RaiseError(
          "Нельзя проверить подпись под зашифрованным документом. Необходимо предварительно его "
          "расшифровать");
    }
    config_->PrepareChecks();
    CStrArray signers;
    signers.OwnsObjects = StrArrayOwnership::Destroy;
    for (size_t i = 0; i < signatures_.size(); ++i) {
      try {
        CTarvexCryptoTool::CheckSignatureEx(config_->UseUserStorage(), content_, check_revocation,
                                            download, &signers, signatures_[i]->Content(),
                                            config_->VerifiedIssuers(),
                                            prepared_ ? &*prepared_ : nullptr);
      } catch (const Exception& error) {
        RaiseErrorFmt("Ошибка при проверке подписи [#%d]: %s", {i, error.Message()});
      }
      signatures_[i]->CheckResignatures(download, check_revocation);
    }
  });
}

bool CTarvexDocument::ChecksWanted(std::vector<std::string_view>& signatures) const {
  if (node_ == nullptr || prepared_ || node_->Encrypted() || content_.empty() ||
      signatures_.empty()) {
    return false;
  }
  signatures.clear();
  for (const auto& signature : signatures_) signatures.push_back(signature->Content());
  return true;
}

void CTarvexDocument::Encrypt(CTarvexKey* key) {
  Safe([&] {
    CheckCryptography("шифрование");
    CValueCheckTool::CheckAssigned(key, "pKey");
    CXMLGprExtDocument& node = CheckedNode();
    if (!CTarvexTool::DocTypeByCode(config_->FlowKind(), node.DocumentTypeCode()).encrypt) return;
    if (node.Encrypted()) return;
    std::string encrypted =
        key->CertificateBody().empty()
            ? CTarvexCryptoTool::EncryptBySha1(config_->UseUserStorage(), content_, key->Sha1())
            : CTarvexCryptoTool::EncryptByCertificate(content_, key->CertificateBody());
    // The plain bytes stay as the plain content.
    plain_content_ = std::move(content_);
    ReplaceContent(std::move(encrypted));
    node.SetEncrypted(true);
  });
}

void CTarvexDocument::Decrypt() {
  Safe([&] {
    CheckCryptography("расшифрование");
    CXMLGprExtDocument& node = CheckedNode();
    if (node.Encrypted()) {
      // Decrypted and unpacked aside, so that a failure of either leaves
      // the content and the flags as they were.
      std::string plain = CTarvexCryptoTool::Decrypt(config_->UseUserStorage(), content_);
      if (node.Compressed()) plain = COsAbbreviaTool::UnzipString(plain);
      ReplaceContent(std::move(plain));
      node.SetEncrypted(false);
      node.SetCompressed(false);
    }
    RefreshPlainContent();
  });
}

void CTarvexDocument::Unpack() {
  CXMLGprExtDocument& node = CheckedNode();
  if (node.Encrypted() || !node.Compressed()) return;
  ReplaceContent(COsAbbreviaTool::UnzipString(content_));
  node.SetCompressed(false);
}

void CTarvexDocument::RefreshPlainContent() {
  // Plain content is the content itself: no second copy is kept.
  if (IsPlain()) plain_content_.clear();
}

bool CTarvexDocument::IsPlain() const {
  const CXMLGprExtDocument& node = CheckedNode();
  return !node.Compressed() && !node.Encrypted();
}

const std::string& CTarvexDocument::PlainContent() const {
  return node_ != nullptr && IsPlain() ? content_ : plain_content_;
}

CXMLGprExtDocument& CTarvexDocument::CheckedNode() const {
  if (node_ == nullptr) RaiseError("Документ не открыт");
  return *node_;
}

void CTarvexDocument::CheckCryptography(const char* operation) const {
  if (!cryptography_ok_) {
    RaiseErrorFmt("Не установлен СКЗИ КриптоПро, который требуется для операции: %s",
                  {std::string(operation)});
  }
}

const std::string& CTarvexDocument::CheckedName(const std::string& file_name) {
  if (file_name.find_first_of("/\\") != std::string::npos || file_name == "." ||
      file_name == "..") {
    RaiseErrorFmt("Недопустимое имя файла документа: [%s]", {file_name});
  }
  return file_name;
}
