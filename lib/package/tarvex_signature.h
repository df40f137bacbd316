// CTarvexSignature: one signature of a package document, with its bytes and
// its signer, bound to its "подпись" element of the transport description.
// Its countersignatures (signatures over its bytes) are signatures of their
// own, bound to the elements nested in its element, so the objects form the
// same tree as the description.
//
// A signature file is named after its owner's file ("%s_%d.p7s" with the
// owner's file name and the 1-based position among the owner's signatures)
// and lies at the root of the work folder.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lib/foundation/str_array.h"
#include "lib/package/item_serial.h"
#include "lib/xml/custom_doc.h"

class CTarvexKey;
class CTarvexPackageConfig;
class CXMLGprExtSignature;

class CTarvexSignature : public CCustomDoc {
 public:
  // Unbound, with an empty configuration and a new key record; whether the
  // GOST provider is installed is asked now, once.
  CTarvexSignature();
  ~CTarvexSignature() override;

  // Closes, then binds a copy of `config` (a CTarvexPackageConfig whose
  // node is a CXMLGprExtSignature), reads the element's signature file and
  // opens the nested countersignatures. A signer that cannot be read from
  // the file is only traced.
  bool Open(void* config) override;
  bool Open(CTarvexPackageConfig* config) { return Open(static_cast<void*>(config)); }
  // Drops the bytes, the binding and the countersignature objects; their
  // elements stay in the description, the key and the configuration stay.
  bool Close() override;
  bool IsOpened() override { return node_ != nullptr; }
  // Binds a copy of `config` without reading anything; refused while opened.
  bool New(void* config) override;
  bool New(CTarvexPackageConfig* config) { return New(static_cast<void*>(config)); }
  // Writes the bytes under the computed file name, then every
  // countersignature.
  bool Save() override;

  // Computes the file name from the owner, stores it in the element and
  // returns it.
  std::string GetFileName();
  void SetFileName(const std::string& name);

  int GetResignCount() const { return static_cast<int>(resigns_.size()); }
  // The caller checks the index.
  CTarvexSignature* GetResign(int index) const { return resigns_[index].get(); }
  // Countersigns these bytes, detached, with the key's certificate context.
  void Resign(CTarvexKey* key);
  // Adds countersignature bytes with a signer role code.
  void AddResign(const std::string& signature, uint8_t role);
  // Frees the countersignatures and removes their elements.
  void ClearResignatures();
  // Checks every direct countersignature against these bytes; the first
  // failure is raised.
  void CheckResignatures(bool download, bool check_revocation);

  const std::string& Content() const { return content_; }
  void SetContent(const std::string& bytes) { content_ = bytes; }
  // The item's identity, never reused (item_serial.h).
  uint64_t Serial() const { return serial_; }
  CXMLGprExtSignature* Node() const { return node_; }
  CTarvexKey& Key() const { return *key_; }
  const CTarvexPackageConfig& Config() const { return *config_; }

 private:
  // Binds a copy of the configuration and its node.
  void Bind(const CTarvexPackageConfig& config);
  void CheckOpened() const;
  void OpenBound();
  // Adds the bytes as a new countersignature, refusing a signer already
  // there when the provider is installed.
  void AddResignBytes(const std::string& signature, uint8_t role);
  // The name itself; only a bare file name is taken, so a description
  // cannot point outside the package's folder.
  static const std::string& CheckedName(const std::string& file_name);

  const uint64_t serial_ = NewItemSerial();
  CXMLGprExtSignature* node_ = nullptr;
  std::vector<std::unique_ptr<CTarvexSignature>> resigns_;
  std::string content_;
  std::unique_ptr<CTarvexKey> key_;
  std::unique_ptr<CTarvexPackageConfig> config_;
  const bool cryptography_ok_;
  // Scratch list of the signature checks.
  CStrArray check_list_;
};
