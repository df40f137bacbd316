// The search of the package views: a view looks for its item first in the
// document where it found the item last, and walks the whole package only
// when that document no longer holds it (a document before it came or
// went), so that a view costs the same in a package of any size.
#pragma once

#include "lib/package/tarvex_doc.h"
#include "lib/package/tarvex_document.h"

// The item that `find_in` answers for a document of `package` (a pointer,
// null where the document does not hold it), looked for first in document
// `file`, which becomes the one that holds it; null when there is no
// package, it is closed or none of its documents holds the item.
template <typename FindIn>
auto FindFromLastPlace(CTarvexDoc* package, int& file, FindIn find_in)
    -> decltype(find_in(*package->GetFile(0))) {
  if (package == nullptr || !package->IsOpened()) return nullptr;
  const int count = package->GetFileCount();
  if (file >= 0 && file < count) {
    if (auto* found = find_in(*package->GetFile(file))) return found;
  }
  for (int index = 0; index < count; ++index) {
    if (auto* found = find_in(*package->GetFile(index))) {
      file = index;
      return found;
    }
  }
  return nullptr;
}
