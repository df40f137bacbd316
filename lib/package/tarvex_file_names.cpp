#include "lib/package/tarvex_file_names.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "lib/foundation/errors.h"
#include "lib/package/os_abbrevia_tool.h"
#include "lib/package/package_description_file.h"
#include "lib/package/tarvex_document.h"
#include "lib/package/xml_gpr_document.h"
#include "lib/package/xml_gpr_signature.h"
#include "platform/kernel/escaped_text.h"

namespace {

constexpr const char* kDescriptionOwner = "описание пакета";

std::string ContentOwner(int index) { return Format("содержимое документа [#%d]", {index}); }

std::string SignatureOwner(int index) { return Format("подпись документа [#%d]", {index}); }

// Names with the owner that took each.
class FileNames {
 public:
  void Add(const std::string& name, const std::string& owner) {
    const auto [found, added] = owners_.emplace(name, owner);
    if (!added) Clash(name, found->second, owner);
  }
  void Refuse(const std::string& name, const std::string& owner) const {
    const auto found = owners_.find(name);
    if (found != owners_.end()) Clash(name, found->second, owner);
  }

 private:
  [[noreturn]] static void Clash(const std::string& name, const std::string& first,
                                 const std::string& second) {
    RaiseErrorFmt("Файл [%0:s] назван дважды: %1:s и %2:s", {name, first, second});
  }

  std::unordered_map<std::string, std::string> owners_;
};

class DocumentCodes {
 public:
  void Add(const std::string& code, int index) {
    if (code.empty()) return;
    const auto [found, added] = indexes_.emplace(code, index);
    if (!added) {
      RaiseErrorFmt("Документы [#%0:d] и [#%1:d] имеют один идентификатор документа [%2:s]",
                    {found->second, index, code});
    }
  }

 private:
  std::unordered_map<std::string, int> indexes_;
};

void RefuseDescribedSignatures(const FileNames& names, CXMLGprExtSignatureCollection& signatures,
                               const std::string& owner) {
  for (int i = 0; i < signatures.Count(); ++i) {
    CXMLGprExtSignature* signature = signatures.Item(i);
    if (!signature->FileName().empty()) names.Refuse(signature->FileName(), owner);
    RefuseDescribedSignatures(names, signature->Resigns(), owner);
  }
}

}  // namespace

void ForEachSavedSignature(CXMLGprExtSignatureCollection& signatures, const std::string& base,
                           const std::function<void(const std::string&)>& take) {
  for (int i = 0; i < signatures.Count(); ++i) {
    const std::string name = Format("%s_%d.p7s", {base, i + 1});
    take(name);
    ForEachSavedSignature(signatures.Item(i)->Resigns(), name, take);
  }
}

int64_t SignatureFileCount(CXMLGprExtSignatureCollection& signatures) {
  int64_t count = signatures.Count();
  for (int i = 0; i < signatures.Count(); ++i)
    count += SignatureFileCount(signatures.Item(i)->Resigns());
  return count;
}

void CheckFileCount(CXMLGprExtDocumentCollection& documents) {
  int64_t signature_count = 0;
  for (int i = 0; i < documents.Count(); ++i) {
    signature_count += SignatureFileCount(documents.Item(i)->Signatures());
  }
  CheckFileCount(documents.Count(), signature_count);
}

void CheckFileCount(int64_t document_count, int64_t signature_count) {
  const int64_t files = 1 + document_count + signature_count;
  const int64_t limit = ZipLimits().entries;
  if (files > limit) {
    RaiseErrorFmt(
        "Число файлов пакета [%0:d] превышает предел [%1:d]: описание, документов [%2:d], "
        "подписей [%3:d]",
        {files, limit, document_count, signature_count});
  }
}

void CheckOriginalExtension(const std::string& name, const std::string& extension) {
  for (const char c : extension) {
    if (IsControlByte(c) || std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos) {
      RaiseErrorFmt("Недопустимое имя файла [%0:s]: расширение содержит символ [%1:s]",
                    {Escaped(name), Escaped(std::string(1, c))});
    }
  }
  if (!extension.empty() && (extension.back() == ' ' || extension.back() == '.')) {
    RaiseErrorFmt("Недопустимое имя файла [%s]: расширение оканчивается пробелом или точкой",
                  {Escaped(name)});
  }
}

void CheckDescribedFileNames(CXMLGprExtDocumentCollection& documents) {
  DocumentCodes codes;
  FileNames names;
  names.Add(kPackageDescriptionFile, kDescriptionOwner);
  for (int i = 0; i < documents.Count(); ++i) {
    const CXMLGprExtDocument* document = documents.Item(i);
    codes.Add(document->DocumentCode(), i);
    if (!document->FileName().empty()) names.Add(document->FileName(), ContentOwner(i));
  }
  for (int i = 0; i < documents.Count(); ++i) {
    RefuseDescribedSignatures(names, documents.Item(i)->Signatures(), SignatureOwner(i));
  }
}

void CheckSavedFileNames(const std::vector<std::unique_ptr<CTarvexDocument>>& documents) {
  DocumentCodes codes;
  FileNames names;
  names.Add(kPackageDescriptionFile, kDescriptionOwner);
  for (size_t i = 0; i < documents.size(); ++i) {
    const int index = static_cast<int>(i);
    CXMLGprExtDocument* node = documents[i]->Node();
    codes.Add(node->DocumentCode(), index);
    std::string content;
    if (!documents[i]->PlannedFilename(content)) continue;
    names.Add(content, ContentOwner(index));
    const std::string owner = SignatureOwner(index);
    ForEachSavedSignature(node->Signatures(), content,
                          [&](const std::string& name) { names.Add(name, owner); });
  }
}
