// The open/close/new/save lifecycle of the library's document-like classes,
// with defaults that descendants override: a document with the defaults is
// never opened, closes and saves successfully, and cannot be saved under a
// new name. Descendants wrap their overrides in `Safe`, so a failing one
// reaches the caller with its message.
//
// A document goes from closed to opened through `Open` or `New` and back
// through `Close`; opening or creating always closes first, and destruction
// closes. A C++ destructor reaches only the overrides of its own class and
// those above it, so every class that overrides `Close` calls
// `CloseOnDestroy` from its own destructor; `Close` must therefore do
// nothing harmful on a document that is already closed.
#pragma once

#include <string>

#include "lib/foundation/base_class.h"

class CCustomDoc : public CBaseClass {
 public:
  // `source` is what the descendant opens from (a configuration object, a
  // file name...), not owned. Closes first; when that succeeds, keeps the
  // source. Returns what `Close` gave.
  virtual bool Open(void* source);
  virtual bool Close() { return true; }
  virtual bool IsOpened() { return false; }
  // Starts a new document from a configuration object: `Close`.
  virtual bool New(void* config) {
    (void)config;
    return Close();
  }
  virtual bool Save() { return true; }
  virtual bool SaveAs(const std::string& file_name) {
    (void)file_name;
    return false;
  }

 protected:
  CCustomDoc() = default;
  // Runs `Close` (the override of the calling destructor's class); an error
  // it raises is dropped, since nothing may leave a destructor, after the
  // safe wrapper has traced it.
  void CloseOnDestroy() noexcept;

  void* Source = nullptr;
};
