// CPackageNames: what the checks of a package's files ask, kept with its
// documents so that a check after one change costs the same whatever the
// package's size: how many files take each name a save would write, how
// many documents carry each document code, the signature files in all,
// and the documents by original name.
//
// A document says when it may have changed its code, a name, its type or
// its signatures (`Changed`); what it holds is taken again at the next
// question, so a question costs only what the documents changed since the
// last one hold. The index tells only whether something clashes: the
// message naming the clash still comes from the walk of every name
// (tarvex_file_names.h), which runs then, and before every save.
//
// Every change of the index is whole or, raising, leaves it as it was, so
// that a failed allocation never leaves a count that a later question
// pays for with the walk of every name.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

class CTarvexDocument;
class CXMLClass;

class CPackageNames {
 public:
  // A document that joined the package, bound to its element; it goes
  // after every document held.
  void Add(CTarvexDocument& document);
  // A document about to leave the package.
  void Remove(const CTarvexDocument& document);
  void Clear() noexcept;
  // `node` is the element of a document of the package or of one of its
  // signatures at any depth; an element of no document held is ignored.
  // Allocates nothing: a document tells of a change it has made already.
  void Changed(const CXMLClass* node) noexcept;

  // Every signature and countersignature of the documents.
  int64_t SignatureFiles();
  // True when two files a save would write share a name, or two documents
  // a document code.
  bool Clashes();
  // The first document in the package's order whose original file name is
  // exactly `name`; null when none.
  CTarvexDocument* FindByOriginalName(const std::string& name);

 private:
  // How many times each key is taken, and how many keys are taken twice.
  class Tally {
   public:
    // Raising, leaves the counts as they were.
    void Enter(const std::string& key);
    // `key` was entered.
    void Withdraw(const std::string& key) noexcept;
    bool Clashes() const { return clashes_ > 0; }
    void Clear() noexcept {
      counts_.clear();
      clashes_ = 0;
    }

   private:
    std::unordered_map<std::string, int> counts_;
    int64_t clashes_ = 0;
  };

  // What one document has entered into the tallies.
  struct Entry {
    CTarvexDocument* document = nullptr;
    std::string code;
    std::string original_name;
    // Its content file and signature files as a save would name them;
    // none while its content file cannot be named yet.
    std::vector<std::string> files;
    int64_t signature_files = 0;
    bool entered = false;
    bool changed = true;
  };

  // Takes again what the documents changed since the last question hold.
  void CatchUp();
  void Retake(Entry& entry);
  // What `entry` holds, its original name only `with_name`: Enter takes
  // all of it or, raising, none.
  void Enter(const Entry& entry, bool with_name);
  void Withdraw(const Entry& entry, bool with_name) noexcept;

  // By the document's element.
  std::unordered_map<const CXMLClass*, Entry> entries_;
  // The elements to take again. Its capacity leaves room for every entry
  // not listed, so that listing one in Changed never allocates.
  std::vector<const CXMLClass*> changed_;
  Tally files_;
  Tally codes_;
  int64_t signature_files_ = 0;
  bool description_entered_ = false;
  // The documents of each original name by their serials, which follow
  // the package's order: a document joins after every one held, and none
  // moves.
  std::unordered_map<std::string, std::map<uint64_t, CTarvexDocument*>> by_original_name_;
};
