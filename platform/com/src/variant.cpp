#include "com/variant.h"

#include <charconv>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "com/dispatch.h"
#include "com/safearray.h"
#include "platform/win/code_page.h"

namespace com {

namespace {

bool IsKnownBaseType(VARTYPE t) {
  switch (t) {
    case VT_EMPTY: case VT_NULL: case VT_I2: case VT_I4: case VT_R4: case VT_R8: case VT_DATE: case VT_BSTR:
    case VT_DISPATCH: case VT_ERROR: case VT_BOOL: case VT_VARIANT: case VT_UNKNOWN: case VT_I1: case VT_UI1:
    case VT_UI2: case VT_UI4: case VT_I8: case VT_UI8: case VT_INT: case VT_UINT:
      return true;
    default:
      return false;
  }
}

bool IsValidTag(VARTYPE vt) {
  VARTYPE base = vt & VT_TYPEMASK;
  if (vt & ~(VT_TYPEMASK | VT_ARRAY | VT_BYREF)) return false;
  if (!IsKnownBaseType(base)) return false;
  if (base == VT_VARIANT && !(vt & (VT_BYREF | VT_ARRAY))) return false;
  if ((base == VT_EMPTY || base == VT_NULL) && (vt & (VT_BYREF | VT_ARRAY))) return false;
  return true;
}

}  // namespace

void VariantInit(VARIANT* v) {
  if (!v) return;
  std::memset(v, 0, sizeof *v);
}

HRESULT VariantClear(VARIANT* v) {
  if (!v) return E_INVALIDARG;
  if (!IsValidTag(v->vt)) return DISP_E_BADVARTYPE;
  if (!(v->vt & VT_BYREF)) {
    if (v->vt & VT_ARRAY) {
      if (v->parray) {
        HRESULT hr = SafeArrayDestroy(v->parray);
        if (FAILED(hr)) return hr;
      }
    } else if (v->vt == VT_BSTR) {
      SysFreeString(v->bstrVal);
    } else if (v->vt == VT_UNKNOWN || v->vt == VT_DISPATCH) {
      if (v->punkVal) v->punkVal->Release();
    }
  }
  VariantInit(v);
  return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* src) {
  if (!dest || !src) return E_INVALIDARG;
  if (!IsValidTag(src->vt)) return DISP_E_BADVARTYPE;
  if (dest == src) return S_OK;
  VARIANT copy = *src;
  if (!(src->vt & VT_BYREF)) {
    if (src->vt & VT_ARRAY) {
      copy.parray = nullptr;
      if (src->parray) {
        HRESULT hr = SafeArrayCopy(src->parray, &copy.parray);
        if (FAILED(hr)) return hr;
      }
    } else if (src->vt == VT_BSTR) {
      if (src->bstrVal) {
        copy.bstrVal = SysAllocStringLen(src->bstrVal, SysStringLen(src->bstrVal));
        if (!copy.bstrVal) return E_OUTOFMEMORY;
      }
    } else if (src->vt == VT_UNKNOWN || src->vt == VT_DISPATCH) {
      if (src->punkVal) src->punkVal->AddRef();
    }
  }
  HRESULT hr = VariantClear(dest);
  if (FAILED(hr)) {
    VARIANT undo = copy;
    VariantClear(&undo);
    return hr;
  }
  *dest = copy;
  return S_OK;
}

HRESULT VariantCopyInd(VARIANT* dest, const VARIANT* src) {
  if (!dest || !src) return E_INVALIDARG;
  if (!IsValidTag(src->vt)) return DISP_E_BADVARTYPE;
  if (!(src->vt & VT_BYREF)) return VariantCopy(dest, src);
  if (!src->byref) return E_INVALIDARG;
  VARTYPE base = src->vt & ~VT_BYREF;
  VARIANT value;
  VariantInit(&value);
  if (base == VT_VARIANT) {
    const VARIANT* inner = src->pvarVal;
    if (inner->vt & VT_BYREF) return E_INVALIDARG;  // one level only
    return VariantCopy(dest, inner);
  }
  value.vt = base;
  if (base & VT_ARRAY) {
    value.parray = *src->pparray;
  } else {
    switch (base) {
      case VT_I1: case VT_UI1: value.bVal = *src->pbVal; break;
      case VT_I2: case VT_UI2: case VT_BOOL: value.iVal = *src->piVal; break;
      case VT_I4: case VT_UI4: case VT_INT: case VT_UINT: case VT_ERROR: case VT_R4: value.lVal = *src->plVal; break;
      case VT_I8: case VT_UI8: case VT_R8: case VT_DATE: value.llVal = *src->pllVal; break;
      case VT_BSTR: value.bstrVal = *src->pbstrVal; break;
      case VT_UNKNOWN: case VT_DISPATCH: value.punkVal = *src->ppunkVal; break;
      default: return DISP_E_BADVARTYPE;
    }
  }
  // value borrows; VariantCopy makes the owned copy.
  if (dest == src) {
    VARIANT copy;
    VariantInit(&copy);
    HRESULT hr = VariantCopy(&copy, &value);
    if (FAILED(hr)) return hr;
    *dest = copy;
    return S_OK;
  }
  return VariantCopy(dest, &value);
}

void ClearExcepInfo(EXCEPINFO* info) {
  if (!info) return;
  SysFreeString(info->bstrSource);
  SysFreeString(info->bstrDescription);
  SysFreeString(info->bstrHelpFile);
  *info = EXCEPINFO{};
}

// ---- conversion ----

namespace {

// A scalar value in one of three forms while it is being converted.
struct Scalar {
  enum Kind { Int, Real, Text, Empty } kind = Empty;
  std::int64_t i = 0;
  std::uint64_t u = 0;  // for VT_UI8 above INT64_MAX
  bool unsigned_big = false;
  double d = 0;
  std::u16string_view text;
};

std::u16string Trim(std::u16string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && (s[b] == u' ' || s[b] == u'\t')) ++b;
  while (e > b && (s[e - 1] == u' ' || s[e - 1] == u'\t')) --e;
  return std::u16string(s.substr(b, e - b));
}

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i], y = b[i];
    if (x >= u'A' && x <= u'Z') x = x - u'A' + u'a';
    if (y >= u'A' && y <= u'Z') y = y - u'A' + u'a';
    if (x != y) return false;
  }
  return true;
}

// Parses a number text: integer, decimal or exponent form; spaces around.
HRESULT ParseNumber(std::u16string_view wide, Scalar* out) {
  std::u16string trimmed = Trim(wide);
  if (trimmed.empty() || trimmed.size() > 400) return DISP_E_TYPEMISMATCH;
  std::string narrow;
  for (char16_t c : trimmed) {
    if (c > 0x7F) return DISP_E_TYPEMISMATCH;
    narrow.push_back(static_cast<char>(c));
  }
  const char* first = narrow.data();
  const char* last = first + narrow.size();
  if (*first == '+') ++first;
  std::int64_t i;
  auto ri = std::from_chars(first, last, i);
  if (ri.ec == std::errc() && ri.ptr == last) {
    out->kind = Scalar::Int;
    out->i = i;
    return S_OK;
  }
  double d;
  auto rd = std::from_chars(first, last, d, std::chars_format::general);
  if (rd.ptr != last || first == last) return DISP_E_TYPEMISMATCH;
  if (rd.ec == std::errc::result_out_of_range) return DISP_E_OVERFLOW;
  if (rd.ec != std::errc() || !std::isfinite(d)) return DISP_E_TYPEMISMATCH;
  out->kind = Scalar::Real;
  out->d = d;
  return S_OK;
}

HRESULT ToInteger(const Scalar& s, std::int64_t lo, std::int64_t hi, std::int64_t* out) {
  if (s.kind == Scalar::Empty) {
    *out = 0;
    return S_OK;
  }
  if (s.kind == Scalar::Int) {
    if (s.unsigned_big || s.i < lo || s.i > hi) return DISP_E_OVERFLOW;
    *out = s.i;
    return S_OK;
  }
  if (!std::isfinite(s.d)) return DISP_E_OVERFLOW;
  double r = std::nearbyint(s.d);  // the default rounding mode: half to even
  if (r < static_cast<double>(lo) || r > static_cast<double>(hi) || r >= 9.2233720368547758e18) return DISP_E_OVERFLOW;
  *out = static_cast<std::int64_t>(r);
  return S_OK;
}

double ToReal(const Scalar& s) {
  if (s.kind == Scalar::Int) return s.unsigned_big ? static_cast<double>(s.u) : static_cast<double>(s.i);
  if (s.kind == Scalar::Real) return s.d;
  return 0;
}

HRESULT ObjectValue(IDispatch* disp, VARIANT* value) {
  if (!disp) return DISP_E_TYPEMISMATCH;
  DISPPARAMS none;
  HRESULT hr = disp->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET | DISPATCH_METHOD,
                            &none, value, nullptr, nullptr);
  if (FAILED(hr)) return hr == DISP_E_MEMBERNOTFOUND ? DISP_E_TYPEMISMATCH : hr;
  if (value->vt == VT_DISPATCH || value->vt == VT_UNKNOWN) {
    VariantClear(value);
    return DISP_E_TYPEMISMATCH;
  }
  return S_OK;
}

// Converts an owned, non-by-reference value src into *out of type vt.
HRESULT Convert(const VARIANT& src, std::uint16_t flags, VARTYPE vt, VARIANT* out) {
  VariantInit(out);
  if (src.vt == vt) return VariantCopy(out, &src);
  if ((vt & VT_ARRAY) || (src.vt & VT_ARRAY)) return DISP_E_TYPEMISMATCH;
  if (!IsKnownBaseType(vt) || vt == VT_VARIANT) return DISP_E_BADVARTYPE;

  // Objects: interface conversions, or their value.
  if (src.vt == VT_DISPATCH || src.vt == VT_UNKNOWN) {
    if (vt == VT_DISPATCH || vt == VT_UNKNOWN) {
      if (!src.punkVal) {
        out->vt = vt;
        return S_OK;
      }
      void* p = nullptr;
      HRESULT hr = src.punkVal->QueryInterface(vt == VT_DISPATCH ? IDispatch::iid : IUnknown::iid, &p);
      if (FAILED(hr)) return DISP_E_TYPEMISMATCH;
      out->vt = vt;
      out->byref = p;
      return S_OK;
    }
    if (src.vt == VT_UNKNOWN || (flags & VARIANT_NOVALUEPROP)) return DISP_E_TYPEMISMATCH;
    Variant value;
    HRESULT hr = ObjectValue(src.pdispVal, &value);
    if (FAILED(hr)) return hr;
    return Convert(value, flags, vt, out);
  }
  if (vt == VT_DISPATCH || vt == VT_UNKNOWN) return DISP_E_TYPEMISMATCH;
  if (vt == VT_NULL || src.vt == VT_NULL) return DISP_E_TYPEMISMATCH;
  if (vt == VT_EMPTY) return DISP_E_TYPEMISMATCH;
  if (src.vt == VT_ERROR || vt == VT_ERROR) return DISP_E_TYPEMISMATCH;

  Scalar s;
  bool is_bool = false;
  switch (src.vt) {
    case VT_EMPTY: s.kind = Scalar::Empty; break;
    case VT_I1: s.kind = Scalar::Int; s.i = src.cVal; break;
    case VT_UI1: s.kind = Scalar::Int; s.i = src.bVal; break;
    case VT_I2: s.kind = Scalar::Int; s.i = src.iVal; break;
    case VT_UI2: s.kind = Scalar::Int; s.i = src.uiVal; break;
    case VT_I4: s.kind = Scalar::Int; s.i = src.lVal; break;
    case VT_INT: s.kind = Scalar::Int; s.i = src.intVal; break;
    case VT_UI4: s.kind = Scalar::Int; s.i = src.ulVal; break;
    case VT_UINT: s.kind = Scalar::Int; s.i = src.uintVal; break;
    case VT_I8: s.kind = Scalar::Int; s.i = src.llVal; break;
    case VT_UI8:
      s.kind = Scalar::Int;
      s.u = src.ullVal;
      s.unsigned_big = src.ullVal > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
      s.i = static_cast<std::int64_t>(src.ullVal);
      break;
    case VT_BOOL: s.kind = Scalar::Int; s.i = src.boolVal ? -1 : 0; is_bool = true; break;
    case VT_R4: s.kind = Scalar::Real; s.d = src.fltVal; break;
    case VT_R8: s.kind = Scalar::Real; s.d = src.dblVal; break;
    case VT_DATE: s.kind = Scalar::Real; s.d = src.date; break;
    case VT_BSTR: s.kind = Scalar::Text; s.text = BstrView(src.bstrVal); break;
    default: return DISP_E_BADVARTYPE;
  }

  if (vt == VT_BSTR) {
    std::u16string text;
    switch (s.kind) {
      case Scalar::Empty: break;
      case Scalar::Int:
        if (is_bool) {
          if (flags & (VARIANT_ALPHABOOL | VARIANT_LOCALBOOL))
            text = s.i ? u"True" : u"False";
          else
            text = s.i ? u"-1" : u"0";
        } else {
          std::string n = s.unsigned_big ? std::to_string(s.u) : std::to_string(s.i);
          text.assign(n.begin(), n.end());
        }
        break;
      case Scalar::Real:
        if (src.vt == VT_R4) {
          char buf[32];
          std::snprintf(buf, sizeof buf, "%.7G", static_cast<double>(src.fltVal));
          text.assign(buf, buf + std::strlen(buf));
        } else {
          text = FormatDouble(s.d);
        }
        break;
      case Scalar::Text: text = std::u16string(s.text); break;
    }
    out->vt = VT_BSTR;
    out->bstrVal = Bstr(text).Detach();
    return S_OK;
  }

  if (s.kind == Scalar::Text) {
    std::u16string trimmed = Trim(s.text);
    if (vt == VT_BOOL && (EqualsNoCase(trimmed, u"True") || EqualsNoCase(trimmed, u"False"))) {
      out->vt = VT_BOOL;
      out->boolVal = EqualsNoCase(trimmed, u"True") ? VARIANT_TRUE : VARIANT_FALSE;
      return S_OK;
    }
    HRESULT hr = ParseNumber(s.text, &s);
    if (FAILED(hr)) return hr;
  }

  if (vt == VT_BOOL) {
    out->vt = VT_BOOL;
    out->boolVal = ToReal(s) != 0 || (s.kind == Scalar::Int && s.i != 0) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }
  if (vt == VT_R8 || vt == VT_DATE) {
    out->vt = vt;
    out->dblVal = ToReal(s);
    return S_OK;
  }
  if (vt == VT_R4) {
    double d = ToReal(s);
    if (std::fabs(d) > FLT_MAX) return DISP_E_OVERFLOW;
    out->vt = VT_R4;
    out->fltVal = static_cast<float>(d);
    return S_OK;
  }
  if (vt == VT_UI8) {
    if (s.kind == Scalar::Int && s.unsigned_big) {
      out->vt = VT_UI8;
      out->ullVal = s.u;
      return S_OK;
    }
    std::int64_t v;
    HRESULT hr = ToInteger(s, 0, std::numeric_limits<std::int64_t>::max(), &v);
    if (FAILED(hr)) return hr;
    out->vt = VT_UI8;
    out->ullVal = static_cast<std::uint64_t>(v);
    return S_OK;
  }
  std::int64_t lo, hi;
  switch (vt) {
    case VT_I1: lo = INT8_MIN; hi = INT8_MAX; break;
    case VT_UI1: lo = 0; hi = UINT8_MAX; break;
    case VT_I2: lo = INT16_MIN; hi = INT16_MAX; break;
    case VT_UI2: lo = 0; hi = UINT16_MAX; break;
    case VT_I4: case VT_INT: lo = INT32_MIN; hi = INT32_MAX; break;
    case VT_UI4: case VT_UINT: lo = 0; hi = UINT32_MAX; break;
    case VT_I8: lo = INT64_MIN; hi = INT64_MAX; break;
    default: return DISP_E_BADVARTYPE;
  }
  std::int64_t v;
  HRESULT hr = ToInteger(s, lo, hi, &v);
  if (FAILED(hr)) return hr;
  out->vt = vt;
  switch (vt) {
    case VT_I1: out->cVal = static_cast<std::int8_t>(v); break;
    case VT_UI1: out->bVal = static_cast<std::uint8_t>(v); break;
    case VT_I2: out->iVal = static_cast<std::int16_t>(v); break;
    case VT_UI2: out->uiVal = static_cast<std::uint16_t>(v); break;
    case VT_I4: case VT_INT: out->lVal = static_cast<std::int32_t>(v); break;
    case VT_UI4: case VT_UINT: out->ulVal = static_cast<std::uint32_t>(v); break;
    default: out->llVal = v; break;
  }
  return S_OK;
}

}  // namespace

std::u16string FormatDouble(double value) {
  if (std::isnan(value)) return u"NaN";
  if (std::isinf(value)) return value > 0 ? u"Infinity" : u"-Infinity";
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.15G", value);
  std::string text = buf;
  if (text == "-0") text = "0";
  return std::u16string(text.begin(), text.end());
}

HRESULT VariantChangeTypeEx(VARIANT* dest, const VARIANT* src, LCID, std::uint16_t flags, VARTYPE vt) {
  return VariantChangeType(dest, src, flags, vt);
}

HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, std::uint16_t flags, VARTYPE vt) {
  if (!dest || !src) return E_INVALIDARG;
  if (!IsValidTag(src->vt)) return DISP_E_BADVARTYPE;
  if (vt & VT_BYREF) return DISP_E_BADVARTYPE;
  if (!IsValidTag(vt) && vt != VT_EMPTY && vt != VT_NULL) return DISP_E_BADVARTYPE;
  Variant value;
  HRESULT hr = VariantCopyInd(&value, src);
  if (FAILED(hr)) return hr;
  VARIANT result;
  hr = Convert(value, flags, vt, &result);
  if (FAILED(hr)) return hr;
  hr = VariantClear(dest);
  if (FAILED(hr)) {
    VariantClear(&result);
    return hr;
  }
  *dest = result;
  return S_OK;
}

// ---- Variant ----

Variant::Variant(IDispatch* object) : Variant() {
  vt = VT_DISPATCH;
  pdispVal = object;
  if (object) object->AddRef();
}

Variant::Variant(IUnknown* object) : Variant() {
  vt = VT_UNKNOWN;
  punkVal = object;
  if (object) object->AddRef();
}

namespace {
HRESULT ConvertCopy(const VARIANT& v, VARTYPE type, Variant* out) {
  return VariantChangeType(out, &v, VARIANT_ALPHABOOL, type);
}
void Report(HRESULT* where, HRESULT hr) {
  if (where) *where = hr;
}
}  // namespace

std::int32_t Variant::ToInt32(HRESULT* hr) const {
  Variant out;
  HRESULT r = ConvertCopy(*this, VT_I4, &out);
  Report(hr, r);
  return SUCCEEDED(r) ? out.lVal : 0;
}

double Variant::ToDouble(HRESULT* hr) const {
  Variant out;
  HRESULT r = ConvertCopy(*this, VT_R8, &out);
  Report(hr, r);
  return SUCCEEDED(r) ? out.dblVal : 0;
}

bool Variant::ToBool(HRESULT* hr) const {
  Variant out;
  HRESULT r = ConvertCopy(*this, VT_BOOL, &out);
  Report(hr, r);
  return SUCCEEDED(r) && out.boolVal != 0;
}

std::u16string Variant::ToWide(HRESULT* hr) const {
  Variant out;
  HRESULT r = ConvertCopy(*this, VT_BSTR, &out);
  Report(hr, r);
  return SUCCEEDED(r) ? std::u16string(BstrView(out.bstrVal)) : std::u16string();
}

std::string Variant::ToAnsi(HRESULT* hr) const { return win::WideToAnsi(ToWide(hr)); }
std::string Variant::ToUtf8(HRESULT* hr) const { return win::WideToUtf8(ToWide(hr)); }

}  // namespace com
