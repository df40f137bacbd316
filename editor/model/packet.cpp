#include "editor/model/packet.h"

#include <exception>
#include <string_view>

#include "editor/model/application.h"
#include "editor/model/doc_types.h"
#include "editor/model/editor_error.h"
#include "editor/model/ole_check.h"
#include "editor/model/ole_string.h"
#include "editor/model/package_items.h"
#include "editor/model/shell_routines.h"
#include "editor/model/string_routines.h"
#include "platform/com/guid_text.h"
#include "platform/kernel/codepage.h"
#include "platform/kernel/file_system.h"
#include "platform/kernel/files.h"
#include "platform/kernel/guid.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/sys_messages.h"

namespace {

constexpr int32_t kMaxFileSize = 31457280;  // 30 MiB
constexpr int32_t kMaxImageWidth = 3000;
constexpr int32_t kMaxImageHeight = 4000;
constexpr int kContentTiff = 4;
constexpr int kContentJpeg = 5;

struct ContentRow {
  const char* extension;
  int kind;
};
constexpr ContentRow kContentRows[] = {
    {".xml", 0},  {".html", 1}, {".pdf", 2}, {".rtf", 3}, {".tif", 4},
    {".tiff", 4}, {".jpg", 5},  {".doc", 6}, {".xls", 7},
};
constexpr const char* kContentNames[] = {"xml",  "html",    "pdf",      "rtf",    "tiff",
                                         "jpeg", "ms-word", "ms-excel", "unknown"};

// The part after the last "\" or "/".
std::string FileNamePart(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsOpened(ITarvex* package) {
  VARIANT_BOOL opened = VARIANT_FALSE;
  OleCheck(package->IsOpened(&opened));
  return opened != VARIANT_FALSE;
}

void CloseIfOpened(ITarvex* package) {
  if (!IsOpened(package)) return;
  VARIANT_BOOL done = VARIANT_FALSE;
  OleCheck(package->Close(&done));
}

}  // namespace

TPacket::TPacket() : ImageInfo(std::make_unique<TDCImageInfo>()) {}

TPacket::~TPacket() { ClearDocuments(); }

void TPacket::MakeInventoryName() {
  throw EditorError("Пакет этого типа не имеет описи документов");
}

void TPacket::WriteInventory() { throw EditorError("Пакет этого типа не имеет описи документов"); }

void TPacket::LoadInventory(const std::string& /*file_name*/, const std::string& /*text*/) {
  throw EditorError("Пакет этого типа не имеет описи документов");
}

void TPacket::MakePackageName() {
  PackageFileName = "ZUK_" + SenderId + "_" + ReceiverId + "_" + NewGuidText() + "_" +
                    (KindWord.empty() ? std::string("ИП") : KindWord) + "_" +
                    std::to_string(TransactionType) + "_" + DocTypeCode + ".zip";
}

void TPacket::New() {
  CloseIfOpened(Package.get());
  VARIANT_BOOL done = VARIANT_FALSE;
  OleCheck(Package->New(static_cast<TRANSACTION_TYPES>(TransactionType), &done));
}

void TPacket::Save(const std::string& path) {
  OleCheck(Package->put_SenderType(static_cast<SIGN_ROLE_TYPES>(SenderType)));
  OleCheck(Package->put_SenderIdentifier(OleString(SenderId).get()));
  OleCheck(Package->put_ReceiverType(static_cast<SIGN_ROLE_TYPES>(ReceiverType)));
  OleCheck(Package->put_ReceiverIdentifier(OleString(ReceiverId).get()));
  std::string target = path;
  if (target.empty()) {
    MakePackageName();
    target = PackagePath();
  }
  if (Encrypt != 0) EncryptPacket();
  VARIANT_BOOL done = VARIANT_FALSE;
  OleCheck(Package->Save(OleString(target).get(), &done));
}

bool TPacket::Validate(std::string& message) {
  if (SenderId.empty()) {
    message = "Не указан идентификатор отправителя";
  } else if (ReceiverId.empty()) {
    message = "Не указан идентификатор получателя";
  } else if (DocTypeCode.empty()) {
    message = "Не указан код типа документа";
  } else {
    return true;
  }
  return false;
}

bool TPacket::NewPacket(std::string& message) {
  try {
    EnsurePackage();
    DropIndices();
    New();
    modified_ = false;
    return true;
  } catch (const std::exception& e) {
    message = e.what();
    return false;
  }
}

bool TPacket::OpenPacket(const std::string& path, std::string& message) {
  try {
    EnsurePackage();
    Open(path);
    return true;
  } catch (const std::exception& e) {
    message = e.what();
    return false;
  }
}

void TPacket::Open(const std::string& path) {
  DropIndices();
  CloseIfOpened(Package.get());
  VARIANT_BOOL done = VARIANT_FALSE;
  OleCheck(Package->Open(OleString(path).get(), &done));
  try {
    OleCheck(Package->Decrypt(&done));
    PackageFileName = FileNamePart(path);
    modified_ = false;
  } catch (const EditorError& e) {
    throw EditorError("Пакет уже зашифрован и не может быть расшифрован и открыт: " + e.Message());
  }
}

void TPacket::TakeOpenedPackage(TPacket& opened) {
  DropIndices();
  opened.DropIndices();
  TakeBinding(opened);
  PackageFileName = opened.PackageFileName;
  modified_ = opened.modified_;
}

int32_t TPacket::AddDocument(const std::string& file_name, const std::string& doc_type_code,
                             const std::string& код_свдрег, const std::string& doc_name, bool sign,
                             uint16_t role) {
  RequirePackage();
  if (file_name.empty()) throw EditorError("Не указан файл документа [" + doc_name + "]");
  // The library takes a name only after its last ":", and the receivers'
  // systems keep no ":" in a file name either.
  if (FileNamePart(file_name).find(':') != std::string::npos) {
    throw EditorError(ForbiddenNameCharMessage(FileNamePart(file_name), ':'));
  }
  if (!FileExists(file_name)) {
    throw EditorError("Файл документа [" + doc_name + "] не найден: " + file_name);
  }
  TRANSACTION_TYPES transaction = TRANSACTION_TYPE_UNKNOWN;
  OleCheck(Package->get_DocTransactType(&transaction));
  const int doc_type = FindDocType(static_cast<uint16_t>(transaction), doc_type_code);
  if (doc_type < 0) throw EditorError("Недопустимый код типа документа [" + doc_type_code + "]");
  const int kind = ContentKind(file_name);
  if (kind == kContentUnknown) throw EditorError("Неизвестный тип документа [" + file_name + "]");

  // A file that cannot be measured, held by another program say, cannot be
  // held to the limits either.
  if (!ImageInfo->Read(file_name)) {
    throw EditorError("Невозможно прочитать файл документа [" + file_name +
                      "]: " + LastErrorMessage());
  }
  if (ImageInfo->FileSize > kMaxFileSize) {
    throw EditorError("Размер файла не должен превышать 30МБ");
  }
  if (kind == kContentTiff || kind == kContentJpeg) {
    // Content that is no picture of its extension's format reads with zero
    // dimensions, and would pass every limit below.
    const bool tiff = kind == kContentTiff;
    if (ImageInfo->Kind != (tiff ? kImageTiff : kImageJpeg)) {
      throw EditorError("Файл документа [" + file_name + "] не является изображением в формате " +
                        (tiff ? "TIFF" : "JPEG"));
    }
    if (ImageInfo->Width > kMaxImageWidth) {
      throw EditorError("Ширина изображения не должна быть более 3000 точек на дюйм");
    }
    if (ImageInfo->Height > kMaxImageHeight) {
      throw EditorError("Высота изображения не должна быть более 4000 точек на дюйм");
    }
    if (ImageInfo->BitsPerPixel > 1) throw EditorError("Глубина цвета должна быть 1 бит");
  }

  auto row = std::make_unique<TRegDoc>();
  row->DocName = doc_name;
  row->DocTypeCode = doc_type_code;
  row->ContentType = ContentTypeName(kind);
  row->SourcePath = file_name;
  row->OriginalFileName = FileNamePart(file_name);
  row->КодСВДРЕГ = код_свдрег;

  const std::string content = ReadFileContent(file_name);
  DropIndices();
  ITarvexFile* raw = nullptr;
  OleCheck(Package->AddFile(OleString(kDocTypes[doc_type].Name).get(),
                            OleString(doc_type_code).get(), OleString(row->ContentType).get(),
                            OleString(row->OriginalFileName).get(), OleString(content).get(),
                            &raw));
  modified_ = true;
  const ComRef<ITarvexFile> file(raw);
  row->DocumentCode = FileText(file.get(), &ITarvexFile::get_DocumentCode);
  row->FileName = FileText(file.get(), &ITarvexFile::get_Filename);
  row->PackageIndex = FileCount(Package.get()) - 1;

  if (sign) {
    // A document that cannot be signed leaves the package again: kept, it
    // would be saved unsigned with no row in the list to show it.
    try {
      if (SignCertSha1.empty()) throw EditorError("Не выбран сертификат ключа подписи");
      EnsureCrypt();
      SelectSignKey(SignCertSha1, role);
      VARIANT_BOOL done = VARIANT_FALSE;
      OleCheck(file->Sign(SignKey.get(), &done));
      row->SignatureFileName = SignatureText(SignatureAt(Package.get(), row->PackageIndex, 0).get(),
                                             &ITarvexSignature::get_Filename);
    } catch (...) {
      VARIANT_BOOL deleted = VARIANT_FALSE;
      Package->DeleteFile(row->PackageIndex, &deleted);
      throw;
    }
  }
  const int32_t index = row->PackageIndex;
  Documents.push_back(std::move(row));
  return index;
}

int32_t TPacket::AddDocumentSafe(const std::string& file_name, const std::string& doc_type_code,
                                 const std::string& код_свдрег, const std::string& doc_name,
                                 bool sign, uint16_t role, std::string& message) {
  try {
    return AddDocument(file_name, doc_type_code, код_свдрег, doc_name, sign, role);
  } catch (const std::exception& e) {
    message = e.what();
    return -1;
  }
}

void TPacket::SignDocument(int32_t index, const std::string& sha1, uint16_t role) {
  RequirePackage();
  const ComRef<ITarvexFile> file = FileAt(Package.get(), index);
  EnsureCrypt();
  SelectSignKey(sha1, role);
  VARIANT_BOOL done = VARIANT_FALSE;
  OleCheck(file->Sign(SignKey.get(), &done));
  modified_ = true;
}

bool TPacket::SignDocumentSafe(int32_t index, const std::string& sha1, std::string& message,
                               uint16_t role) {
  try {
    SignDocument(index, sha1, role);
    return true;
  } catch (const std::exception& e) {
    message = e.what();
    return false;
  }
}

void TPacket::SelectSignKey(const std::string& sha1, uint16_t role) {
  if (SignKey) {
    OleString current;
    OleCheck(SignKey->get_Sha1(current.out()));
    if (current.Ansi() == sha1) return;
  }
  // The key becomes current only with its role: a key kept after a failure
  // would be taken again by the thumbprint check above and sign roleless.
  ITarvexKey* raw = nullptr;
  OleCheck(Crypt->GetPrivateKeyBySha1(OleString(sha1).get(), &raw));
  ComRef<ITarvexKey> key(raw);
  OleCheck(key->Init());
  if (SignerRole != 0) role = SignerRole;
  if (role == 0) {
    OleString issuer;
    OleCheck(key->get_Issuer(issuer.out()));
    role = RoleFromIssuer(issuer.Ansi());
  }
  if (role == 0) throw EditorError("Невозможно определить роль подписанта");
  OleCheck(key->put_SignRole(static_cast<SIGN_ROLE_TYPES>(role)));
  SignerRole = role;
  SignKey = std::move(key);
}

void TPacket::DeleteDocument(int32_t index) {
  RequirePackage();
  const std::string code =
      FileText(FileAt(Package.get(), index).get(), &ITarvexFile::get_DocumentCode);
  const int32_t row = IndexOfDocument(code);
  DropIndices();
  VARIANT_BOOL done = VARIANT_FALSE;
  OleCheck(Package->DeleteFile(index, &done));
  modified_ = true;
  if (row >= 0) Documents.erase(Documents.begin() + row);
}

bool TPacket::DeleteDocumentSafe(int32_t index, std::string& message) {
  try {
    DeleteDocument(index);
    return true;
  } catch (const std::exception& e) {
    message = e.what();
    return false;
  }
}

void TPacket::DeleteSignature(int32_t index, int32_t position) {
  RequirePackage();
  VARIANT_BOOL removed = VARIANT_FALSE;
  OleCheck(Package->DeleteFileSignature(index, position, &removed));
  modified_ = true;
}

int32_t TPacket::IndexOfFileByDocTypeCode(const std::string& code) const {
  ITarvex* package = Package.get();
  const int32_t count = FileCount(package);
  for (int32_t i = 0; i < count; ++i) {
    if (SameText(FileText(FileAt(package, i).get(), &ITarvexFile::get_DocTypeCode), code)) {
      return i;
    }
  }
  return -1;
}

int32_t TPacket::IndexOfFileByDocumentCode(const std::string& code) const {
  ITarvex* package = Package.get();
  const int32_t count = FileCount(package);
  if (!files_by_code_.Covers(count)) {
    files_by_code_.Build(count, [package](int32_t i) {
      return FileText(FileAt(package, i).get(), &ITarvexFile::get_DocumentCode);
    });
  }
  return files_by_code_.Find(code);
}

int32_t TPacket::IndexOfDocument(const std::string& code) const {
  const auto count = static_cast<int32_t>(Documents.size());
  if (!rows_by_code_.Covers(count)) {
    rows_by_code_.Build(count, [this](int32_t i) { return Documents[i]->DocumentCode; });
  }
  return rows_by_code_.Find(code);
}

TRegDoc* TPacket::FindDocument(const std::string& code) const {
  const int32_t index = IndexOfDocument(code);
  return index < 0 ? nullptr : Documents[index].get();
}

void TPacket::ClearDocuments() {
  DropIndices();
  Documents.clear();
  modified_ = true;
}

bool TPacket::ValidateAndSave(std::string& message, const std::string& path) {
  try {
    if (!Validate(message)) throw EditorError(message);
    RequirePackage();
    Save(path);
    modified_ = false;
    return true;
  } catch (const std::exception& e) {
    message = e.what();
    return false;
  }
}

bool TPacket::LoadInventoryText(const std::string& file_name, const std::string& text,
                                std::string& message) {
  try {
    DropIndices();
    LoadInventory(file_name, text);
    // The rows and applicants read are the package's own.
    modified_ = false;
    return true;
  } catch (const std::exception& e) {
    message = std::string("Ошибка загрузки описи: ") + e.what();
    return false;
  }
}

void TPacket::GetSignerNames(const std::string& cn, std::string& surname, std::string& name,
                             std::string& patronymic) {
  SplitCN(cn, surname, name, patronymic);
}

uint16_t TPacket::GetRoleByIssuer(const std::string& issuer_dn) {
  return RoleFromIssuer(issuer_dn);
}

std::string TPacket::PackagePath() const { return InFolder(PackageFileName); }

std::string TPacket::InventoryPath() const { return InFolder(InventoryFileName); }

void TPacket::RequirePackage() const {
  if (!Package) throw EditorError("Пакет не создан: нет объекта пакета библиотеки");
}

void TPacket::DropIndices() {
  files_by_code_.Drop();
  rows_by_code_.Drop();
}

std::string TPacket::InFolder(const std::string& file_name) const {
  if (file_name.empty()) return {};
  std::string folder = OutputFolder;
  if (folder.empty()) {
    const std::string exe = ApplicationExeName();
    folder = exe.substr(0, exe.find_last_of("\\/"));
  }
  return AddBackslash(folder) + file_name;
}

void TPacket::EncryptPacket() {
  if (EncryptCertSha1.empty()) throw EditorError("Не определен сертификат шифрования");
  EnsureCrypt();
  ITarvexKey* raw = nullptr;
  try {
    OleCheck(Crypt->GetOpponentKeyBySha1(OleString(EncryptCertSha1).get(), &raw));
  } catch (const EditorError& e) {
    throw EditorError("Ошибка получения сертификата шифрования: " + e.Message());
  }
  const ComRef<ITarvexKey> key(raw);
  VARIANT_BOOL done = VARIANT_FALSE;
  OleCheck(Package->Encrypt(key.get(), &done));
}

std::string TPacket::NewGuidText() {
  GUID guid;
  if (CoCreateGuid(&guid) != S_OK) return {};
  const std::string braced = GuidToRegistryString(guid);
  return braced.substr(1, braced.size() - 2);
}

std::string TPacket::RoleElementName(uint16_t role) {
  switch (role) {
    case 2: return "заявитель";
    case 3: return "нотариус";
    case 4: return "налоговыйОрган";
    case 7: return "органЦБРФ";
    case 8: return "ИОнотариус";
    case 9: return "органМинюста";
    default: return {};
  }
}

void TPacket::SplitCN(const std::string& cn, std::string& surname, std::string& name,
                      std::string& patronymic) {
  surname.clear();
  name.clear();
  patronymic.clear();
  if (cn.empty()) throw EditorError("Недопустимое значение поля [Субъект->CN] сертификата");
  std::string* const parts[] = {&surname, &name, &patronymic};
  size_t start = 0;
  for (std::string* part : parts) {
    const size_t space = cn.find(' ', start);
    *part = cn.substr(start, space == std::string::npos ? std::string::npos : space - start);
    if (space == std::string::npos) break;
    start = space + 1;
  }
}

uint16_t TPacket::RoleFromIssuer(const std::string& issuer_dn) {
  std::vector<std::string> parts;
  SplitText(issuer_dn, ",", parts, true);
  for (const std::string& part : parts) {
    if (part.find("2.5.4.3=") == std::string::npos && part.find("CN=") == std::string::npos) {
      continue;
    }
    return SameText(ValueOfPair(part), "Notariat RF CA") ? SIGN_ROLE_TYPE_NOTARY
                                                         : SIGN_ROLE_TYPE_APPLICANT;
  }
  return SIGN_ROLE_TYPE_UNKNOWN;
}

void TPacket::DeleteFileIfExists(const std::string& path) {
  if (FileExists(path)) DeleteFileA(path);
}

int TPacket::ContentKind(const std::string& file_name) {
  const std::string name = FileNamePart(file_name);
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return kContentUnknown;
  const std::string_view extension = std::string_view(name).substr(dot);
  for (const ContentRow& row : kContentRows) {
    if (SameText(extension, row.extension)) return row.kind;
  }
  return kContentUnknown;
}

std::string TPacket::ContentTypeName(int kind) {
  if (kind < 0 || kind > kContentUnknown) kind = kContentUnknown;
  return kContentNames[kind];
}

std::string TPacket::ReadFileContent(const std::string& path) {
  UniqueHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0));
  if (!file) throw EditorError("Невозможно открыть файл " + path + ": " + LastErrorMessage());
  std::string content;
  try {
    uint32_t high = 0;
    const uint32_t low = GetFileSize(file.get(), &high);
    if (high != 0) throw EditorError("Размер файла не должен превышать 30МБ");
    content.resize(low);
    uint32_t read = 0;
    if (!ReadFile(file.get(), content.data(), low, &read)) throw EditorError(LastErrorMessage());
    if (read != low) throw EditorError("файл изменился во время чтения");
  } catch (const EditorError& e) {
    content.clear();
    throw EditorError("Ошибка чтения файла " + path + ": " + e.Message());
  }
  return content;
}

std::string TPacket::AddBackslash(const std::string& folder) { return IncludeBackslash(folder); }
