// "подпись" elements of the transport description. The base family keeps
// signature file names of exactly 36 characters; the extended family takes
// any name, nests countersignatures inside their signature and links every
// element to its owner.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "lib/xml/xml_class.h"
#include "lib/xml/xml_collection.h"

class CXMLGprSignature : public CXMLClass {
 public:
  CXMLGprSignature() = default;

  void WriteXML(CXMLTextWriter& writer) override;
  void ReadXML(CXMLTextReader& reader) override;
  // Refuses a name the family cannot store; the argument is "FileName".
  virtual void CheckFileName(const std::string& name);

  const std::string& FileName() const { return file_name_; }
  void SetFileName(const std::string& name);
  // Internal code of the tables; 0 = not set, which cannot be written.
  uint8_t Role() const { return role_; }
  void SetRole(uint8_t code) { role_ = code; }

 protected:
  void WriteAttributes(CXMLTextWriter& writer);
  // Reads имяФайла through `SetFileName`; returns the role word, turned into
  // the code only once the element is read (`TakeRole`).
  std::string ReadAttributes(CXMLTextReader& reader);
  void TakeRole(const std::string& word);

 private:
  std::string file_name_;
  uint8_t role_ = 0;
};

class CXMLGprSignatureCollection : public CXMLCollection {
 public:
  CXMLClass* CreateItem() override { return new CXMLGprSignature(); }
  std::string GetItemTag() override;

  CXMLGprSignature* Add() { return static_cast<CXMLGprSignature*>(CXMLCollection::Add()); }
  CXMLGprSignature* Item(int index) const {
    return static_cast<CXMLGprSignature*>(CXMLCollection::Item(index));
  }
};

class CXMLGprExtSignatureCollection;

class CXMLGprExtSignature : public CXMLGprSignature {
 public:
  // Countersignatures nest at most this deep below a document's signature:
  // every layer walks the tree recursively, and a hostile file must not be
  // able to exhaust the stack.
  static constexpr int kMaxResignDepth = 64;

  // `depth` is 0 for a signature of a document and one more for each level
  // of countersignature; beyond `kMaxResignDepth` it is refused.
  static std::unique_ptr<CXMLGprExtSignature> Create(int depth);

  void WriteXML(CXMLTextWriter& writer) override;
  void ReadXML(CXMLTextReader& reader) override;
  void CheckFileName(const std::string&) override {}
  virtual std::unique_ptr<CXMLGprExtSignatureCollection> CreateResignCollection();

  int Depth() const { return depth_; }
  // The document or signature whose list holds this element; set by the
  // package layer, never written.
  CXMLClass* Owner() const { return owner_; }
  void SetOwner(CXMLClass* owner) { owner_ = owner; }
  CXMLGprExtSignatureCollection& Resigns() { return *resigns_; }

 protected:
  explicit CXMLGprExtSignature(int depth) : depth_(depth) {}
  void Init();

 private:
  // Past this element, as the element's level requires: a countersignature
  // stops on an end tag too, so that its parent sees its own end.
  void MoveOn(CXMLTextReader& reader);

  const int depth_;
  CXMLClass* owner_ = nullptr;
  std::unique_ptr<CXMLGprExtSignatureCollection> resigns_;
};

class CXMLGprExtSignatureCollection : public CXMLGprSignatureCollection {
 public:
  // Holds the signatures of a document (depth 0) or the countersignatures
  // of a signature at depth - 1.
  explicit CXMLGprExtSignatureCollection(int depth) : depth_(depth) {}

  CXMLClass* CreateItem() override { return CXMLGprExtSignature::Create(depth_).release(); }

  CXMLGprExtSignature* Add() { return static_cast<CXMLGprExtSignature*>(CXMLCollection::Add()); }
  CXMLGprExtSignature* Item(int index) const {
    return static_cast<CXMLGprExtSignature*>(CXMLCollection::Item(index));
  }

 private:
  const int depth_;
};
