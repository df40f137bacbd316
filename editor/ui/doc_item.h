// A row of the main window's document list, owning its document record.
#pragma once

#include <QTreeWidgetItem>
#include <memory>

#include "editor/model/packet_records.h"

class TDocItem : public QTreeWidgetItem {
 public:
  explicit TDocItem(std::unique_ptr<TRegDoc> doc) : Doc(std::move(doc)) {}

  std::unique_ptr<TRegDoc> Doc;
};
