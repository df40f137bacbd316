#include "lib/crypto/crypt_object.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include <algorithm>
#include <barrier>
#include <cstring>
#include <set>
#include <thread>
#include <vector>

#include "lib/crypto/thread_buffer.h"
#include "tests/support/test_pki.h"

namespace {

// Counts the steps the base class drives.
class CountingObject : public CCryptObject {
 public:
  ~CountingObject() override { Detach(); }
  int attached = 0, added = 0, released = 0;

 protected:
  void OnAttach() override { ++attached; }
  void AddRef() override { ++added; }
  void Release() override { ++released; }
};

TEST(CryptObjectTest, SetHandleAttachesOnceAndReleasesWhatItReplaces) {
  int a = 0, b = 0;
  CountingObject object;
  object.SetHandle(&a);
  object.SetHandle(&a);  // the handle it holds: nothing happens
  EXPECT_EQ(1, object.attached);
  EXPECT_EQ(1, object.added);
  EXPECT_EQ(0, object.released);
  object.SetHandle(&b);
  EXPECT_EQ(&b, object.Handle());
  EXPECT_EQ(2, object.added);
  EXPECT_EQ(1, object.released);
  object.SetHandle(nullptr);
  EXPECT_EQ(2, object.released);
  EXPECT_EQ(2, object.attached);  // no attach for null
  object.Detach();
  EXPECT_EQ(2, object.released);
}

TEST(CryptCertificateTest, HoldsAReferenceOfItsOwnAndReadsLocalDates) {
  // Moscow has kept UTC+3 all year since 2014: the dates are three hours on.
  const char* saved = std::getenv("TZ");
  const std::string old_zone = saved ? saved : "";
  ::setenv("TZ", "Europe/Moscow", 1);
  ::tzset();
  PCCERT_CONTEXT signer = CertCreateCertificateContext(kMsgEncoding, Pki("signer.cer"));
  PCCERT_CONTEXT root = CertCreateCertificateContext(kMsgEncoding, Pki("root.cer"));
  {
    CCryptCertificate certificate(signer);
    CertFreeCertificateContext(signer);  // the caller lets go of its own reference
    ASSERT_EQ(signer, certificate.Context());
    EXPECT_EQ(Pki("signer.cer"), certificate.Context()->Encoded());
    EXPECT_DOUBLE_EQ(44197.125, certificate.GetNotBefore());  // 2021-01-01 00:00:00Z
    EXPECT_DOUBLE_EQ(54789.0 + (3 * 3600.0 - 1) / 86400.0, certificate.GetNotAfter());

    // Another context: the dates are read anew.
    certificate.SetHandle(root);
    EXPECT_DOUBLE_EQ(43831.125, certificate.GetNotBefore());  // 2020-01-01 00:00:00Z
  }
  // The object dropped only its own reference.
  EXPECT_EQ(Pki("root.cer"), root->Encoded());
  CertFreeCertificateContext(root);
  saved ? ::setenv("TZ", old_zone.c_str(), 1) : ::unsetenv("TZ");
  ::tzset();
}

TEST(ThreadBufferTest, OneBufferPerThreadReusedAfterTheThreadEnds) {
  uint8_t* mine = GetThreadBuffer();
  EXPECT_EQ(mine, GetThreadBuffer());

  constexpr int kThreads = 8;
  std::vector<uint8_t*> first(kThreads);
  std::barrier all(kThreads);
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([&, i] {
      uint8_t* buffer = GetThreadBuffer();
      std::memset(buffer, 'a' + i, ThreadBufferSize);
      all.arrive_and_wait();  // every thread holds its buffer at once
      first[i] = GetThreadBuffer() == buffer && buffer[ThreadBufferSize - 1] == 'a' + i &&
                         buffer[0] == 'a' + i
                     ? buffer
                     : nullptr;
    });
  }
  for (std::thread& thread : threads) thread.join();
  const std::set<uint8_t*> blocks(first.begin(), first.end());
  EXPECT_EQ(static_cast<size_t>(kThreads), blocks.size());
  EXPECT_EQ(0u, blocks.count(nullptr));
  EXPECT_EQ(0u, blocks.count(mine));

  // New threads, all alive at once, take over the blocks of the ended ones
  // with their old contents: the table does not grow.
  threads.clear();
  std::vector<uint8_t*> second(kThreads);
  std::vector<uint8_t> seen(kThreads);
  std::barrier again(kThreads);
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([&, i] {
      second[i] = GetThreadBuffer();
      seen[i] = second[i][ThreadBufferSize / 2];
      again.arrive_and_wait();
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(blocks, std::set<uint8_t*>(second.begin(), second.end()));
  for (int i = 0; i < kThreads; ++i) {
    const auto owner = std::find(first.begin(), first.end(), second[i]) - first.begin();
    EXPECT_EQ('a' + owner, seen[i]);
  }
}

}  // namespace
