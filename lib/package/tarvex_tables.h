// The package library's fixed vocabularies: the words of subject types and
// signer roles, the two kinds of document flow, the transactions and the
// document types. Built in, never read from a file or changed.
#pragma once

#include <cstdint>
#include <span>

// Flow kinds of a package; 0 means unknown.
constexpr uint8_t kFlowKindLegalEntity = 1;   // ЮЛ
constexpr uint8_t kFlowKindEntrepreneur = 2;  // ИП

// One subject type or signer role. Both share the internal codes 1-11; the
// COM layer maps them to `SIGN_ROLE_TYPES` (-1: no COM value).
struct rTarvexRoleWord {
  uint8_t code;
  const char* word;
  int com_value;
};

struct rTarvexThreadType {
  const char* name;
  const char* code;
  uint8_t flow_kind;
};

// `number` is the value of `TRANSACTION_TYPES`.
struct rTarvexTransactType {
  const char* name;
  const char* code;
  int number;
  uint8_t flow_kind;
};

// `code` is unique within a flow kind, `number` over the whole table;
// `stem` starts the content file name; `encrypt` says the document is
// encrypted when the package is encrypted for a receiver.
struct rTarvexDocType {
  const char* code;
  const char* name;
  const char* stem;
  int number;
  bool encrypt;
  uint8_t flow_kind;
};

std::span<const rTarvexRoleWord> TarvexRoleWords();
std::span<const rTarvexThreadType> TarvexThreadTypes();
std::span<const rTarvexTransactType> TarvexTransactTypes();
std::span<const rTarvexDocType> TarvexDocTypes();
