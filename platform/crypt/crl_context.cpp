#include "platform/crypt/crl_context.h"

#include "platform/crypt/detail/asn1_parse.h"
#include "platform/crypt/detail/context_state.h"
#include "platform/kernel/error_codes.h"
#include "platform/kernel/last_error.h"

using crypt_detail::ContextAccess;

CrlContext::CrlContext(uint32_t encoding_type, std::string encoded, CrlInfo info)
    : encoding_type_(encoding_type),
      encoded_(std::move(encoded)),
      info_(std::move(info)),
      state_(std::make_unique<crypt_detail::ContextState>()) {}

CrlContext::~CrlContext() = default;

PCCRL_CONTEXT crypt_detail::ContextAccess::NewCrl(uint32_t encoding_type, std::string encoded,
                                                  CrlInfo info,
                                                  std::shared_ptr<StoreBackend> store) {
  auto* context = new CrlContext(encoding_type, std::move(encoded), std::move(info));
  context->state_->store = std::move(store);
  return context;
}

PCCRL_CONTEXT CertCreateCRLContext(uint32_t encoding_type, std::string_view encoded) {
  if ((encoding_type & X509_ASN_ENCODING) == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::string exact;
  CrlInfo info;
  if (uint32_t error = crypt_detail::ParseCrl(encoded, &exact, &info)) {
    SetLastError(error);
    return nullptr;
  }
  return ContextAccess::NewCrl(encoding_type, std::move(exact), std::move(info), nullptr);
}

PCCRL_CONTEXT CertDuplicateCRLContext(PCCRL_CONTEXT context) {
  if (context != nullptr) ContextAccess::State(context).references.fetch_add(1);
  return context;
}

bool CertFreeCRLContext(PCCRL_CONTEXT context) {
  if (context != nullptr && ContextAccess::State(context).references.fetch_sub(1) == 1) {
    ContextAccess::Delete(context);
  }
  return true;
}
