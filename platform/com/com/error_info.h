#pragma once
// Error information: a COM method that fails returns a failure HRESULT and
// leaves an error object on its thread describing what went wrong; the caller
// picks it up with GetErrorInfo (which clears it). ISupportErrorInfo says for
// which interfaces an object does so.
//
// In a server:   return com::ReportError(CTL_E_OVERFLOW, _Class1::iid, u"Velmadd.Class1", u"Overflow");
// In a client:   hr = obj->Method(...); if (FAILED(hr)) throw com::ComError::FromLastCall(hr);
// Around a method body (exceptions in, HRESULT plus error information out):
//   return com::GuardCall(_Class1::iid, u"Velmadd.Class1", [&] { ...; return S_OK; });
#include <stdexcept>
#include <string>
#include <string_view>

#include "com/bstr.h"
#include "com/com_ptr.h"
#include "com/unknown.h"

namespace com {

class IErrorInfo : public IUnknown {
 public:
  static constexpr IID iid = MakeGuid("{1CF2B120-547D-101B-8E65-08002B2BD119}");
  using Base = IUnknown;
  virtual HRESULT GetGUID(GUID* guid) = 0;
  virtual HRESULT GetSource(BSTR* source) = 0;
  virtual HRESULT GetDescription(BSTR* description) = 0;
  virtual HRESULT GetHelpFile(BSTR* help_file) = 0;
  virtual HRESULT GetHelpContext(DWORD* help_context) = 0;

 protected:
  ~IErrorInfo() = default;
};

class ICreateErrorInfo : public IUnknown {
 public:
  static constexpr IID iid = MakeGuid("{22F03340-547D-101B-8E65-08002B2BD119}");
  using Base = IUnknown;
  virtual HRESULT SetGUID(REFGUID guid) = 0;
  virtual HRESULT SetSource(const OLECHAR* source) = 0;
  virtual HRESULT SetDescription(const OLECHAR* description) = 0;
  virtual HRESULT SetHelpFile(const OLECHAR* help_file) = 0;
  virtual HRESULT SetHelpContext(DWORD help_context) = 0;

 protected:
  ~ICreateErrorInfo() = default;
};

class ISupportErrorInfo : public IUnknown {
 public:
  static constexpr IID iid = MakeGuid("{DF0B3D60-548F-101B-8E65-08002B2BD119}");
  using Base = IUnknown;
  // S_OK when methods of interface riid leave error information, S_FALSE otherwise.
  virtual HRESULT InterfaceSupportsErrorInfo(REFIID riid) = 0;

 protected:
  ~ISupportErrorInfo() = default;
};

// The error object of the calling thread: Set replaces it (null clears it);
// Get hands it over and clears it, S_FALSE and null when there is none.
HRESULT SetErrorInfo(ULONG reserved, IErrorInfo* info);
HRESULT GetErrorInfo(ULONG reserved, IErrorInfo** info);
HRESULT CreateErrorInfo(ICreateErrorInfo** info);

// Sets error information (guid of the failing interface, source such as a
// ProgID, description) and returns hr, for `return ReportError(...)`.
HRESULT ReportError(HRESULT hr, REFGUID guid, std::u16string_view source, std::u16string_view description);

// A failed COM call as a C++ error. what() is the description in the system's
// code page (GBK), or the HRESULT's own message when the callee left none.
class ComError : public std::runtime_error {
 public:
  ComError(HRESULT hr, std::u16string description, std::u16string source = {});
  // Picks up the thread's error information left by the call that returned hr.
  static ComError FromLastCall(HRESULT hr);
  HRESULT Result() const { return hr_; }
  const std::u16string& Description() const { return description_; }
  const std::u16string& Source() const { return source_; }

 private:
  HRESULT hr_;
  std::u16string description_;
  std::u16string source_;
};

// Throws ComError::FromLastCall(hr) when hr is a failure.
inline void ThrowIfFailed(HRESULT hr) {
  if (FAILED(hr)) throw ComError::FromLastCall(hr);
}

// The standard error path of a COM method: runs body (which returns an
// HRESULT); an escaping ComError becomes its HRESULT, any other exception
// E_FAIL (E_OUTOFMEMORY for bad_alloc), each with error information set.
template <class Body>
HRESULT GuardCall(REFGUID guid, std::u16string_view source, Body&& body) noexcept;

HRESULT ReportException(REFGUID guid, std::u16string_view source) noexcept;  // inside a catch block

template <class Body>
HRESULT GuardCall(REFGUID guid, std::u16string_view source, Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return ReportException(guid, source);
  }
}

}  // namespace com
