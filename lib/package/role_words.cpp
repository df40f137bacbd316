#include "lib/package/role_words.h"

#include <ranges>

#include "lib/foundation/errors.h"
#include "lib/package/tarvex_tables.h"
#include "platform/kernel/compare_string.h"

namespace {

const rTarvexRoleWord* ByCode(uint8_t code) {
  for (const rTarvexRoleWord& row : TarvexRoleWords()) {
    if (row.code == code) return &row;
  }
  return nullptr;
}

// The last row with the word, so that "абонент" gives 4 rather than 1;
// every other word stands in one row only.
const rTarvexRoleWord* ByWord(const std::string& word) {
  for (const rTarvexRoleWord& row : TarvexRoleWords() | std::views::reverse) {
    if (CompareStringA(LOCALE_USER_DEFAULT, 0, row.word, word) == CSTR_EQUAL) return &row;
  }
  return nullptr;
}

}  // namespace

const char* SubjectTypeToText(uint8_t code) {
  const rTarvexRoleWord* row = ByCode(code);
  if (row == nullptr) RaiseErrorFmt("Неизвестный тип субъекта: [%d]", {code});
  return row->word;
}

uint8_t SubjectTypeFromText(const std::string& word) {
  const rTarvexRoleWord* row = ByWord(word);
  if (row == nullptr) RaiseErrorFmt("Неизвестный тип субъекта: [%s]", {word});
  return row->code;
}

const char* SignRoleToText(uint8_t code) {
  const rTarvexRoleWord* row = ByCode(code);
  if (row == nullptr) RaiseErrorFmt("Неизвестная роль: [%d]", {code});
  return row->word;
}

uint8_t SignRoleFromText(const std::string& word) {
  const rTarvexRoleWord* row = ByWord(word);
  if (row == nullptr) RaiseErrorFmt("Неизвестная роль: {%s}", {word});
  return row->code;
}
