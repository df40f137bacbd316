// The new-document dialog: which documents of the packet's application kind
// to add. It reads regdoc.xml itself, offers only what may still be added,
// and hands back copies of the chosen records.
#pragma once

#include <string>
#include <vector>

#include "editor/model/reg_doc.h"
#include "editor/ui/check_list_dialog.h"

class TfmNewDoc : public TCheckListDialog {
 public:
  explicit TfmNewDoc(QWidget* parent = nullptr);

  // The form's own reader; its list strings are the short names.
  TXMLRegDoc& Reader() { return reader_; }
  // One item per entry of the reader's list, with its name as its hint, so
  // that a long name can be read in full.
  void FillDocuments();
  // Copies of the records of the checked items, in list order.
  void AppendChecked(std::vector<TRegDocType>& result) const;

 private:
  TXMLRegDoc reader_;
};

// Offers the documents of application kind `app_code` that a packet holding
// the КодСВДРЕГ codes `present_codes` may still take. True when the user
// confirmed with "Добавить": `result` then has a copy of the record of
// every checked document appended. False after an error box when the book
// cannot be read, after "Нет документов для добавления." when nothing may
// be added, and when the dialog was closed otherwise.
bool SelectNewDocuments(const std::string& regdoc_path, const std::string& app_code,
                        std::vector<TRegDocType>& result,
                        const std::vector<std::string>& present_codes);
