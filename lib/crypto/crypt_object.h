// CCryptObject, the holder of one CryptoAPI handle with overridable attach,
// add-reference and release steps, and CCryptCertificate, which holds a
// reference of its own to a certificate context.
#pragma once

#include "platform/crypt/cert_context.h"

class CCryptObject {
 public:
  virtual ~CCryptObject() = default;
  CCryptObject(const CCryptObject&) = delete;
  CCryptObject& operator=(const CCryptObject&) = delete;

  // Detaches the held handle, then holds `handle` (OnAttach, AddRef); the
  // handle already held changes nothing.
  void SetHandle(const void* handle);
  // Releases the held handle and holds none.
  void Detach();
  const void* Handle() const { return handle_; }

 protected:
  CCryptObject() = default;

  virtual void OnAttach() {}
  virtual void AddRef() {}
  // A class that overrides Release detaches in its own destructor: the
  // base destructor cannot reach the override.
  virtual void Release() = 0;

 private:
  const void* handle_ = nullptr;
};

class CCryptCertificate : public CCryptObject {
 public:
  // Takes a reference of its own; the caller keeps its reference.
  explicit CCryptCertificate(PCCERT_CONTEXT context);
  ~CCryptCertificate() override;

  PCCERT_CONTEXT Context() const { return static_cast<PCCERT_CONTEXT>(Handle()); }
  // The validity bounds as OLE automation dates in local time, as every
  // date of the chain checks is, read once.
  double GetNotBefore();
  double GetNotAfter();

 protected:
  void AddRef() override;
  void Release() override;

 private:
  double not_before_ = 0;
  double not_after_ = 0;
};
