// The library's COM objects in this test program: its own server over the
// QimTarvexLib type library (the program carries it as its TYPELIB
// resource) with the package class, private environment roots, the test
// PKI and keys put in with the key command.
#pragma once

#include <stdlib.h>

#include <memory>

#include "include/tarvex_guids.h"
#include "include/tarvex_interfaces.h"
#include "lib/com/com_server.h"
#include "lib/com/exports.h"
#include "lib/com/tarvex_intf_tool.h"
#include "lib/crypto/cryptoapi20_tool.h"
#include "lib/package/tarvex_key.h"
#include "platform/com/class_factory.h"
#include "tests/lib/com/com_client.h"
#include "tests/lib/crypto/signature_test_support.h"

class ComObjectsTest : public SignatureTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A new package object, made by its class factory.
  ComRef<ITarvex> NewTarvex();
  // A record of the PKI certificate `name` whose key is in a container of
  // the current user, as the catalogue makes it.
  std::unique_ptr<CTarvexKey> RecordOf(const std::string& name);
  // That record as a key object of the library.
  ComRef<ITarvexKey> KeyOf(const std::string& name);

  TempDir tmp_;
  TempDir registry_;
  TempDir out_;
  std::unique_ptr<CComServer> server_;
};
