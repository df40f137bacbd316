#include "lib/package/tarvex_doc.h"

#include <filesystem>
#include <functional>

#include "lib/foundation/errors.h"
#include "lib/foundation/file_routines.h"
#include "lib/foundation/guid_routines.h"
#include "lib/foundation/path_routines.h"
#include "lib/foundation/value_check_tool.h"
#include "lib/package/os_abbrevia_tool.h"
#include "lib/package/tarvex_document.h"
#include "lib/package/tarvex_file_names.h"
#include "lib/package/tarvex_package_config.h"
#include "lib/package/tarvex_signature.h"
#include "lib/package/tarvex_tool.h"
#include "lib/package/xml_gpr_document.h"
#include "lib/package/xml_gpr_package.h"
#include "lib/package/xml_gpr_signature.h"
#include "platform/kernel/codepage.h"
#include "platform/kernel/file_system.h"

namespace {

constexpr const char* kProgVersion = "QimTarvex";

// A name without a folder part lies in the current directory.
std::string FullName(const std::string& file_name) {
  if (file_name.find_first_of("\\/:") != std::string::npos) return file_name;
  std::error_code error;
  const std::string current = std::filesystem::current_path(error).string();
  std::string folder, refusal;
  if (!SysPathToAnsi(current, folder, refusal)) RaiseError(refusal);
  return CombinePath(folder, file_name);
}

bool FileExists(const std::string& file_name) {
  const uint32_t attributes = GetFileAttributesA(file_name);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

CTarvexDoc::CTarvexDoc(const ZipLimits& limits) : limits_(limits) {}

CTarvexDoc::~CTarvexDoc() { CloseOnDestroy(); }

bool CTarvexDoc::Open(void* file_name) {
  return Safe([&] {
    if (!Close()) return false;
    CValueCheckTool::CheckAssigned(file_name, "FileName");
    Start();
    try {
      OpenFile(FullName(*static_cast<const std::string*>(file_name)));
    } catch (...) {
      // Half a package would keep its folder in TMP until it is closed or
      // goes, and a client that ends after the failure would leave it
      // there.
      Reset();
      throw;
    }
    return true;
  });
}

void CTarvexDoc::OpenFile(const std::string& file_name) {
  if (!FileExists(file_name)) RaiseErrorFmt("Файл с пакетом [%s] не существует!", {file_name});
  try {
    files_.Assign(COsAbbreviaTool::ReadArchive(file_name, limits_));
  } catch (const Exception& error) {
    RaiseErrorFmt("Неверный формат пакета: ошибка при разархивации [%s]", {error.Message()});
  }
  // What no document or signature names is never used.
  struct Forget {
    CTarvexPackageFiles& files;
    ~Forget() { files.Clear(); }
  } forget{files_};
  if (!files_.Contains(kDescriptionFile)) {
    RaiseErrorFmt("Неверный формат пакета: не найден главный файл [%s]", {kDescriptionFile});
  }
  description_->SetXMLText(files_.Read(kDescriptionFile, true));
  description_->Load();

  CXMLGprExtDocumentCollection& elements = description_->Documents();
  // What opens must save into an archive that opens again.
  CheckFileCount(elements);
  if (elements.Count() == 0) return;
  const uint8_t flow_kind = FlowKind();
  for (int i = 0; i < elements.Count(); ++i) {
    const CXMLGprExtDocument* element = elements.Item(i);
    const rTarvexDocType& row = CTarvexTool::DocTypeByCode(flow_kind, element->DocumentTypeCode());
    if (element->DocumentType() != row.name) {
      RaiseErrorFmt("Ожидается наименование типа документа по коду [%s] - [%s], встречено [%s]",
                    {element->DocumentTypeCode(), std::string(row.name), element->DocumentType()});
    }
  }
  CheckDescribedFileNames(elements);
  // What the compressed documents unpack to counts with the entries, from
  // what their archives declare, before any is unpacked.
  std::vector<std::string> compressed;
  for (int i = 0; i < elements.Count(); ++i) {
    const CXMLGprExtDocument* element = elements.Item(i);
    if (element->Compressed() && !element->Encrypted()) compressed.push_back(element->FileName());
  }
  files_.CheckUnzippedSize(compressed, limits_);
  for (int i = 0; i < elements.Count(); ++i) {
    documents_.push_back(BindDocument(i, flow_kind, false));
    names_.Add(*documents_.back());
  }
}

std::unique_ptr<CTarvexDocument> CTarvexDoc::BindDocument(int index, uint8_t flow_kind,
                                                          bool make_new) {
  auto config =
      CTarvexPackageConfig::Create(description_->Documents().Item(index), flow_kind, WorkFolder());
  config->SetUseUserStorage(use_user_storage_);
  config->SetFiles(&files_);
  config->SetVerifiedIssuers(&verified_issuers_);
  config->SetCaches(this);
  auto document = std::make_unique<CTarvexDocument>();
  if (make_new) {
    document->New(config.get());
  } else {
    document->Open(config.get());
  }
  return document;
}

bool CTarvexDoc::Close() {
  return Safe([&] {
    if (opened_) Reset();
    return true;
  });
}

void CTarvexDoc::Reset() noexcept {
  documents_.clear();
  names_.Clear();
  description_.reset();
  files_.Clear();
  work_folder_.reset();
  opened_ = false;
}

bool CTarvexDoc::New(void*) {
  return Safe([&] {
    if (!Close()) return false;
    Start();
    return true;
  });
}

void CTarvexDoc::Start() {
  // The folder is the package's only once everything else is made.
  auto folder = std::make_unique<CTempFolder>();
  description_ = CXMLGprExtPackage::Create();
  documents_.clear();
  names_.Clear();
  work_folder_ = std::move(folder);
  opened_ = true;
}

bool CTarvexDoc::SaveAs(const std::string& file_name) {
  return Safe([&] {
    CheckOpened();
    CValueCheckTool::CheckNotEmpty(file_name, "Имя файла");
    const std::string target = FullName(file_name);
    // Signatures added since the last check may have passed the limit.
    CheckFileCount(description_->Documents());
    CheckSavedFileNames(documents_);
    files_.BeginSave();
    for (const auto& document : documents_) {
      if (!document->Save()) return false;
    }
    description_->SetProgVersion(kProgVersion);
    const std::string description = description_->SaveToText();
    files_.Save(kDescriptionFile, description);
    WritePackage(target);
    return true;
  });
}

void CTarvexDoc::WritePackage(const std::string& target) const {
  // The new archive is made beside the target and takes its place only
  // when complete; the rename replaces an old package in one step, so a
  // failed or killed save loses no package already there.
  const std::string made = target + "." + NewGuidHex() + ".tmp";
  struct RemoveMade {
    const std::string& file;
    ~RemoveMade() { ForceDeleteFile(file); }
  } remove_made{made};
  try {
    COsAbbreviaTool::WriteArchive(made, files_.Saved(), limits_);
  } catch (const Exception& error) {
    RaiseErrorFmt("Не удалось записать файл пакета [%s]: %s", {target, error.Message()});
  }
  std::error_code error;
  std::filesystem::rename(SysPath(made), SysPath(target), error);
  if (!error) return;
  if (GetFileAttributesA(target) != INVALID_FILE_ATTRIBUTES) {
    RaiseErrorFmt("Файл уже существует: продолжение невозможно [%s]", {target});
  }
  RaiseErrorFmt("Не удалось записать файл пакета [%s]: %s", {target, Utf8ToAnsi(error.message())});
}

void CTarvexDoc::CheckContentSize(const std::string& name, int64_t before, int64_t after) const {
  const std::string error = limits_.FileSizeError(name, after, contents_size_ - before + after);
  if (!error.empty()) RaiseError(error);
}

void CTarvexDoc::CheckOpened() const {
  if (!opened_) RaiseError("Документ не открыт");
}

CXMLGprExtPackage& CTarvexDoc::Description() const {
  CheckOpened();
  return *description_;
}

uint8_t CTarvexDoc::FlowKind() const {
  return CTarvexTool::KindByFlowTypeCode(Description().ThreadTypeCode()).flow_kind;
}

uint8_t CTarvexDoc::GetSenderType() const { return Description().Sender().SubjectType(); }

void CTarvexDoc::SetSenderType(uint8_t code) { Description().Sender().SetSubjectType(code); }

const std::string& CTarvexDoc::GetSenderIdentifier() const {
  return Description().Sender().SubjectIdentifier();
}

void CTarvexDoc::SetSenderIdentifier(const std::string& identifier) {
  CXMLGprExtPackage& description = Description();
  CValueCheckTool::CheckNotEmpty(identifier, "SubjectIdentifier");
  description.Sender().SetSubjectIdentifier(identifier);
}

uint8_t CTarvexDoc::GetReceiverType() const { return Description().Receiver().SubjectType(); }

void CTarvexDoc::SetReceiverType(uint8_t code) { Description().Receiver().SetSubjectType(code); }

const std::string& CTarvexDoc::GetReceiverIdentifier() const {
  return Description().Receiver().SubjectIdentifier();
}

void CTarvexDoc::SetReceiverIdentifier(const std::string& identifier) {
  CXMLGprExtPackage& description = Description();
  CValueCheckTool::CheckNotEmpty(identifier, "SubjectIdentifier");
  description.Receiver().SetSubjectIdentifier(identifier);
}

int CTarvexDoc::GetDocTransactType() const {
  return CTarvexTool::TransactionNumber(FlowKind(), Description().TransactTypeCode()).number;
}

void CTarvexDoc::SetDocTransactType(int number) {
  CXMLGprExtPackage& description = Description();
  const rTarvexTransactType& transaction = CTarvexTool::TransactionByNumber(number);
  const rTarvexThreadType& flow = CTarvexTool::FlowTypeByTransaction(number);
  description.SetThreadType(flow.name);
  description.SetThreadTypeCode(flow.code);
  description.SetTransactType(transaction.name);
  description.SetTransactTypeCode(transaction.code);
}

int CTarvexDoc::GetFileCount() const {
  CheckOpened();
  return static_cast<int>(documents_.size());
}

CTarvexDocument* CTarvexDoc::Document(int index, const char* argument) const {
  CValueCheckTool::CheckIntRange(index, 0, GetFileCount() - 1, argument);
  return documents_[index].get();
}

CTarvexSignature* CTarvexDoc::Signature(int file_index, int signature_index) const {
  const CTarvexDocument* document = Document(file_index, "iFileIndex");
  CValueCheckTool::CheckIntRange(signature_index, 0, document->GetSignatureCount() - 1,
                                 "iSignaturesCount");
  return document->GetSignature(signature_index);
}

CTarvexDocument* CTarvexDoc::GetFile(int index) const { return Document(index, "FileIndex"); }

CTarvexDocument* CTarvexDoc::AddFile() {
  return Safe([&]() -> CTarvexDocument* {
    CXMLGprExtDocumentCollection& elements = Description().Documents();
    const uint8_t flow_kind = FlowKind();
    CheckFileCount(int64_t{elements.Count()} + 1, names_.SignatureFiles());
    elements.Add();
    try {
      documents_.push_back(BindDocument(elements.Count() - 1, flow_kind, true));
    } catch (const Exception&) {
      elements.Delete(elements.Count() - 1);
      throw;
    }
    names_.Add(*documents_.back());
    return documents_.back().get();
  });
}

void CTarvexDoc::CheckFileNames() {
  CheckOpened();
  // The walk of every name runs only to name a clash the index found.
  if (names_.Clashes()) CheckSavedFileNames(documents_);
}

void CTarvexDoc::SetDocumentFilename(CTarvexDocument* document, const std::string& name) {
  ChangeChecked(document->Node()->FileName(), name,
                [&](const std::string& value) { document->SetFilename(value); });
}

void CTarvexDoc::SetDocumentCode(CTarvexDocument* document, const std::string& code) {
  ChangeChecked(document->GetDocumentCode(), code,
                [&](const std::string& value) { document->SetDocumentCode(value); });
}

void CTarvexDoc::ChangeChecked(std::string before, const std::string& value,
                               const std::function<void(const std::string&)>& set) {
  set(value);
  try {
    CheckFileNames();
  } catch (const Exception&) {
    set(before);
    throw;
  }
}

bool CTarvexDoc::DeleteFile(int index) {
  return Safe([&] {
    CTarvexDocument* document = Document(index, "iFileIndex");
    document->DeleteSignatures();
    names_.Remove(*document);
    documents_.erase(documents_.begin() + index);
    description_->Documents().Delete(index);
    return true;
  });
}

int CTarvexDoc::GetFileSignatureCount(int file_index) const {
  return Document(file_index, "iFileIndex")->GetSignatureCount();
}

CTarvexSignature* CTarvexDoc::GetFileSignature(int file_index, int signature_index) const {
  return Signature(file_index, signature_index);
}

int CTarvexDoc::GetFileResignCount(int file_index, int signature_index) const {
  return Signature(file_index, signature_index)->GetResignCount();
}

CTarvexSignature* CTarvexDoc::GetFileResign(int file_index, int signature_index,
                                            int resign_index) const {
  const CTarvexSignature* signature = Signature(file_index, signature_index);
  CValueCheckTool::CheckIntRange(resign_index, 0, signature->GetResignCount() - 1,
                                 "iResignaturesCount");
  return signature->GetResign(resign_index);
}

bool CTarvexDoc::DeleteFileSignatures(int file_index) {
  return Safe([&] {
    Document(file_index, "iFileIndex")->DeleteSignatures();
    return true;
  });
}

bool CTarvexDoc::DeleteFileSignature(int file_index, int signature_index) {
  return Safe([&] {
    Signature(file_index, signature_index);
    documents_[file_index]->DeleteSignature(signature_index);
    return true;
  });
}

bool CTarvexDoc::DeleteFileResignatures(int file_index, int signature_index) {
  return Safe([&] {
    Signature(file_index, signature_index)->ClearResignatures();
    return true;
  });
}

CTarvexDocument* CTarvexDoc::FindByName(const std::string& original_name) {
  CheckOpened();
  if (CTarvexDocument* document = names_.FindByOriginalName(original_name)) return document;
  RaiseErrorFmt("Документ с именем [%s] не найден", {original_name});
}

bool CTarvexDoc::SignFile(const std::string& original_name, CTarvexKey* key) {
  return Safe([&] {
    CheckOpened();
    CValueCheckTool::CheckNotEmpty(original_name, "Filename");
    CValueCheckTool::CheckAssigned(key, "pKey");
    FindByName(original_name)->Sign(key);
    return true;
  });
}

bool CTarvexDoc::ReSignFile(const std::string& original_name, CTarvexKey* key) {
  return Safe([&] {
    CheckOpened();
    CValueCheckTool::CheckNotEmpty(original_name, "Filename");
    CValueCheckTool::CheckAssigned(key, "pKey");
    FindByName(original_name)->Resign(key);
    return true;
  });
}

bool CTarvexDoc::Encrypt(CTarvexKey* key) {
  return Safe([&] {
    CheckOpened();
    CValueCheckTool::CheckAssigned(key, "pKey");
    for (const auto& document : documents_) document->Encrypt(key);
    return true;
  });
}

bool CTarvexDoc::Decrypt() {
  return Safe([&] {
    CheckOpened();
    for (const auto& document : documents_) {
      if (document->IsEncrypted()) document->Decrypt();
    }
    return true;
  });
}
