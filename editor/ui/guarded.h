// Qt slots must not let an error out: what escapes the work of a slot is
// shown in the application's error box, as the event loop of the platform's
// class library shows an unhandled error.
#pragma once

#include <exception>

#include "editor/model/shell_routines.h"

template <typename Work>
void RunGuarded(Work&& work) {
  try {
    work();
  } catch (const std::exception& e) {
    ShowMessageBox(e.what(), kMessageError);
  }
}
