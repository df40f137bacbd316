#include "lib/com/server_classes.h"

#include "include/tarvex_guids.h"
#include "include/tarvex_interfaces.h"
#include "lib/com/tarvex_class.h"
#include "lib/com/tarvex_crypt_class.h"

std::span<const AutoClassEntry> ServerClasses() {
  // A class whose objects this module does not carry yet has no creator:
  // its factory exists and registers, and CreateInstance answers
  // CLASS_E_CLASSNOTAVAILABLE.
  static const AutoClassEntry classes[] = {
      {CLSID_Tarvex, "Tarvex", ITarvex::kIid, &CTarvex_class::Create},
      {CLSID_TarvexCrypt, "TarvexCrypt", ITarvexCrypt::kIid, &CTarvexCrypt_class::Create},
  };
  return classes;
}
