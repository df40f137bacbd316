#include "lib/crypto/crypt_tool.h"

#include "lib/crypto/crypt_object.h"
#include "lib/crypto/signing_time.h"
#include "lib/crypto/thread_buffer.h"
#include "lib/foundation/errors.h"
#include "lib/foundation/value_check_tool.h"
#include "platform/crypt/crypt_encode.h"
#include "platform/crypt/crypt_msg.h"

std::string CCryptTool::SignMessage(const CCryptCertificate* certificate, const std::string& data,
                                    int mode) {
  CValueCheckTool::CheckAssigned(certificate, "certificate");
  // The engine's hash of no bytes is not the standard's value: a signature
  // over nothing would not verify elsewhere.
  CValueCheckTool::CheckNotEmpty(data, "data");

  // The time goes into the thread's scratch buffer: no allocation for it.
  uint8_t* buffer = GetThreadBuffer();
  uint32_t encoded = ThreadBufferSize;
  if (!CryptEncodeObject(kMsgEncoding, CurrentUtcFileTime(), buffer, &encoded)) {
    RaiseLastOSError();
  }

  CryptSignMessagePara para;
  para.MsgEncodingType = kMsgEncoding;
  para.SigningCert = certificate->Context();
  para.HashAlgorithm.ObjId = kOidGostR3411_94;
  para.MsgCert = {para.SigningCert};
  para.AuthAttr = {CryptAttribute{kOidPkcs9SigningTime,
                                  {std::string(reinterpret_cast<const char*>(buffer), encoded)}}};

  // One call into a preset result instead of a size query: this is what
  // bounds a package signature to 64 KB.
  std::string signature(kMaxSignatureSize, '\0');
  uint32_t size = kMaxSignatureSize;
  if (!CryptSignMessage(para, mode != 1, data, reinterpret_cast<uint8_t*>(signature.data()),
                        &size)) {
    RaiseLastOSError();
  }
  signature.resize(size);
  return signature;
}
