#include "lib/xml/custom_doc.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/foundation/errors.h"

namespace {

class CPlainDoc : public CCustomDoc {
 public:
  void* OpenedFrom() const { return Source; }
};

// Records its closes in `log`; closing fails when `refuse` is set.
class CLoggingDoc : public CCustomDoc {
 public:
  explicit CLoggingDoc(std::vector<std::string>& log) : Log(log) {}
  ~CLoggingDoc() override { CloseOnDestroy(); }
  bool Close() override {
    return Safe([&] {
      Log.push_back("logging");
      if (Raise) RaiseError("не закрыт");
      return !Refuse;
    });
  }
  void* OpenedFrom() const { return Source; }

  std::vector<std::string>& Log;
  bool Refuse = false;
  bool Raise = false;
};

class CDerivedDoc : public CLoggingDoc {
 public:
  using CLoggingDoc::CLoggingDoc;
  ~CDerivedDoc() override { CloseOnDestroy(); }
  bool Close() override {
    Log.push_back("derived");
    return CLoggingDoc::Close();
  }
};

}  // namespace

TEST(CustomDoc, DefaultsNeverOpenAndCannotSaveUnderANewName) {
  CPlainDoc doc;
  int source = 0;
  EXPECT_FALSE(doc.IsOpened());
  EXPECT_TRUE(doc.Close());
  EXPECT_TRUE(doc.Save());
  EXPECT_FALSE(doc.SaveAs("a.xml"));
  EXPECT_TRUE(doc.New(&source));
  EXPECT_EQ(doc.OpenedFrom(), nullptr);
  EXPECT_TRUE(doc.Open(&source));
  EXPECT_EQ(doc.OpenedFrom(), &source);
  EXPECT_FALSE(doc.IsOpened());
}

TEST(CustomDoc, OpenAndNewCloseFirstAndFollowItsResult) {
  std::vector<std::string> log;
  CLoggingDoc doc(log);
  int first = 0, second = 0;
  EXPECT_TRUE(doc.Open(&first));
  EXPECT_EQ(doc.OpenedFrom(), &first);
  doc.Refuse = true;
  EXPECT_FALSE(doc.Open(&second));
  EXPECT_EQ(doc.OpenedFrom(), &first);
  EXPECT_FALSE(doc.New(&second));
  EXPECT_EQ(log.size(), 3u);
  doc.Refuse = false;
}

TEST(CustomDoc, DestructionRunsTheDescendantsClose) {
  std::vector<std::string> log;
  // As an owning list destroys its objects: through the root class.
  CBaseClass* doc = new CDerivedDoc(log);
  delete doc;
  // Each class that overrides Close closes from its own destructor.
  EXPECT_EQ(log, (std::vector<std::string>{"derived", "logging", "logging"}));
}

TEST(CustomDoc, FailingCloseDoesNotLeaveTheDestructor) {
  std::vector<std::string> log;
  auto* doc = new CLoggingDoc(log);
  doc->Raise = true;
  EXPECT_NO_THROW(delete doc);
  EXPECT_EQ(log, std::vector<std::string>{"logging"});
}
