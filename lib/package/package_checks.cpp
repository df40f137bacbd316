#include "lib/package/package_checks.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "lib/package/parallel_work.h"
#include "lib/package/tarvex_document.h"
#include "platform/crypt/crypt_msg.h"

namespace {

// The digests of `content` by every algorithm the signatures name, and the
// signatures whose signed attributes verify. What cannot be found here is
// left for the checks to do as they would.
PreparedChecks PrepareChecks(std::string_view content,
                             const std::vector<std::string_view>& signatures) {
  PreparedChecks prepared;
  for (const std::string_view signature : signatures) {
    for (const std::string& oid : CryptSignerDigestAlgorithms(signature)) {
      std::string digest;
      if (prepared.digests.count(oid) == 0 && CryptDigestContent(oid, content, &digest)) {
        prepared.digests[oid] = std::move(digest);
      }
    }
    // The checks look at the first signer only.
    std::string certificate;
    if (CryptVerifySignerAttributes(signature, 0, &certificate)) {
      prepared.signers.emplace(std::string(signature), 0, std::move(certificate));
    }
  }
  return prepared;
}

}  // namespace

void CPackageChecks::Prepare() const {
  std::vector<CTarvexDocument*> wanted;
  std::vector<std::vector<std::string_view>> signatures;
  std::vector<size_t> costs;
  for (const auto& document : documents_) {
    std::vector<std::string_view> bytes;
    if (!document->ChecksWanted(bytes)) continue;
    wanted.push_back(document.get());
    signatures.push_back(std::move(bytes));
    costs.push_back(document->Content().size());
  }
  if (wanted.empty()) return;
  // The threads only read the contents and the signatures: no memory is
  // taken but what they find.
  std::vector<PreparedChecks> made(wanted.size());
  RunInParallel(costs, SIZE_MAX,
                [&](size_t i) { made[i] = PrepareChecks(wanted[i]->Content(), signatures[i]); });
  for (size_t i = 0; i < wanted.size(); ++i) wanted[i]->SetPreparedChecks(std::move(made[i]));
}
