// The editor's named settings and last-entered values. Names are compared
// with only the letters a-z folded; texts are cp1251.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct TPacketParam {
  std::string Name;
  std::string Value;
  uint8_t Flag = 1;  // 1 editable (kept in the ini file), 0 fixed by the program start
};

// An absent name reads as an editable empty value. No operation but Add
// makes a second entry for a name.
class TPacketParams {
 public:
  TPacketParams() = default;
  TPacketParams(const TPacketParams&) = delete;
  TPacketParams& operator=(const TPacketParams&) = delete;

  // Appends even when the name is present: callers look up first.
  void Add(std::string_view name, std::string_view value, uint8_t flag);
  void Clear();
  // The first matching entry's position, -1 when there is none.
  int IndexOf(std::string_view name) const;
  uint8_t GetFlag(std::string_view name) const;
  std::string GetValue(std::string_view name) const;
  // Sets the value only where it is empty; a new entry is editable.
  void SetDefault(std::string_view name, std::string_view value);
  void SetValue(std::string_view name, std::string_view value, uint8_t flag);
  // Does nothing for an absent name.
  void SetFlag(std::string_view name, uint8_t flag);

 private:
  std::vector<TPacketParam> items_;
};
