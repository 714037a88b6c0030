#pragma once
// VARIANT: the tagged value automation passes, in the platform's layout
// (type tag, three reserved words, a 16-byte union). Variant owns one.
//   com::Variant a(2), b = com::Variant::FromAnsi("2"), out;
//   hr = com::VariantChangeType(&out, &b, 0, com::VT_I4);   // out.lVal == 2
// By-reference variants (VT_BYREF | type) point at storage the caller owns;
// clearing one frees nothing.
#include <string>
#include <string_view>
#include <utility>

#include "com/bstr.h"
#include "com/hresult.h"
#include "com/types.h"

namespace com {

class IUnknown;
class IDispatch;
struct SAFEARRAY;

enum VARENUM : VARTYPE {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_R4 = 4,
  VT_R8 = 5,
  VT_CY = 6,
  VT_DATE = 7,
  VT_BSTR = 8,
  VT_DISPATCH = 9,
  VT_ERROR = 10,
  VT_BOOL = 11,
  VT_VARIANT = 12,
  VT_UNKNOWN = 13,
  VT_DECIMAL = 14,
  VT_I1 = 16,
  VT_UI1 = 17,
  VT_UI2 = 18,
  VT_UI4 = 19,
  VT_I8 = 20,
  VT_UI8 = 21,
  VT_INT = 22,
  VT_UINT = 23,
  VT_VOID = 24,
  VT_HRESULT = 25,
  VT_PTR = 26,
  VT_SAFEARRAY = 27,
  VT_CARRAY = 28,
  VT_USERDEFINED = 29,
  VT_LPSTR = 30,
  VT_LPWSTR = 31,
  VT_ARRAY = 0x2000,
  VT_BYREF = 0x4000,
  VT_TYPEMASK = 0x0FFF,
};

struct VARIANT {
  VARTYPE vt;
  WORD wReserved1;
  WORD wReserved2;
  WORD wReserved3;
  union {
    std::int64_t llVal;
    std::int32_t lVal;
    std::uint8_t bVal;
    std::int16_t iVal;
    float fltVal;
    double dblVal;
    VARIANT_BOOL boolVal;
    SCODE scode;
    DATE date;
    BSTR bstrVal;
    IUnknown* punkVal;
    IDispatch* pdispVal;
    SAFEARRAY* parray;
    std::uint8_t* pbVal;
    std::int16_t* piVal;
    std::int32_t* plVal;
    std::int64_t* pllVal;
    float* pfltVal;
    double* pdblVal;
    VARIANT_BOOL* pboolVal;
    SCODE* pscode;
    DATE* pdate;
    BSTR* pbstrVal;
    IUnknown** ppunkVal;
    IDispatch** ppdispVal;
    SAFEARRAY** pparray;
    VARIANT* pvarVal;
    void* byref;
    std::int8_t cVal;
    std::uint16_t uiVal;
    std::uint32_t ulVal;
    std::uint64_t ullVal;
    int intVal;
    unsigned uintVal;
    struct {
      void* pvRecord;
      void* pRecInfo;
    } brecord;
  };
};
using VARIANTARG = VARIANT;

// Flags of VariantChangeType.
inline constexpr std::uint16_t VARIANT_NOVALUEPROP = 0x1;  // do not ask an object for its value
inline constexpr std::uint16_t VARIANT_ALPHABOOL = 0x2;    // Boolean to "True"/"False" (else "-1"/"0")
inline constexpr std::uint16_t VARIANT_LOCALBOOL = 0x10;   // same here: the only locale is English

void VariantInit(VARIANT* v);
// Frees what v owns and leaves it VT_EMPTY; DISP_E_BADVARTYPE for a tag it
// does not know (v is then left as it was).
HRESULT VariantClear(VARIANT* v);
// dest = deep copy of src (BSTRs duplicated, interfaces AddRef'ed, arrays copied).
HRESULT VariantCopy(VARIANT* dest, const VARIANT* src);
// As VariantCopy, following one level of VT_BYREF.
HRESULT VariantCopyInd(VARIANT* dest, const VARIANT* src);
// Converts src to type vt into dest (dest may be src). Numbers are rounded half
// to even; out of range gives DISP_E_OVERFLOW, an impossible conversion
// DISP_E_TYPEMISMATCH, an unknown type DISP_E_BADVARTYPE. An object is asked
// for its value (DISPID 0) unless VARIANT_NOVALUEPROP.
HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, std::uint16_t flags, VARTYPE vt);
HRESULT VariantChangeTypeEx(VARIANT* dest, const VARIANT* src, LCID lcid, std::uint16_t flags, VARTYPE vt);

// The general text form of a number: up to 15 significant digits, "." as
// decimal point, no trailing zeros, exponent form ("1E+20") when needed.
std::u16string FormatDouble(double value);

class Variant : public VARIANT {
 public:
  Variant() { VariantInit(this); }
  Variant(std::int32_t value) : Variant() { Set(VT_I4).lVal = value; }
  Variant(std::int16_t value) : Variant() { Set(VT_I2).iVal = value; }
  Variant(double value) : Variant() { Set(VT_R8).dblVal = value; }
  Variant(bool value) : Variant() { Set(VT_BOOL).boolVal = value ? VARIANT_TRUE : VARIANT_FALSE; }
  Variant(std::u16string_view text) : Variant() { Set(VT_BSTR).bstrVal = Bstr(text).Detach(); }
  Variant(const char16_t* text) : Variant(std::u16string_view(text ? text : u"")) {}
  // A byte string has no encoding of its own: say FromAnsi or FromUtf8 (it
  // would otherwise become the Boolean true).
  Variant(const char*) = delete;
  Variant(Bstr&& text) : Variant() { Set(VT_BSTR).bstrVal = text.Detach(); }
  Variant(IDispatch* object);  // AddRefs
  Variant(IUnknown* object);   // AddRefs
  // Deep copy of any VARIANT.
  explicit Variant(const VARIANT& other) : Variant() { VariantCopy(this, &other); }
  Variant(const Variant& other) : Variant() { VariantCopy(this, &other); }
  Variant(Variant&& other) noexcept : VARIANT(other) { VariantInit(&other); }
  Variant& operator=(const Variant& other) {
    if (this != &other) {
      Variant copy(other);
      Swap(copy);
    }
    return *this;
  }
  Variant& operator=(Variant&& other) noexcept {
    Variant moved(std::move(other));
    Swap(moved);
    return *this;
  }
  ~Variant() { VariantClear(this); }

  static Variant FromAnsi(std::string_view gbk) { return Variant(Bstr::FromAnsi(gbk)); }
  static Variant FromUtf8(std::string_view utf8) { return Variant(Bstr::FromUtf8(utf8)); }
  static Variant Null() { Variant v; v.vt = VT_NULL; return v; }
  static Variant Error(SCODE code) { Variant v; v.Set(VT_ERROR).scode = code; return v; }
  // The value of an omitted optional argument: VT_ERROR with DISP_E_PARAMNOTFOUND.
  static Variant Missing() { return Error(DISP_E_PARAMNOTFOUND); }
  // VT_BYREF | type pointing at storage the caller keeps alive.
  static Variant ByRef(VARTYPE type, void* storage) { Variant v; v.vt = static_cast<VARTYPE>(VT_BYREF | type); v.byref = storage; return v; }
  // Takes over what v holds and leaves v VT_EMPTY.
  static Variant Adopt(VARIANT& v) { Variant out; static_cast<VARIANT&>(out) = v; VariantInit(&v); return out; }

  VARTYPE Type() const { return vt; }
  bool IsEmpty() const { return vt == VT_EMPTY; }
  bool IsMissing() const { return vt == VT_ERROR && scode == DISP_E_PARAMNOTFOUND; }
  void Clear() { VariantClear(this); }
  // The slot for an out parameter (a VARIANT*); clears first.
  VARIANT* Put() { Clear(); return this; }
  // Gives the value away; this becomes VT_EMPTY.
  VARIANT Detach() { VARIANT v = *this; VariantInit(this); return v; }
  void Swap(Variant& other) noexcept { std::swap(static_cast<VARIANT&>(*this), static_cast<VARIANT&>(other)); }

  HRESULT ChangeType(VARTYPE type, std::uint16_t flags = 0) { return VariantChangeType(this, this, flags, type); }
  // Converted copies; the HRESULT of the conversion goes to *hr when given,
  // and the result is 0 / empty when it fails.
  std::int32_t ToInt32(HRESULT* hr = nullptr) const;
  double ToDouble(HRESULT* hr = nullptr) const;
  bool ToBool(HRESULT* hr = nullptr) const;
  std::u16string ToWide(HRESULT* hr = nullptr) const;
  std::string ToAnsi(HRESULT* hr = nullptr) const;
  std::string ToUtf8(HRESULT* hr = nullptr) const;

 private:
  VARIANT& Set(VARTYPE type) { vt = type; return *this; }
};

// The argument block of IDispatch::Invoke. Positional arguments are stored
// last-first: rgvarg[cArgs - 1] is the first argument. The first cNamedArgs
// entries of rgvarg are the named ones, their DISPIDs in rgdispidNamedArgs.
struct DISPPARAMS {
  VARIANTARG* rgvarg = nullptr;
  DISPID* rgdispidNamedArgs = nullptr;
  unsigned cArgs = 0;
  unsigned cNamedArgs = 0;
};

// What a failed Invoke (DISP_E_EXCEPTION) tells about the error.
struct EXCEPINFO {
  WORD wCode = 0;
  WORD wReserved = 0;
  BSTR bstrSource = nullptr;
  BSTR bstrDescription = nullptr;
  BSTR bstrHelpFile = nullptr;
  DWORD dwHelpContext = 0;
  void* pvReserved = nullptr;
  HRESULT (*pfnDeferredFillIn)(EXCEPINFO*) = nullptr;
  SCODE scode = 0;
};
// Frees the strings of an EXCEPINFO and zeroes it.
void ClearExcepInfo(EXCEPINFO* info);

}  // namespace com
