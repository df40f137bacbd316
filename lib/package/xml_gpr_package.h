// The root "ТрансИнф" of the transport description "packageDescription.xml":
// the flow and transaction, the three parties and the documents. Make one
// with `Create` of the family wanted: the parties and the document list come
// from virtual factories, which a constructor could not reach.
#pragma once

#include <memory>
#include <string>

#include "lib/package/xml_gpr_document.h"
#include "lib/package/xml_gpr_subject.h"
#include "lib/xml/xml_class.h"

class CXMLGprPackage : public CXMLClass {
 public:
  static std::unique_ptr<CXMLGprPackage> Create();

  // Writes the whole document, declaration included.
  void WriteXML(CXMLTextWriter& writer) override;
  // The whole document's text, as `SaveToFile` would store it.
  std::string SaveToText();
  // Reads from the first "ТрансИнф" on; the header is taken as it stands,
  // and documents are appended to those held.
  void ReadXML(CXMLTextReader& reader) override;
  virtual std::unique_ptr<CXMLGprSubject> CreateSubject(const std::string& element_name);
  virtual std::unique_ptr<CXMLGprDocumentCollection> CreateDocumentCollection();

  const std::string& ThreadType() const { return thread_type_; }
  void SetThreadType(const std::string& type);
  const std::string& ThreadTypeCode() const { return thread_type_code_; }
  void SetThreadTypeCode(const std::string& code);
  const std::string& TransactType() const { return transact_type_; }
  void SetTransactType(const std::string& type);
  const std::string& TransactTypeCode() const { return transact_type_code_; }
  void SetTransactTypeCode(const std::string& code);
  // 32 lower-case hex digits; a new one is made when the root is written
  // without.
  const std::string& FlowIdentifier() const { return flow_identifier_; }
  void SetFlowIdentifier(const std::string& identifier) { flow_identifier_ = identifier; }
  const std::string& ProgVersion() const { return prog_version_; }
  void SetProgVersion(const std::string& version);

  CXMLGprSubject& Sender() { return *sender_; }
  // Written only when its identifier is set.
  CXMLGprSubject& SpecialOperator() { return *special_operator_; }
  CXMLGprSubject& Receiver() { return *receiver_; }
  CXMLGprDocumentCollection& Documents() { return *documents_; }

 protected:
  CXMLGprPackage() = default;
  void Init();

 private:
  std::string thread_type_;
  std::string thread_type_code_;
  std::string transact_type_;
  std::string transact_type_code_;
  std::string flow_identifier_;
  std::string prog_version_;
  std::unique_ptr<CXMLGprSubject> sender_;
  std::unique_ptr<CXMLGprSubject> special_operator_;
  std::unique_ptr<CXMLGprSubject> receiver_;
  std::unique_ptr<CXMLGprDocumentCollection> documents_;
};

// The family the package library uses: documents with nested
// countersignatures and file names of any length.
class CXMLGprExtPackage : public CXMLGprPackage {
 public:
  static std::unique_ptr<CXMLGprExtPackage> Create();

  std::unique_ptr<CXMLGprDocumentCollection> CreateDocumentCollection() override;

  CXMLGprExtDocumentCollection& Documents() {
    return static_cast<CXMLGprExtDocumentCollection&>(CXMLGprPackage::Documents());
  }

 protected:
  CXMLGprExtPackage() = default;
};
