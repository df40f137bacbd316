#include "lib/package/tarvex_signature.h"

#include "lib/crypto/crypt_object.h"
#include "lib/crypto/crypt_tool.h"
#include "lib/foundation/errors.h"
#include "lib/foundation/file_routines.h"
#include "lib/foundation/path_routines.h"
#include "lib/foundation/value_check_tool.h"
#include "lib/package/tarvex_crypto_tool.h"
#include "lib/package/tarvex_key.h"
#include "lib/package/tarvex_package_config.h"
#include "lib/package/xml_gpr_document.h"
#include "lib/package/xml_gpr_signature.h"

namespace {

constexpr const char* kNoProvider =
    "Не установлен СКЗИ КриптоПро, который требуется для операции: %s";

void FillKey(CTarvexKey& key, const TarvexSignerInfo& signer) {
  key.SetSha1(signer.Sha1);
  key.SetSubjectCN(signer.SubjectCN);
  key.SetCertificateBody(signer.CertificateBody);
  key.SetSubject(signer.Subject);
  key.SetIssuer(signer.Issuer);
}

// A copy of `config` bound to `node` instead of its own node.
std::unique_ptr<CTarvexPackageConfig> ConfigFor(const CTarvexPackageConfig& config,
                                                CXMLGprExtSignature* node) {
  auto copy = CTarvexPackageConfig::CreateEmpty();
  copy->Assign(config);
  copy->SetNode(node);
  return copy;
}

}  // namespace

CTarvexSignature::CTarvexSignature()
    : key_(std::make_unique<CTarvexKey>()),
      config_(CTarvexPackageConfig::CreateEmpty()),
      cryptography_ok_(CTarvexCryptoTool::IsCryptographyOk()) {
  check_list_.OwnsObjects = StrArrayOwnership::Destroy;
}

CTarvexSignature::~CTarvexSignature() { CloseOnDestroy(); }

bool CTarvexSignature::Open(void* config) {
  return Safe([&] {
    if (!Close()) return false;
    CValueCheckTool::CheckAssigned(config, "config");
    Bind(*static_cast<CTarvexPackageConfig*>(config));
    OpenBound();
    for (int i = 0; i < node_->Resigns().Count(); ++i) {
      CXMLGprExtSignature* nested = node_->Resigns().Item(i);
      nested->SetOwner(node_);
      resigns_.push_back(std::make_unique<CTarvexSignature>());
      // The countersignature uses the stores of its package too.
      if (!resigns_.back()->Open(ConfigFor(*config_, nested).get())) return false;
    }
    return true;
  });
}

void CTarvexSignature::OpenBound() {
  if (node_->FileName().empty()) return;
  content_ = config_->ReadFile(CheckedName(node_->FileName()), false);
  try {
    FillKey(*key_, CTarvexCryptoTool::GetSignerInfo(content_));
    key_->SignRole = node_->Role();
  } catch (const Exception& error) {
    DebugLog("%s", {error.Message()});
  }
}

bool CTarvexSignature::Close() {
  return Safe([&] {
    content_.clear();
    node_ = nullptr;
    resigns_.clear();
    return true;
  });
}

bool CTarvexSignature::New(void* config) {
  return Safe([&] {
    if (IsOpened()) RaiseError("Документ уже открыт, операция невозможна");
    CValueCheckTool::CheckAssigned(config, "config");
    Bind(*static_cast<CTarvexPackageConfig*>(config));
    return true;
  });
}

void CTarvexSignature::Bind(const CTarvexPackageConfig& config) {
  auto* node = dynamic_cast<CXMLGprExtSignature*>(config.Node());
  CValueCheckTool::CheckAssigned(node, "Node", "config");
  config_->Assign(config);
  node_ = node;
}

bool CTarvexSignature::Save() {
  return Safe([&] {
    config_->WriteFile(CheckedName(GetFileName()), content_);
    for (const auto& resign : resigns_) {
      if (!resign->Save()) return false;
    }
    return true;
  });
}

std::string CTarvexSignature::GetFileName() {
  CheckOpened();
  std::string base;
  CXMLGprExtSignatureCollection* owner_list = nullptr;
  if (auto* document = dynamic_cast<CXMLGprExtDocument*>(node_->Owner())) {
    base = document->FileName();
    owner_list = &document->Signatures();
  } else if (auto* signature = dynamic_cast<CXMLGprExtSignature*>(node_->Owner())) {
    base = signature->FileName();
    owner_list = &signature->Resigns();
  } else {
    RaiseError("Не назначен Owner");
  }
  int number = 1;
  for (int i = 0; i < owner_list->Count(); ++i) {
    if (owner_list->Item(i) == node_) {
      number = i + 1;
      break;
    }
  }
  const std::string name = Format("%s_%d.p7s", {base, number});
  node_->SetFileName(name);
  return name;
}

void CTarvexSignature::SetFileName(const std::string& name) {
  CheckOpened();
  node_->SetFileName(name);
}

void CTarvexSignature::Resign(CTarvexKey* key) {
  Safe([&] {
    CValueCheckTool::CheckAssigned(key, "pKey");
    if (!cryptography_ok_) RaiseErrorFmt(kNoProvider, {"подписание"});
    CheckOpened();
    for (const auto& resign : resigns_) {
      if (resign->key_->Sha1() == key->Sha1()) {
        RaiseErrorFmt("Подпись [%s] уже имеется под подписью [%s]",
                      {key->SubjectCN(), key_->SubjectCN()});
      }
    }
    CValueCheckTool::CheckAssigned(key->CertContext, "CertContext", "pKey");
    const CCryptCertificate certificate(key->CertContext);
    AddResignBytes(CCryptTool::SignMessage(&certificate, content_, 0), key->SignRole);
  });
}

void CTarvexSignature::AddResign(const std::string& signature, uint8_t role) {
  Safe([&] {
    CValueCheckTool::CheckNotEmpty(signature, "sSignatureContent");
    AddResignBytes(signature, role);
  });
}

void CTarvexSignature::AddResignBytes(const std::string& signature, uint8_t role) {
  CheckOpened();
  TarvexSignerInfo signer;
  if (cryptography_ok_) {
    signer = CTarvexCryptoTool::GetSignerInfo(signature);
    for (const auto& resign : resigns_) {
      if (resign->key_->Sha1() == signer.Sha1) {
        RaiseErrorFmt("Добавляемая переподпись [%s] уже имеется под документом",
                      {signer.SubjectCN});
      }
    }
  }
  CXMLGprExtSignature* element = node_->Resigns().Add();
  config_->NamesChanged();
  element->SetOwner(node_);
  element->SetRole(role);
  auto resign = std::make_unique<CTarvexSignature>();
  resign->Bind(*ConfigFor(*config_, element));
  resign->content_ = signature;
  if (cryptography_ok_) {
    FillKey(*resign->key_, signer);
    resign->key_->SignRole = role;
  }
  resigns_.push_back(std::move(resign));
}

void CTarvexSignature::ClearResignatures() {
  Safe([&] {
    CheckOpened();
    resigns_.clear();
    node_->Resigns().Clear();
    config_->NamesChanged();
  });
}

void CTarvexSignature::CheckResignatures(bool download, bool check_revocation) {
  if (!cryptography_ok_) RaiseErrorFmt(kNoProvider, {"проверка ЭЦП"});
  for (size_t j = 0; j < resigns_.size(); ++j) {
    try {
      CTarvexCryptoTool::CheckSignatureEx(config_->UseUserStorage(), content_, check_revocation,
                                          download, &check_list_, resigns_[j]->content_,
                                          config_->VerifiedIssuers());
    } catch (const Exception& error) {
      RaiseErrorFmt("Ошибка при проверке подписих [#%d] под подписью: %s", {j, error.Message()});
    }
  }
}

void CTarvexSignature::CheckOpened() const {
  if (node_ == nullptr) RaiseError("Документ не открыт");
}

const std::string& CTarvexSignature::CheckedName(const std::string& file_name) {
  if (file_name.find_first_of("/\\") != std::string::npos || file_name == "." ||
      file_name == "..") {
    RaiseErrorFmt("Недопустимое имя файла подписи: [%s]", {file_name});
  }
  return file_name;
}
