#pragma once
// SAFEARRAY: the automation array, minimal: one or more dimensions of
// VT_VARIANT, VT_BSTR, VT_DISPATCH, VT_UNKNOWN, VT_I2, VT_I4, VT_R8, VT_BOOL
// or VT_UI1 elements. Enough for the `custom` arguments of add-in calls.
#include "com/variant.h"

namespace com {

struct SAFEARRAYBOUND {
  ULONG cElements;
  LONG lLbound;
};

struct SAFEARRAY {
  USHORT cDims;
  USHORT fFeatures;
  ULONG cbElements;
  ULONG cLocks;
  void* pvData;
  SAFEARRAYBOUND rgsabound[1];  // cDims of them; rgsabound[0] is the rightmost dimension
};

inline constexpr USHORT FADF_HAVEVARTYPE = 0x0080;
inline constexpr USHORT FADF_BSTR = 0x0100;
inline constexpr USHORT FADF_UNKNOWN = 0x0200;
inline constexpr USHORT FADF_DISPATCH = 0x0400;
inline constexpr USHORT FADF_VARIANT = 0x0800;

// Null for an element type it does not hold or a zero dimension count.
SAFEARRAY* SafeArrayCreate(VARTYPE vt, unsigned dims, const SAFEARRAYBOUND* bounds);
SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lower_bound, ULONG elements);
// Frees the elements and the array; DISP_E_ARRAYISLOCKED while locked.
HRESULT SafeArrayDestroy(SAFEARRAY* array);
HRESULT SafeArrayCopy(const SAFEARRAY* array, SAFEARRAY** copy);
unsigned SafeArrayGetDim(const SAFEARRAY* array);
HRESULT SafeArrayGetVartype(const SAFEARRAY* array, VARTYPE* vt);
// dim counts from 1 (leftmost); DISP_E_BADINDEX out of range.
HRESULT SafeArrayGetLBound(const SAFEARRAY* array, unsigned dim, LONG* bound);
HRESULT SafeArrayGetUBound(const SAFEARRAY* array, unsigned dim, LONG* bound);
// indices[0] is the leftmost dimension's index. Put copies value in (a BSTR,
// VARIANT or interface is copied / AddRef'ed); Get copies the element out.
HRESULT SafeArrayPutElement(SAFEARRAY* array, const LONG* indices, const void* value);
HRESULT SafeArrayGetElement(SAFEARRAY* array, const LONG* indices, void* value);
HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data);
HRESULT SafeArrayUnaccessData(SAFEARRAY* array);
HRESULT SafeArrayLock(SAFEARRAY* array);
HRESULT SafeArrayUnlock(SAFEARRAY* array);

}  // namespace com
