#include "editor/model/package_items.h"

#include "editor/model/ole_check.h"
#include "editor/model/ole_string.h"

int32_t FileCount(ITarvex* package) {
  int32_t count = 0;
  OleCheck(package->GetFileCount(&count));
  return count;
}

ComRef<ITarvexFile> FileAt(ITarvex* package, int32_t index) {
  ITarvexFile* raw = nullptr;
  OleCheck(package->GetFile(index, &raw));
  return ComRef<ITarvexFile>(raw);
}

std::string FileText(ITarvexFile* file, HRESULT (ITarvexFile::*getter)(BSTR*)) {
  OleString value;
  OleCheck((file->*getter)(value.out()));
  return value.Ansi();
}

int32_t SignatureCount(ITarvex* package, int32_t file) {
  int32_t count = 0;
  OleCheck(package->GetFileSignatureCount(file, &count));
  return count;
}

ComRef<ITarvexSignature> SignatureAt(ITarvex* package, int32_t file, int32_t sign) {
  ITarvexSignature* raw = nullptr;
  OleCheck(package->GetFileSignature(file, sign, &raw));
  return ComRef<ITarvexSignature>(raw);
}

std::string SignatureText(ITarvexSignature* signature, HRESULT (ITarvexSignature::*getter)(BSTR*)) {
  OleString value;
  OleCheck((signature->*getter)(value.out()));
  return value.Ansi();
}
