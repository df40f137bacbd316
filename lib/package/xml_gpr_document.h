// "документ" elements of the transport description: type, content type,
// flags, identifier, file names and the document's signatures. The base
// family keeps content file names empty or of exactly 36 characters and
// plain signatures; the extended family takes any name and nested
// countersignatures.
#pragma once

#include <memory>
#include <string>

#include "lib/package/xml_gpr_signature.h"
#include "lib/xml/xml_class.h"
#include "lib/xml/xml_collection.h"

class CXMLGprDocument : public CXMLClass {
 public:
  static std::unique_ptr<CXMLGprDocument> Create();

  void WriteXML(CXMLTextWriter& writer) override;
  void ReadXML(CXMLTextReader& reader) override;
  virtual std::unique_ptr<CXMLGprSignatureCollection> CreateSignatureCollection();
  // Refuses a content file name the family cannot store; the argument is
  // "FileName".
  virtual void CheckFileName(const std::string& name);

  const std::string& DocumentType() const { return document_type_; }
  void SetDocumentType(const std::string& type);
  const std::string& DocumentTypeCode() const { return document_type_code_; }
  void SetDocumentTypeCode(const std::string& code);
  const std::string& ContentType() const { return content_type_; }
  void SetContentType(const std::string& type);
  bool Compressed() const { return compressed_; }
  void SetCompressed(bool compressed) { compressed_ = compressed; }
  bool Encrypted() const { return encrypted_; }
  void SetEncrypted(bool encrypted) { encrypted_ = encrypted; }
  // 32 characters; a new one is made when the element is written without.
  const std::string& DocumentCode() const { return document_code_; }
  void SetDocumentCode(const std::string& code);
  const std::string& OriginalFileName() const { return original_file_name_; }
  void SetOriginalFileName(const std::string& name) { original_file_name_ = name; }
  const std::string& FileName() const { return file_name_; }
  void SetFileName(const std::string& name);

  CXMLGprSignatureCollection& Signatures() { return *signatures_; }

 protected:
  CXMLGprDocument() = default;
  void Init();

 private:
  std::string document_type_;
  std::string document_type_code_;
  std::string content_type_;
  bool compressed_ = false;
  bool encrypted_ = false;
  std::string document_code_;
  std::string original_file_name_;
  std::string file_name_;
  std::unique_ptr<CXMLGprSignatureCollection> signatures_;
};

class CXMLGprDocumentCollection : public CXMLCollection {
 public:
  CXMLClass* CreateItem() override { return CXMLGprDocument::Create().release(); }
  std::string GetItemTag() override;

  CXMLGprDocument* Add() { return static_cast<CXMLGprDocument*>(CXMLCollection::Add()); }
  CXMLGprDocument* Item(int index) const {
    return static_cast<CXMLGprDocument*>(CXMLCollection::Item(index));
  }
};

class CXMLGprExtDocument : public CXMLGprDocument {
 public:
  static std::unique_ptr<CXMLGprExtDocument> Create();

  std::unique_ptr<CXMLGprSignatureCollection> CreateSignatureCollection() override;
  void CheckFileName(const std::string&) override {}

  CXMLGprExtSignatureCollection& Signatures() {
    return static_cast<CXMLGprExtSignatureCollection&>(CXMLGprDocument::Signatures());
  }

 protected:
  CXMLGprExtDocument() = default;
};

class CXMLGprExtDocumentCollection : public CXMLGprDocumentCollection {
 public:
  CXMLClass* CreateItem() override { return CXMLGprExtDocument::Create().release(); }

  CXMLGprExtDocument* Add() { return static_cast<CXMLGprExtDocument*>(CXMLCollection::Add()); }
  CXMLGprExtDocument* Item(int index) const {
    return static_cast<CXMLGprExtDocument*>(CXMLCollection::Item(index));
  }
};
