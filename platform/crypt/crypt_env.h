// Where the stand-in keeps the machine state that the platform keeps in its
// registry and its provider: certificate stores and key containers.
//
// Environment variables (read at every call, so a test can point them at
// its own temporary folders):
//   TARVEX_CRYPT_USER_ROOT     the current user's root; default
//                              <user data home>/tarvex/crypt
//                              (platform/kernel/user_folders.h)
//   TARVEX_CRYPT_MACHINE_ROOT  the local machine's root; default
//                              /var/lib/tarvex/crypt
//   TARVEX_GOST_ABSENT         when set to a non-empty value other than "0",
//                              the GOST provider counts as not installed
//                              (it also does when the gost engine fails to
//                              load)
//
// Layout under a root:
//   stores/<name>/<SHA-1>.cer    a certificate of the system store <name>
//                                ("my", "root", "ca", "addressbook": the
//                                store name with a-z folded)
//   stores/<name>/<SHA-1>.prop   its key-provider property, when it has one
//   stores/<name>/<SHA-1>.crl    a CRL, named by the SHA-1 of its issuer
//   keys/<SHA-1>/name            the container's exact name (cp1251); the
//                                folder is named by the SHA-1 of that name
//   keys/<SHA-1>/private.pem     the GOST private key, PKCS#8 PEM, mode 0600
//   keys/<SHA-1>/certificate.cer the certificate bound to the key (DER)
// Every file is written through a temporary file and a rename.
#pragma once

#include <string>

// The root folder (UTF-8 path, no trailing separator) of the machine or of
// the current user; empty when the user has no data folder, and then stores
// and key sets fail to open with ERROR_PATH_NOT_FOUND.
std::string CryptRootFolder(bool machine);

// The provider is installed: the gost engine loads and the test switch is
// off. The engine is loaded once per process, on the first call.
bool IsGostEngineAvailable();
