#include "lib/package/package_names.h"

#include "lib/package/tarvex_doc.h"
#include "lib/package/tarvex_document.h"
#include "lib/package/tarvex_file_names.h"
#include "lib/package/xml_gpr_document.h"
#include "lib/package/xml_gpr_signature.h"

void CPackageNames::Tally::Enter(const std::string& key) {
  if (++counts_[key] == 2) ++clashes_;
}

void CPackageNames::Tally::Withdraw(const std::string& key) {
  const auto found = counts_.find(key);
  if (--found->second == 1) {
    --clashes_;
  } else if (found->second == 0) {
    counts_.erase(found);
  }
}

void CPackageNames::Add(CTarvexDocument& document) {
  Entry& entry = entries_[document.Node()];
  entry.document = &document;
  changed_.push_back(document.Node());
}

void CPackageNames::Remove(const CTarvexDocument& document) {
  const auto found = entries_.find(document.Node());
  if (found == entries_.end()) return;
  Withdraw(found->second);
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

void CPackageNames::Changed(const CXMLClass* node) {
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
    files_.Enter(CTarvexDoc::kDescriptionFile);
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
  std::vector<std::string> files;
  std::string content;
  // Raises for a document no longer bound, before its element is read.
  const bool named = document.PlannedFilename(content);
  CXMLGprExtDocument& node = *document.Node();
  if (named) {
    files.push_back(content);
    ForEachSavedSignature(node.Signatures(), content,
                          [&](const std::string& name) { files.push_back(name); });
  }
  const int64_t signature_files = SignatureFileCount(node.Signatures());
  Withdraw(entry);
  entry.code = node.DocumentCode();
  entry.original_name = node.OriginalFileName();
  entry.files = std::move(files);
  entry.signature_files = signature_files;
  Enter(entry);
  entry.changed = false;
}

void CPackageNames::Enter(Entry& entry) {
  // An empty code is made when the description is written: it clashes
  // with none.
  if (!entry.code.empty()) codes_.Enter(entry.code);
  for (const std::string& file : entry.files) files_.Enter(file);
  signature_files_ += entry.signature_files;
  by_original_name_[entry.original_name].emplace(entry.document->Serial(), entry.document);
  entry.entered = true;
}

void CPackageNames::Withdraw(Entry& entry) {
  if (!entry.entered) return;
  entry.entered = false;
  if (!entry.code.empty()) codes_.Withdraw(entry.code);
  for (const std::string& file : entry.files) files_.Withdraw(file);
  signature_files_ -= entry.signature_files;
  const auto found = by_original_name_.find(entry.original_name);
  found->second.erase(entry.document->Serial());
  if (found->second.empty()) by_original_name_.erase(found);
}
