#include "lib/package/package_names.h"

#include <algorithm>

#include "lib/package/package_description_file.h"
#include "lib/package/tarvex_document.h"
#include "lib/package/tarvex_file_names.h"
#include "lib/package/xml_gpr_document.h"
#include "lib/package/xml_gpr_signature.h"

void CPackageNames::Tally::Enter(const std::string& key) {
  if (++counts_[key] == 2) ++clashes_;
}

void CPackageNames::Tally::Withdraw(const std::string& key) noexcept {
  const auto found = counts_.find(key);
  if (found == counts_.end()) return;
  if (--found->second == 1) {
    --clashes_;
  } else if (found->second == 0) {
    counts_.erase(found);
  }
}

void CPackageNames::Add(CTarvexDocument& document) {
  // Room for the new entry and for every other one to be listed once more.
  const size_t room = changed_.size() + entries_.size() + 1;
  if (changed_.capacity() < room) changed_.reserve(std::max(room, 2 * changed_.capacity()));
  Entry& entry = entries_[document.Node()];
  entry.document = &document;
  changed_.push_back(document.Node());
}

void CPackageNames::Remove(const CTarvexDocument& document) {
  const auto found = entries_.find(document.Node());
  if (found == entries_.end()) return;
  if (found->second.entered) Withdraw(found->second, true);
  entries_.erase(found);
}

void CPackageNames::Clear() noexcept {
  entries_.clear();
  changed_.clear();
  files_.Clear();
  codes_.Clear();
  signature_files_ = 0;
  by_original_name_.clear();
  description_entered_ = false;
}

void CPackageNames::Changed(const CXMLClass* node) noexcept {
  // A signature's owner is its document or the signature it countersigns.
  while (const auto* signature = dynamic_cast<const CXMLGprExtSignature*>(node)) {
    node = signature->Owner();
  }
  const auto found = entries_.find(node);
  if (found == entries_.end() || found->second.changed) return;
  found->second.changed = true;
  changed_.push_back(node);
}

int64_t CPackageNames::SignatureFiles() {
  CatchUp();
  return signature_files_;
}

bool CPackageNames::Clashes() {
  CatchUp();
  return files_.Clashes() || codes_.Clashes();
}

CTarvexDocument* CPackageNames::FindByOriginalName(const std::string& name) {
  CatchUp();
  const auto found = by_original_name_.find(name);
  return found == by_original_name_.end() ? nullptr : found->second.begin()->second;
}

void CPackageNames::CatchUp() {
  // Entered here rather than on Clear, which a failing open calls and
  // which therefore allocates nothing.
  if (!description_entered_) {
    files_.Enter(kPackageDescriptionFile);
    description_entered_ = true;
  }
  // A document that fails to tell its names stays listed, so that the next
  // question tries it again.
  while (!changed_.empty()) {
    const auto found = entries_.find(changed_.back());
    if (found != entries_.end() && found->second.changed) Retake(found->second);
    changed_.pop_back();
  }
}

void CPackageNames::Retake(Entry& entry) {
  CTarvexDocument& document = *entry.document;
  Entry taken;
  taken.document = &document;
  std::string content;
  // Raises for a document no longer bound, before its element is read.
  const bool named = document.PlannedFilename(content);
  CXMLGprExtDocument& node = *document.Node();
  if (named) {
    taken.files.push_back(content);
    ForEachSavedSignature(node.Signatures(), content,
                          [&](const std::string& name) { taken.files.push_back(name); });
  }
  taken.signature_files = SignatureFileCount(node.Signatures());
  taken.code = node.DocumentCode();
  taken.original_name = node.OriginalFileName();
  // The new is entered before the old goes, so that a failure leaves the
  // old in place; an original name kept stays where it is.
  const bool same_name = entry.entered && entry.original_name == taken.original_name;
  Enter(taken, !same_name);
  if (entry.entered) Withdraw(entry, !same_name);
  taken.entered = true;
  taken.changed = false;
  entry = std::move(taken);
}

void CPackageNames::Enter(const Entry& entry, bool with_name) {
  bool code = false;
  size_t files = 0;
  try {
    // An empty code is made when the description is written: it clashes
    // with none.
    if (!entry.code.empty()) {
      codes_.Enter(entry.code);
      code = true;
    }
    for (; files < entry.files.size(); ++files) files_.Enter(entry.files[files]);
    if (with_name) {
      const auto found = by_original_name_.find(entry.original_name);
      if (found != by_original_name_.end()) {
        found->second.emplace(entry.document->Serial(), entry.document);
      } else {
        by_original_name_.emplace(
            entry.original_name,
            std::map<uint64_t, CTarvexDocument*>{{entry.document->Serial(), entry.document}});
      }
    }
  } catch (...) {
    while (files > 0) files_.Withdraw(entry.files[--files]);
    if (code) codes_.Withdraw(entry.code);
    throw;
  }
  signature_files_ += entry.signature_files;
}

void CPackageNames::Withdraw(const Entry& entry, bool with_name) noexcept {
  if (!entry.code.empty()) codes_.Withdraw(entry.code);
  for (const std::string& file : entry.files) files_.Withdraw(file);
  signature_files_ -= entry.signature_files;
  if (!with_name) return;
  const auto found = by_original_name_.find(entry.original_name);
  if (found == by_original_name_.end()) return;
  found->second.erase(entry.document->Serial());
  if (found->second.empty()) by_original_name_.erase(found);
}
