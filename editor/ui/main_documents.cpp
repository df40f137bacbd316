// The main window's actions that read a document out of the package: view
// it with the desktop's program, check its signatures, extract it with its
// signature files.
#include <QTreeWidget>

#include "editor/model/editor_error.h"
#include "editor/model/ole_check.h"
#include "editor/model/package_items.h"
#include "editor/model/shell_routines.h"
#include "editor/model/string_routines.h"
#include "editor/ui/document_files.h"
#include "editor/ui/fm_quenda_main.h"
#include "editor/ui/fm_sign_info_ex.h"
#include "platform/shell/shell_execute.h"

void TfmQuendaMain::ActionOpenFileExecute() {
  QTreeWidgetItem* item = SelectedItem();
  if (item == nullptr) return;
  const TRegDoc& doc = *DocOf(item);
  try {
    // A row not yet in the package is its source file.
    std::string path = doc.SourcePath;
    if (doc.PackageIndex != -1) {
      const int32_t index = RequirePackageIndex(doc, "Невозможно определить индекс файла в пакете");
      const ComRef<ITarvexFile> file = FileAt(Packet->Package.get(), index);
      path = WriteDocumentFile(GetWorkFolder(),
                               FileText(file.get(), &ITarvexFile::get_OriginalFilename),
                               FileText(file.get(), &ITarvexFile::get_RawContent));
    }
    if (!FileExists(path)) throw EditorError("Файл документа [" + path + "] не найден");
    if (ShellExecuteA(nullptr, "open", path, SW_SHOWMAXIMIZED) <= 32) {
      throw EditorError("Нет программы для просмотра файла [" + path + "]");
    }
  } catch (const std::exception& e) {
    ShowMessageBox(std::string("Ошибка открытия документа:\r\n") + e.what(), kMessageError);
  }
}

void TfmQuendaMain::ActionCheckSignExecute() {
  QTreeWidgetItem* item = SelectedItem();
  if (item == nullptr || !Packet) return;
  try {
    const TRegDoc& doc = *DocOf(item);
    const int32_t index = RequirePackageIndex(doc, "Невозможно определить индекс файла в пакете");
    // A check over no signature at all passes, which would read as a valid one.
    if (SignatureCount(Packet->Package.get(), index) == 0) {
      ShowMessageBox(
          "Документ [" + (doc.DocName.empty() ? doc.SourcePath : doc.DocName) + "] не подписан.",
          kMessageInformation);
      return;
    }
    VARIANT_BOOL valid = VARIANT_FALSE;
    OleCheck(
        FileAt(Packet->Package.get(), index)->CheckSignEx(VARIANT_FALSE, VARIANT_FALSE, &valid));
    if (valid == VARIANT_FALSE) {
      ShowMessageBox("Подпись неверна.", kMessageWarning);
      return;
    }
    ShowSignInfo(Packet->Package.get(), index);
  } catch (const std::exception& e) {
    ShowMessageBox(std::string("Ошибка проверки подписи:\r\n") + e.what(), kMessageError);
  }
}

void TfmQuendaMain::ActionExtractDocExecute() {
  QTreeWidgetItem* item = SelectedItem();
  if (item == nullptr) return;
  try {
    ITarvex* package = Packet ? Packet->Package.get() : nullptr;
    const int32_t index =
        RequirePackageIndex(*DocOf(item), "Невозможно опеределить индекс файла в пакете");
    std::string folder = Params.GetValue("EXTRACTFOLDER");
    if (!BrowseForFolder(nullptr, "Выберите папку для извлечения", folder, false)) return;
    Params.SetValue("EXTRACTFOLDER", folder, 1);

    // Every target is checked, every file already there asked about, and
    // every content read before the first file is written: a refusal or a
    // No leaves the folder as it was, so a document never goes without its
    // signatures.
    const ComRef<ITarvexFile> file = FileAt(package, index);
    const int32_t count = SignatureCount(package, index);
    std::vector<ComRef<ITarvexSignature>> signatures;
    std::vector<std::string> names = {FileText(file.get(), &ITarvexFile::get_OriginalFilename)};
    for (int32_t j = 0; j < count; ++j) {
      signatures.push_back(SignatureAt(package, index, j));
      names.push_back(SignatureText(signatures.back().get(), &ITarvexSignature::get_Filename));
    }
    for (const std::string& path : ExtractionPaths(folder, names)) {
      if (FileExists(path) && !AskYesNo("Файл [" + path + "] уже существует. Заменить?", true, 3)) {
        return;
      }
    }
    std::vector<std::string> contents = {FileText(file.get(), &ITarvexFile::get_RawContent)};
    for (const ComRef<ITarvexSignature>& signature : signatures) {
      contents.push_back(SignatureText(signature.get(), &ITarvexSignature::get_SignatureContent));
    }
    for (size_t i = 0; i < names.size(); ++i) WriteDocumentFile(folder, names[i], contents[i]);
    ShowMessageBox("Документ и подписи извлечены.", kMessageInformation);
  } catch (const std::exception& e) {
    ShowMessageBox(std::string("Ошибка извлечения документа:\r\n") + e.what(), kMessageError);
  }
}
