#include "editor/model/packet_params.h"

#include "editor/model/string_routines.h"

void TPacketParams::Add(std::string_view name, std::string_view value, uint8_t flag) {
  items_.push_back(TPacketParam{std::string(name), std::string(value), flag});
}

void TPacketParams::Clear() { items_.clear(); }

int TPacketParams::IndexOf(std::string_view name) const {
  for (size_t i = 0; i < items_.size(); ++i) {
    if (SameText(items_[i].Name, name)) return static_cast<int>(i);
  }
  return -1;
}

uint8_t TPacketParams::GetFlag(std::string_view name) const {
  int index = IndexOf(name);
  return index < 0 ? 1 : items_[index].Flag;
}

std::string TPacketParams::GetValue(std::string_view name) const {
  int index = IndexOf(name);
  return index < 0 ? std::string() : items_[index].Value;
}

void TPacketParams::SetDefault(std::string_view name, std::string_view value) {
  int index = IndexOf(name);
  if (index < 0) {
    Add(name, value, 1);
  } else if (items_[index].Value.empty()) {
    items_[index].Value = value;
  }
}

void TPacketParams::SetValue(std::string_view name, std::string_view value, uint8_t flag) {
  int index = IndexOf(name);
  if (index < 0) {
    Add(name, value, flag);
    return;
  }
  items_[index].Value = value;
  items_[index].Flag = flag;
}

void TPacketParams::SetFlag(std::string_view name, uint8_t flag) {
  int index = IndexOf(name);
  if (index >= 0) items_[index].Flag = flag;
}
