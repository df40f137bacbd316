// The documents and signatures of the library's package object, read
// through its interfaces. A failing call raises EditorError with the
// library's message. Texts are cp1251.
#pragma once

#include <cstdint>
#include <string>

#include "include/tarvex_interfaces.h"
#include "platform/com/com_ref.h"

int32_t FileCount(ITarvex* package);
ComRef<ITarvexFile> FileAt(ITarvex* package, int32_t index);
// One text property of a file, e.g. &ITarvexFile::get_DocumentCode.
std::string FileText(ITarvexFile* file, HRESULT (ITarvexFile::*getter)(BSTR*));

int32_t SignatureCount(ITarvex* package, int32_t file);
ComRef<ITarvexSignature> SignatureAt(ITarvex* package, int32_t file, int32_t sign);
// One text property of a signature, e.g. &ITarvexSignature::get_Filename.
std::string SignatureText(ITarvexSignature* signature, HRESULT (ITarvexSignature::*getter)(BSTR*));
