// Error information: an object describing the last failure, kept per thread.
#pragma once

#include <cstdint>

#include "platform/com/bstr.h"
#include "platform/com/com_export.h"
#include "platform/com/unknwn.h"

struct IErrorInfo : IUnknown {
  static constexpr IID kIid = {
      0x1CF2B120, 0x547D, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};

  virtual HRESULT GetGUID(GUID* guid) = 0;
  virtual HRESULT GetSource(BSTR* source) = 0;
  virtual HRESULT GetDescription(BSTR* description) = 0;
  virtual HRESULT GetHelpFile(BSTR* help_file) = 0;
  virtual HRESULT GetHelpContext(uint32_t* help_context) = 0;

 protected:
  ~IErrorInfo() = default;
};

struct ICreateErrorInfo : IUnknown {
  static constexpr IID kIid = {
      0x22F03340, 0x547D, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};

  virtual HRESULT SetGUID(const GUID& guid) = 0;
  virtual HRESULT SetSource(const OLECHAR* source) = 0;
  virtual HRESULT SetDescription(const OLECHAR* description) = 0;
  virtual HRESULT SetHelpFile(const OLECHAR* help_file) = 0;
  virtual HRESULT SetHelpContext(uint32_t help_context) = 0;

 protected:
  ~ICreateErrorInfo() = default;
};

struct ISupportErrorInfo : IUnknown {
  static constexpr IID kIid = {
      0xDF0B3D60, 0x548F, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};

  virtual HRESULT InterfaceSupportsErrorInfo(const IID& iid) = 0;

 protected:
  ~ISupportErrorInfo() = default;
};

COMAPI HRESULT CreateErrorInfo(ICreateErrorInfo** info);
// Replaces the thread's error info (null clears it); takes a reference.
COMAPI HRESULT SetErrorInfo(uint32_t reserved, IErrorInfo* info);
// Hands the thread's error info to the caller and clears it; S_FALSE and
// null when there is none.
COMAPI HRESULT GetErrorInfo(uint32_t reserved, IErrorInfo** info);
