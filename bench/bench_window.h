// The main window as the benchmarks start it: the ini file in their own
// folder, the sample reference books and the built module; and the test
// signer put in for the window's key catalogue.
#pragma once

#include <openssl/evp.h>

#include <cstdio>
#include <string>

#include "bench/package_forming.h"
#include "editor/model/application.h"
#include "editor/ui/fm_quenda_main.h"
#include "editor/ui/program_start.h"

namespace bench {

// Starts `window` over `dir`; false when it does not initialize.
inline bool StartWindow(TfmQuendaMain& window, const std::string& dir) {
  SetStartParameters(window);
  window.Params.SetValue("INIFILE", dir + "/TarvexEdit.ini", 1);
  window.Params.SetValue("BOOKFOLDER", TARVEX_SOURCE_DIR "/editor/ui/books/", 1);
  window.Params.SetValue("QIMDLLPATH", TARVEX_MODULE_DIR, 1);
  window.ReadSettings();
  if (!window.Initialize()) return false;
  window.show();
  return true;
}

// The test signer put in as a user puts a key in, for the window's key
// catalogue to find by its thumbprint, which it returns.
inline std::string ImportWindowSigner() {
  Run(std::string(TARVEX_KEYS_TOOL) + " import window " + kPki + "signer.key " + kPki +
      "signer.cer >/dev/null");
  const std::string der = ReadFile(kPki + "signer.cer");
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_Digest(der.data(), der.size(), digest, &length, EVP_sha1(), nullptr);
  std::string hex;
  for (unsigned int i = 0; i < length; ++i) {
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02X", digest[i]);
    hex += pair;
  }
  return hex;
}

}  // namespace bench
