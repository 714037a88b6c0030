#pragma once
// IDispatch: late-bound automation. Names become DISPIDs with GetIDsOfNames;
// Invoke calls a member with its arguments in a DISPPARAMS.
//   DISPID id; const OLECHAR* name = u"MyAdd";
//   hr = disp->GetIDsOfNames(com::IID_NULL, const_cast<OLECHAR**>(&name), 1, 0, &id);
//   com::Variant args[2] = {com::Variant(3), com::Variant(2)};   // last first
//   com::DISPPARAMS params{args, nullptr, 2, 0};
//   com::Variant result;
//   hr = disp->Invoke(id, com::IID_NULL, 0, com::DISPATCH_METHOD, &params, &result, nullptr, nullptr);
#include "com/unknown.h"
#include "com/variant.h"

namespace com {

class ITypeInfo;

inline constexpr IID IID_NULL{};

inline constexpr DISPID DISPID_VALUE = 0;
inline constexpr DISPID DISPID_UNKNOWN = -1;
inline constexpr DISPID DISPID_PROPERTYPUT = -3;
inline constexpr DISPID DISPID_NEWENUM = -4;

inline constexpr WORD DISPATCH_METHOD = 0x1;
inline constexpr WORD DISPATCH_PROPERTYGET = 0x2;
inline constexpr WORD DISPATCH_PROPERTYPUT = 0x4;
inline constexpr WORD DISPATCH_PROPERTYPUTREF = 0x8;

class IDispatch : public IUnknown {
 public:
  static constexpr IID iid = MakeGuid("{00020400-0000-0000-C000-000000000046}");
  using Base = IUnknown;
  virtual HRESULT GetTypeInfoCount(unsigned* count) = 0;
  virtual HRESULT GetTypeInfo(unsigned index, LCID lcid, ITypeInfo** info) = 0;
  virtual HRESULT GetIDsOfNames(REFIID riid, OLECHAR** names, unsigned count, LCID lcid, DISPID* ids) = 0;
  virtual HRESULT Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                         EXCEPINFO* excep_info, unsigned* arg_err) = 0;

 protected:
  ~IDispatch() = default;
};

}  // namespace com
