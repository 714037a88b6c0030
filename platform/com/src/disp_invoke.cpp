// The generic IDispatch over type information: names to DISPIDs, and Invoke
// turning a DISPPARAMS into a typed call of the interface's vtable slot.
#include <array>
#include <new>
#include <cstring>

#include "com/error_info.h"
#include "com/safearray.h"
#include "type_lib_impl.h"

namespace com {

namespace {

// The implementation behind an ITypeInfo of this runtime (no reference kept:
// the caller holds one on info).
TypeInfoImpl* ImplOf(ITypeInfo* info) {
  void* p = nullptr;
  if (!info || FAILED(info->QueryInterface(IID_TypeInfoImpl, &p))) return nullptr;
  auto* impl = static_cast<TypeInfoImpl*>(static_cast<ITypeInfo*>(p));
  impl->Release();
  return impl;
}

// Room for the arguments of one call, on the stack for the usual few; only
// the n elements asked for are constructed.
template <class T, std::size_t N>
class SmallArray {
 public:
  explicit SmallArray(std::size_t n)
      : n_(n), p_(n > N ? static_cast<T*>(::operator new(n * sizeof(T))) : reinterpret_cast<T*>(local_)) {
    for (std::size_t i = 0; i < n_; ++i) new (p_ + i) T();
  }
  ~SmallArray() {
    for (std::size_t i = 0; i < n_; ++i) p_[i].~T();
    if (n_ > N) ::operator delete(p_);
  }
  SmallArray(const SmallArray&) = delete;
  SmallArray& operator=(const SmallArray&) = delete;
  T& operator[](std::size_t i) { return p_[i]; }

 private:
  std::size_t n_;
  T* p_;
  alignas(T) unsigned char local_[N * sizeof(T)];
};

bool IsMissing(const VARIANT& v) { return v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND; }

// A VARIANT that is cleared when it goes, and costs nothing when it stays
// empty (most slots do).
struct Scratch : VARIANT {
  Scratch() { vt = VT_EMPTY; }
  ~Scratch() {
    if (vt != VT_EMPTY) VariantClear(this);
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
};

// What one argument becomes for the call: the value passed and what has to
// be released afterwards.
struct Slot {
  Scratch temp;             // a coerced copy, or the storage for the retval
  void* pointer = nullptr;  // a pointer passed as the argument
  IUnknown* release = nullptr;
  ~Slot() {
    if (release) release->Release();
  }
};

HRESULT Coerce(const ParamPlan& plan, VARIANT* arg, Slot* slot, void** value) {
  const VARTYPE vt = arg->vt;
  switch (plan.kind) {
    case ParamPlan::Scalar:
      if (vt == plan.vt) {  // already the declared type: no copy
        *value = &arg->llVal;
        return S_OK;
      }
      if (HRESULT hr = VariantChangeType(&slot->temp, arg, 0, plan.vt); FAILED(hr)) return hr;
      *value = &slot->temp.llVal;
      return S_OK;
    case ParamPlan::VariantValue:
      *value = arg->vt == (VT_BYREF | VT_VARIANT) ? static_cast<void*>(arg->pvarVal) : static_cast<void*>(arg);
      return S_OK;
    case ParamPlan::Interface: {
      VARIANT inner = *arg;
      if (vt == (VT_BYREF | VT_DISPATCH) || vt == (VT_BYREF | VT_UNKNOWN)) {
        inner.vt = vt & ~VT_BYREF;
        inner.punkVal = *arg->ppunkVal;
      }
      if (inner.vt == VT_EMPTY || ((inner.vt == VT_DISPATCH || inner.vt == VT_UNKNOWN) && !inner.punkVal)) {
        slot->pointer = nullptr;  // Nothing
      } else if (inner.vt == VT_DISPATCH || inner.vt == VT_UNKNOWN) {
        void* p = nullptr;
        if (FAILED(inner.punkVal->QueryInterface(plan.iid, &p))) return DISP_E_TYPEMISMATCH;
        slot->pointer = p;
        slot->release = static_cast<IUnknown*>(p);
      } else {
        return DISP_E_TYPEMISMATCH;
      }
      *value = &slot->pointer;
      return S_OK;
    }
    case ParamPlan::ArrayValue:
      if (vt & VT_ARRAY) slot->pointer = (vt & VT_BYREF) ? *arg->pparray : arg->parray;
      else return DISP_E_TYPEMISMATCH;
      *value = &slot->pointer;
      return S_OK;
    case ParamPlan::PtrScalar:
      if (vt != (VT_BYREF | plan.vt)) return DISP_E_TYPEMISMATCH;
      slot->pointer = arg->byref;
      *value = &slot->pointer;
      return S_OK;
    case ParamPlan::PtrVariant:
      slot->pointer = vt == (VT_BYREF | VT_VARIANT) ? static_cast<void*>(arg->pvarVal) : static_cast<void*>(arg);
      *value = &slot->pointer;
      return S_OK;
    case ParamPlan::PtrInterface:
      if (vt != (VT_BYREF | VT_DISPATCH) && vt != (VT_BYREF | VT_UNKNOWN)) return DISP_E_TYPEMISMATCH;
      slot->pointer = arg->byref;
      *value = &slot->pointer;
      return S_OK;
    case ParamPlan::PtrArray:
      if (!(vt & VT_BYREF) || !(vt & VT_ARRAY)) return DISP_E_TYPEMISMATCH;
      slot->pointer = arg->byref;
      *value = &slot->pointer;
      return S_OK;
  }
  return DISP_E_TYPEMISMATCH;
}

// Prepares the storage a retval parameter points at.
void PrepareRetval(const ParamPlan& plan, Slot* slot, void** value) {
  VariantInit(&slot->temp);
  switch (plan.kind) {
    case ParamPlan::PtrVariant: slot->pointer = &slot->temp; break;
    case ParamPlan::PtrArray: slot->temp.vt = VT_EMPTY; slot->pointer = &slot->temp.parray; break;
    default: slot->pointer = &slot->temp.llVal; break;
  }
  *value = &slot->pointer;
}

// Moves what the callee stored through the retval pointer into result.
void TakeRetval(const ParamPlan& plan, Slot* slot, VARIANT* result) {
  VARIANT out;
  VariantInit(&out);
  switch (plan.kind) {
    case ParamPlan::PtrVariant: out = slot->temp; break;
    case ParamPlan::PtrArray: out.vt = static_cast<VARTYPE>(VT_ARRAY | plan.vt); out.parray = slot->temp.parray; slot->temp.parray = nullptr; break;
    case ParamPlan::PtrInterface: out.vt = plan.vt; out.punkVal = static_cast<IUnknown*>(slot->temp.byref); slot->temp.byref = nullptr; break;
    default: out.vt = plan.vt; out.llVal = slot->temp.llVal; slot->temp.llVal = 0; break;
  }
  slot->temp.vt = VT_EMPTY;
  if (result) {
    VariantClear(result);
    *result = out;
  } else {
    VariantClear(&out);
  }
}

void FillException(HRESULT hr, EXCEPINFO* info) {
  *info = EXCEPINFO{};
  info->scode = hr;
  ComPtr<IErrorInfo> error;
  if (GetErrorInfo(0, error.Put()) == S_OK && error) {
    error->GetSource(&info->bstrSource);
    error->GetDescription(&info->bstrDescription);
    error->GetHelpFile(&info->bstrHelpFile);
    error->GetHelpContext(&info->dwHelpContext);
    SetErrorInfo(0, error.Get());  // still there for GetErrorInfo
  }
}

}  // namespace

HRESULT DispGetIDsOfNames(ITypeInfo* info, OLECHAR** names, unsigned count, DISPID* ids) {
  if (!info || !names || !ids) return E_INVALIDARG;
  if (count == 0) return S_OK;
  for (unsigned i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  TypeInfoImpl* impl = ImplOf(info);
  if (!impl) return E_INVALIDARG;
  if (!names[0]) return DISP_E_UNKNOWNNAME;
  const FunctionRuntime* f = impl->FindByName(names[0]);
  if (!f) return DISP_E_UNKNOWNNAME;
  ids[0] = f->desc.memid;
  HRESULT hr = S_OK;
  for (unsigned i = 1; i < count; ++i) {
    bool found = false;
    for (std::size_t k = 1; names[i] && k < f->names.size() && !found; ++k) {
      const auto& n = f->names[k];
      std::u16string_view want(names[i]);
      if (n.size() != want.size()) continue;
      bool same = true;
      for (std::size_t c = 0; c < n.size() && same; ++c) {
        char16_t a = n[c], b = want[c];
        if (a >= u'A' && a <= u'Z') a += 32;
        if (b >= u'A' && b <= u'Z') b += 32;
        same = a == b;
      }
      if (same) ids[i] = static_cast<DISPID>(k - 1), found = true;
    }
    if (!found) hr = DISP_E_UNKNOWNNAME;
  }
  return hr;
}

HRESULT DispInvoke(void* instance, ITypeInfo* info, DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* excep_info, unsigned* arg_err) {
  if (!instance || !info || !params) return E_INVALIDARG;
  if (params->cArgs && !params->rgvarg) return E_INVALIDARG;
  if (params->cNamedArgs > params->cArgs || (params->cNamedArgs && !params->rgdispidNamedArgs)) return E_INVALIDARG;
  TypeInfoImpl* impl = ImplOf(info);
  if (!impl) return E_INVALIDARG;
  if (HRESULT hr = impl->EnsureLayout(); FAILED(hr)) return hr;
  bool exists = false;
  const FunctionRuntime* f = impl->FindFunction(id, flags, &exists);
  if (!f) return DISP_E_MEMBERNOTFOUND;
  if (!f->callable) return DISP_E_MEMBERNOTFOUND;
  const bool is_put = f->desc.invkind == INVOKE_PROPERTYPUT || f->desc.invkind == INVOKE_PROPERTYPUTREF;

  const std::size_t nparams = f->plans.size();
  const std::size_t ninputs = nparams - (f->retval_index >= 0 ? 1 : 0);
  const unsigned named = params->cNamedArgs;
  const unsigned positional = params->cArgs - named;
  if (positional > ninputs) return DISP_E_BADPARAMCOUNT;

  // The argument of each parameter, in declaration order (null: not given).
  SmallArray<VARIANT*, 16> given(nparams);
  SmallArray<unsigned, 16> where(nparams);  // its index in rgvarg, for arg_err
  for (unsigned i = 0; i < positional; ++i) {
    unsigned index = params->cArgs - 1 - i;
    given[i] = &params->rgvarg[index];
    where[i] = index;
  }
  for (unsigned i = 0; i < named; ++i) {
    DISPID n = params->rgdispidNamedArgs[i];
    std::size_t target;
    if (n == DISPID_PROPERTYPUT && is_put) target = ninputs - 1;
    else if (n >= 0 && static_cast<std::size_t>(n) < ninputs) target = static_cast<std::size_t>(n);
    else {
      if (arg_err) *arg_err = i;
      return DISP_E_PARAMNOTFOUND;
    }
    if (given[target]) {
      if (arg_err) *arg_err = i;
      return DISP_E_PARAMNOTFOUND;
    }
    given[target] = &params->rgvarg[i];
    where[target] = i;
  }
  if (is_put && ninputs && !given[ninputs - 1]) return DISP_E_PARAMNOTOPTIONAL;

  SmallArray<Slot, 16> slots(nparams);
  SmallArray<void*, 17> values(nparams + 1);
  SmallArray<Scratch, 16> stand_in(nparams);  // defaults and "missing" values
  values[0] = &instance;
  for (std::size_t k = 0; k < nparams; ++k) {
    const ParamPlan& plan = f->plans[k];
    if (plan.retval) {
      PrepareRetval(plan, &slots[k], &values[k + 1]);
      continue;
    }
    VARIANT* arg = given[k];
    if (!arg || IsMissing(*arg)) {
      const ELEMDESC& e = f->elems[k];
      if (plan.has_default && e.paramdesc.pparamdescex) {
        VariantCopy(&stand_in[k], &e.paramdesc.pparamdescex->varDefaultValue);
      } else if (plan.optional && (plan.kind == ParamPlan::VariantValue || plan.kind == ParamPlan::PtrVariant)) {
        stand_in[k].vt = VT_ERROR;
        stand_in[k].scode = DISP_E_PARAMNOTFOUND;
      } else {
        if (!given[k]) return DISP_E_BADPARAMCOUNT;
        if (arg_err) *arg_err = where[k];
        return DISP_E_PARAMNOTOPTIONAL;
      }
      arg = &stand_in[k];
    }
    HRESULT hr = Coerce(plan, arg, &slots[k], &values[k + 1]);
    if (FAILED(hr)) {
      if (arg_err) *arg_err = given[k] ? where[k] : 0;
      return hr;
    }
  }

  void** vtable = *static_cast<void***>(instance);
  void* fn = vtable[f->desc.oVft / static_cast<short>(sizeof(void*))];
  ffi_arg rc = 0;
  ffi_call(const_cast<ffi_cif*>(&f->cif), FFI_FN(fn), &rc, &values[0]);

  const VARTYPE result_vt = f->desc.elemdescFunc.tdesc.vt;
  HRESULT hr = S_OK;
  if (result_vt == VT_HRESULT) {
    hr = static_cast<HRESULT>(static_cast<std::uint32_t>(rc));
  } else if (result_vt != VT_VOID && f->retval_index < 0 && result) {
    // A method that returns its value directly.
    VariantClear(result);
    result->vt = result_vt;
    std::memcpy(&result->llVal, &rc, std::min(sizeof rc, sizeof result->llVal));
  }
  if (FAILED(hr)) {
    if (f->retval_index >= 0) slots[f->retval_index].temp.vt = VT_EMPTY;  // nothing was stored
    if (!excep_info) return hr;
    FillException(hr, excep_info);
    return DISP_E_EXCEPTION;
  }
  if (f->retval_index >= 0) TakeRetval(f->plans[f->retval_index], &slots[f->retval_index], result);
  return S_OK;
}

}  // namespace com
