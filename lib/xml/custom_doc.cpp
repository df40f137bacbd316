#include "lib/xml/custom_doc.h"

bool CCustomDoc::Open(void* source) {
  const bool closed = Close();
  if (closed) Source = source;
  return closed;
}

void CCustomDoc::CloseOnDestroy() noexcept {
  try {
    Close();
  } catch (...) {
    // The error has been written to the debug channel where it arose.
  }
}
