#include "lib/package/package_digests.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "lib/package/parallel_work.h"
#include "lib/package/tarvex_document.h"
#include "platform/crypt/crypt_msg.h"

void CPackageDigests::Prepare() const {
  std::vector<CTarvexDocument*> wanted;
  std::vector<std::vector<std::string_view>> signatures;
  std::vector<size_t> costs;
  for (const auto& document : documents_) {
    std::vector<std::string_view> bytes;
    if (!document->DigestsWanted(bytes)) continue;
    wanted.push_back(document.get());
    signatures.push_back(std::move(bytes));
    costs.push_back(document->Content().size());
  }
  if (wanted.empty()) return;
  // Hashing only reads the contents and the signatures: no memory is taken
  // but the digests.
  std::vector<ContentDigests> made(wanted.size());
  RunInParallel(costs, SIZE_MAX, [&](size_t i) {
    for (const std::string_view signature : signatures[i]) {
      for (const std::string& oid : CryptSignerDigestAlgorithms(signature)) {
        if (made[i].count(oid) != 0) continue;
        std::string digest;
        // An algorithm without a digest leaves its checks to hash as before.
        if (CryptDigestContent(oid, wanted[i]->Content(), &digest)) {
          made[i][oid] = std::move(digest);
        }
      }
    }
  });
  for (size_t i = 0; i < wanted.size(); ++i) wanted[i]->SetDigests(std::move(made[i]));
}
