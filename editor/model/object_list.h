// A list of strings with attached records, as the editor's combo boxes and
// check lists hold them: each entry owns its record.
#pragma once

#include <memory>
#include <string>
#include <vector>

template <typename T>
struct TObjectItem {
  std::string Text;
  std::unique_ptr<T> Object;
};

template <typename T>
using TObjectList = std::vector<TObjectItem<T>>;
