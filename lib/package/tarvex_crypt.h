// CTarvexCrypt: the catalogue of keys the library offers its client: the
// personal certificates with private keys ("MY"), the certificates of other
// parties ("addressbook") and the containers of the GOST provider. It also
// imports certificates and chains, checks and makes detached signatures and
// binds a personal certificate to its container.
//
// The catalogue is built by Init and then answered from memory; each Init
// frees the records of the previous one and their certificate contexts.
// Operations that need the provider fail until an Init found it.
#pragma once

#include <memory>
#include <string>

#include "lib/foundation/base_class.h"
#include "lib/foundation/str_array.h"
#include "platform/crypt/cert_context.h"

class CCryptoAPI20Tool;
class CTarvexKey;

class CTarvexCrypt : public CBaseClass {
 public:
  CTarvexCrypt();
  ~CTarvexCrypt() override;

  // Rebuilds the catalogue from the stores of the current user
  // (`use_user_storage`) or of the local machine. False when the handler
  // lets a failure go.
  bool Init(bool use_user_storage);

  int GetPrivateKeyCount() const { return private_keys_.Count(); }
  int GetOpponentKeyCount() const { return opponent_keys_.Count(); }
  int GetContainerCount() const { return containers_.Count(); }

  // The records stay the catalogue's, valid until the next Init.
  CTarvexKey* GetPrivateKey(int index);
  CTarvexKey* GetOpponentKey(int index);
  std::string GetContainer(int index);
  // The thumbprint must match exactly: upper-case hex digits.
  CTarvexKey* GetPrivateKeyBySha1(const std::string& sha1);
  CTarvexKey* GetOpponentKeyBySha1(const std::string& sha1);

  // Each certificate of a PKCS #7 bundle (or one certificate) goes into the
  // system store that suits it.
  void ImportP7BChain(const std::string& p7b);
  // Adds the certificate (PEM, base64 or DER) to "MY" bound to the
  // container, or to "addressbook", and fills `key` from it; `key` then
  // owns a context of its own. Init does not run: the catalogue keeps its
  // lists until the next one.
  void ImportPrivateCertificate(const std::string& body, const std::string& container,
                                CTarvexKey* key);
  void ImportOpponentCertificate(const std::string& body, CTarvexKey* key);

  // Verifies the detached signature and the signer's chain at the current
  // time, downloading what is missing and testing revocation, in the stores
  // of the location Init chose. Raises the verification's own error.
  void CheckSignature(const std::string& content, const std::string& signature);
  // The provider test, run anew.
  static bool IsCryptographyOk();

  // A detached signature of the file by the personal key of that thumbprint
  // (any case), written to `signature_file`, or next to the file with
  // ".p7s" added when that is empty.
  void SignFile(const std::string& file_name, const std::string& sha1,
                const std::string& signature_file);

  // Binds the "MY" certificate of the record's thumbprint to the record's
  // container; with `caching` the key context is kept with the certificate.
  void LinkPrivateKey(CTarvexKey* key, bool caching);
  // Names the record's container in its certificate's key-provider property.
  void SetPrivateKeyCaching(CTarvexKey* key, bool caching);

 private:
  void CheckProvider(const std::string& operation) const;
  CCryptoAPI20Tool& Tool(const std::string& operation) const;
  // Replaces `list` with a record for each certificate of the store kind.
  void LoadKeys(int kind, CStrArray& list);
  // Fills `key` from `context`, which the record takes over whatever happens.
  static void FillKey(CCryptoAPI20Tool& tool, CTarvexKey& key, PCCERT_CONTEXT context);
  CTarvexKey* KeyAt(CStrArray& list, int index, const std::string& operation,
                    const std::string& name);
  CTarvexKey* KeyBySha1(CStrArray& list, const std::string& sha1, const std::string& operation,
                        const std::string& missing);
  static void Import(CCryptoAPI20Tool& tool, int kind, const std::string& body,
                     const std::string& container, CTarvexKey* key);

  std::unique_ptr<CCryptoAPI20Tool> tool_;
  CStrArray private_keys_;
  CStrArray opponent_keys_;
  CStrArray containers_;
  bool cryptography_installed_ = false;
};
