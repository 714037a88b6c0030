// ITypeLib and ITypeInfo over the loaded contents of a type library.
#include <algorithm>
#include <cstring>
#include <functional>

#include "platform/win/code_page.h"
#include "type_lib_impl.h"

namespace com {

namespace {

std::u16string Wide(const std::string& utf8) { return win::Utf8ToWide(utf8); }

std::u16string Lower(std::u16string_view s) {
  std::u16string out(s);
  for (auto& c : out)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  return out;
}

ffi_type* VariantFfiType() {
  static ffi_type* elements[] = {&ffi_type_uint64, &ffi_type_uint64, &ffi_type_uint64, nullptr};
  static ffi_type type = {sizeof(VARIANT), alignof(VARIANT), FFI_TYPE_STRUCT, elements};
  return &type;
}

ffi_type* ScalarFfiType(VARTYPE vt) {
  switch (vt) {
    case VT_I1: return &ffi_type_sint8;
    case VT_UI1: return &ffi_type_uint8;
    case VT_I2: case VT_BOOL: return &ffi_type_sint16;
    case VT_UI2: return &ffi_type_uint16;
    case VT_I4: case VT_INT: case VT_ERROR: case VT_HRESULT: return &ffi_type_sint32;
    case VT_UI4: case VT_UINT: return &ffi_type_uint32;
    case VT_I8: case VT_CY: return &ffi_type_sint64;
    case VT_UI8: return &ffi_type_uint64;
    case VT_R4: return &ffi_type_float;
    case VT_R8: case VT_DATE: return &ffi_type_double;
    case VT_BSTR: case VT_DISPATCH: case VT_UNKNOWN: return &ffi_type_pointer;
    case VT_VOID: return &ffi_type_void;
    default: return nullptr;
  }
}

HRESULT GiveString(const std::u16string& text, BSTR* out) {
  if (out) *out = text.empty() ? nullptr : Bstr(text).Detach();
  return S_OK;
}

}  // namespace

// ---------------- TypeInfoImpl ----------------

TypeInfoImpl::TypeInfoImpl(TypeLibImpl* lib, unsigned index) : lib_(lib), index_(index) { Build(); }

const tlb::TypeInfo& TypeInfoImpl::Data() const { return lib_->Data().types[index_]; }

HRESULT TypeInfoImpl::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (riid == IUnknown::iid || riid == ITypeInfo::iid || riid == IID_TypeInfoImpl) {
    *object = static_cast<ITypeInfo*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG TypeInfoImpl::AddRef() { return lib_->AddRef(); }
ULONG TypeInfoImpl::Release() { return lib_->Release(); }

TYPEDESC TypeInfoImpl::MakeTypeDesc(const tlb::Type& type, std::size_t from) {
  TYPEDESC td{};
  td.vt = type.chain[from];
  if (td.vt == VT_PTR || td.vt == VT_SAFEARRAY) {
    typedescs_.push_back(MakeTypeDesc(type, from + 1));
    td.lptdesc = &typedescs_.back();
  } else if (td.vt == VT_USERDEFINED) {
    td.hreftype = static_cast<HREFTYPE>(type.ref);
  }
  return td;
}

bool TypeInfoImpl::ResolveInterfaceRef(std::int32_t ref, IID* iid, bool* dispatchable) {
  const auto& lib = lib_->Data();
  const auto& r = lib.refs[ref];
  switch (r.kind) {
    case tlb::Reference::StdUnknown: *iid = IUnknown::iid; *dispatchable = false; return true;
    case tlb::Reference::StdDispatch: *iid = IDispatch::iid; *dispatchable = true; return true;
    case tlb::Reference::Imported:
      if (r.kind_hint == TKIND_ENUM) return false;
      *iid = r.guid;
      *dispatchable = (r.flags & TYPEFLAG_FDISPATCHABLE) != 0;
      if (r.kind_hint == TKIND_COCLASS) *iid = IDispatch::iid, *dispatchable = true;
      return true;
    case tlb::Reference::Local: {
      const auto& t = lib.types[r.index];
      if (t.kind == TKIND_INTERFACE || t.kind == TKIND_DISPATCH) {
        *iid = t.kind == TKIND_DISPATCH ? IDispatch::iid : t.guid;
        *dispatchable = (t.flags & TYPEFLAG_FDISPATCHABLE) != 0;
        return true;
      }
      if (t.kind == TKIND_COCLASS) {
        for (const auto& im : t.impls)
          if ((im.flags & IMPLTYPEFLAG_FDEFAULT) && !(im.flags & IMPLTYPEFLAG_FSOURCE))
            return ResolveInterfaceRef(im.ref, iid, dispatchable);
        return ResolveInterfaceRef(t.impls[0].ref, iid, dispatchable);
      }
      return false;
    }
  }
  return false;
}

namespace {
bool IsEnumRef(const tlb::Library& lib, std::int32_t ref) {
  const auto& r = lib.refs[ref];
  if (r.kind == tlb::Reference::Imported) return r.kind_hint == TKIND_ENUM;
  return r.kind == tlb::Reference::Local && lib.types[r.index].kind == TKIND_ENUM;
}
}  // namespace

ParamPlan TypeInfoImpl::Plan(const tlb::Type& type, USHORT flags, HRESULT* hr) {
  ParamPlan p;
  p.retval = flags & PARAMFLAG_FRETVAL;
  p.optional = flags & PARAMFLAG_FOPT;
  p.has_default = flags & PARAMFLAG_FHASDEFAULT;
  const auto& c = type.chain;
  const auto& lib = lib_->Data();
  auto scalar = [&](VARTYPE vt) { return ScalarFfiType(vt) != nullptr && vt != VT_VOID && vt != VT_HRESULT; };
  *hr = S_OK;
  if (c[0] == VT_PTR) {
    VARTYPE inner = c[1];
    if (inner == VT_VARIANT) p.kind = ParamPlan::PtrVariant;
    else if (inner == VT_SAFEARRAY) p.kind = ParamPlan::PtrArray, p.vt = c.size() > 2 ? c[2] : static_cast<VARTYPE>(VT_VARIANT);
    else if (inner == VT_USERDEFINED && IsEnumRef(lib, type.ref)) p.kind = ParamPlan::PtrScalar, p.vt = VT_I4;
    else if (inner == VT_USERDEFINED) {
      bool disp = false;
      if (!ResolveInterfaceRef(type.ref, &p.iid, &disp)) *hr = TYPE_E_TYPEMISMATCH;
      p.kind = ParamPlan::Interface;
      p.vt = disp ? VT_DISPATCH : VT_UNKNOWN;
    } else if (inner == VT_PTR && c.size() == 3 && c[2] == VT_USERDEFINED) {
      bool disp = false;
      if (!ResolveInterfaceRef(type.ref, &p.iid, &disp)) *hr = TYPE_E_TYPEMISMATCH;
      p.kind = ParamPlan::PtrInterface;
      p.vt = disp ? VT_DISPATCH : VT_UNKNOWN;
    } else if (scalar(inner) && c.size() == 2) p.kind = ParamPlan::PtrScalar, p.vt = inner;
    else *hr = TYPE_E_TYPEMISMATCH;
    if (p.retval && p.kind == ParamPlan::Interface) *hr = TYPE_E_TYPEMISMATCH;  // retval needs **
  } else if (c[0] == VT_VARIANT) {
    p.kind = ParamPlan::VariantValue;
  } else if (c[0] == VT_SAFEARRAY) {
    p.kind = ParamPlan::ArrayValue;
    p.vt = c[1];
  } else if (c[0] == VT_USERDEFINED && IsEnumRef(lib, type.ref)) {
    p.kind = ParamPlan::Scalar;
    p.vt = VT_I4;
  } else if (scalar(c[0])) {
    p.kind = ParamPlan::Scalar;
    p.vt = c[0];
  } else {
    *hr = TYPE_E_TYPEMISMATCH;
  }
  return p;
}

void TypeInfoImpl::Build() {
  const auto& lib = lib_->Data();
  const auto& t = Data();
  attr_.guid = t.guid;
  attr_.lcid = lib.lcid;
  attr_.memidConstructor = MEMBERID_NIL;
  attr_.memidDestructor = MEMBERID_NIL;
  attr_.typekind = static_cast<TYPEKIND>(t.kind);
  attr_.cFuncs = static_cast<WORD>(t.functions.size());
  attr_.cVars = static_cast<WORD>(t.constants.size());
  attr_.cImplTypes = static_cast<WORD>(t.kind == TKIND_COCLASS ? t.impls.size() : (t.base >= 0 ? 1 : 0));
  attr_.cbAlignment = alignof(void*);
  attr_.cbSizeInstance = t.kind == TKIND_ENUM ? 4 : sizeof(void*);
  attr_.wTypeFlags = t.flags;
  attr_.wMajorVerNum = t.major;
  attr_.wMinorVerNum = t.minor;

  for (std::size_t i = 0; i < t.constants.size(); ++i) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = t.constants[i].value;
    constant_values_.push_back(v);
    VARDESC d{};
    d.memid = static_cast<MEMBERID>(0x40000000 + i);
    d.lpvarValue = &constant_values_.back();
    d.elemdescVar.tdesc.vt = VT_I4;
    d.varkind = VAR_CONST;
    vars_.push_back(d);
    by_name_.emplace(Lower(Wide(t.constants[i].name)), -1 - static_cast<int>(i));
  }

  functions_.resize(t.functions.size());
  for (std::size_t i = 0; i < t.functions.size(); ++i) {
    const auto& src = t.functions[i];
    auto& f = functions_[i];
    f.names.push_back(Wide(src.name));
    f.help = Wide(src.help);
    f.elems.resize(src.params.size());
    short optional = 0;
    for (std::size_t k = 0; k < src.params.size(); ++k) {
      const auto& p = src.params[k];
      f.names.push_back(Wide(p.name));
      ELEMDESC& e = f.elems[k];
      e.tdesc = MakeTypeDesc(p.type, 0);
      e.paramdesc.wParamFlags = p.flags;
      if (p.flags & PARAMFLAG_FHASDEFAULT) {
        PARAMDESCEX ex{};
        ex.cBytes = sizeof(PARAMDESCEX);
        VariantInit(&ex.varDefaultValue);
        ex.varDefaultValue.vt = p.default_vt;
        if (p.default_vt == VT_I4) ex.varDefaultValue.lVal = static_cast<std::int32_t>(p.default_int);
        if (p.default_vt == VT_BOOL) ex.varDefaultValue.boolVal = p.default_int ? VARIANT_TRUE : VARIANT_FALSE;
        if (p.default_vt == VT_R8) ex.varDefaultValue.dblVal = p.default_real;
        if (p.default_vt == VT_BSTR) ex.varDefaultValue.bstrVal = Bstr(Wide(p.default_text)).Detach();
        defaults_.push_back(ex);
        e.paramdesc.pparamdescex = &defaults_.back();
      }
      if (p.flags & PARAMFLAG_FOPT) ++optional;
      if (p.flags & PARAMFLAG_FRETVAL) f.retval_index = static_cast<int>(k);
    }
    f.desc.memid = src.memid;
    f.desc.lprgelemdescParam = f.elems.empty() ? nullptr : f.elems.data();
    f.desc.funckind = t.kind == TKIND_DISPATCH ? FUNC_DISPATCH : FUNC_PUREVIRTUAL;
    f.desc.invkind = static_cast<INVOKEKIND>(src.invkind);
    f.desc.callconv = CC_STDCALL;
    f.desc.cParams = static_cast<short>(src.params.size());
    f.desc.cParamsOpt = optional;
    f.desc.oVft = 0;  // set by EnsureLayout
    f.desc.elemdescFunc.tdesc = MakeTypeDesc(src.result, 0);
    f.desc.wFuncFlags = src.flags;
    by_name_.emplace(Lower(f.names[0]), static_cast<int>(i));
    if (t.kind == TKIND_INTERFACE) PrepareCall(f, src);
  }
  if (t.kind == TKIND_INTERFACE && t.base >= 0) {
    const auto& r = lib.refs[t.base];
    if (r.kind == tlb::Reference::Local) local_base_ = lib_->Type(static_cast<unsigned>(r.index));
  }
}

void TypeInfoImpl::PrepareCall(FunctionRuntime& f, const tlb::Function& src) {
  ffi_type* ret = nullptr;
  if (src.result.chain.size() == 1) ret = ScalarFfiType(src.result.chain[0]);
  if (!ret) return;
  f.ffi_args.push_back(&ffi_type_pointer);  // this
  for (const auto& p : src.params) {
    HRESULT hr;
    ParamPlan plan = Plan(p.type, p.flags, &hr);
    if (FAILED(hr)) return;
    f.plans.push_back(plan);
    switch (plan.kind) {
      case ParamPlan::Scalar: f.ffi_args.push_back(ScalarFfiType(plan.vt)); break;
      case ParamPlan::VariantValue: f.ffi_args.push_back(VariantFfiType()); break;
      default: f.ffi_args.push_back(&ffi_type_pointer); break;
    }
  }
  if (ffi_prep_cif(&f.cif, FFI_DEFAULT_ABI, static_cast<unsigned>(f.ffi_args.size()), ret, f.ffi_args.data()) != FFI_OK)
    return;
  f.callable = true;
}

HRESULT TypeInfoImpl::EnsureLayout() {
  int state = layout_.load(std::memory_order_acquire);
  if (state == 1) return S_OK;
  if (state == -1) return layout_error_;
  std::lock_guard lock(layout_mutex_);
  if (layout_ == 1) return S_OK;
  if (layout_ == -1) return layout_error_;
  const auto& t = Data();
  WORD base_size = 0;
  if (t.kind == TKIND_INTERFACE && t.base >= 0) {
    ComPtr<ITypeInfo> base;
    HRESULT hr = lib_->ResolveRef(t.base, base.Put());
    TYPEATTR* attr = nullptr;
    if (SUCCEEDED(hr)) hr = base->GetTypeAttr(&attr);
    if (FAILED(hr)) {
      layout_error_ = hr;
      layout_ = -1;
      return hr;
    }
    base_size = attr->cbSizeVft;
    base->ReleaseTypeAttr(attr);
  }
  if (t.kind == TKIND_INTERFACE) {
    for (std::size_t i = 0; i < functions_.size(); ++i)
      functions_[i].desc.oVft = static_cast<short>(base_size + i * sizeof(void*));
    attr_.cbSizeVft = static_cast<WORD>(base_size + functions_.size() * sizeof(void*));
  } else if (t.kind == TKIND_DISPATCH) {
    attr_.cbSizeVft = 7 * sizeof(void*);
  }
  layout_.store(1, std::memory_order_release);
  return S_OK;
}

const FunctionRuntime* TypeInfoImpl::FindFunction(MEMBERID id, WORD flags, bool* any_kind) {
  const FunctionRuntime* get = nullptr;
  const FunctionRuntime* method = nullptr;
  const FunctionRuntime* put = nullptr;
  const FunctionRuntime* putref = nullptr;
  for (const auto& f : functions_) {
    if (f.desc.memid != id) continue;
    *any_kind = true;
    switch (f.desc.invkind) {
      case INVOKE_FUNC: method = &f; break;
      case INVOKE_PROPERTYGET: get = &f; break;
      case INVOKE_PROPERTYPUT: put = &f; break;
      case INVOKE_PROPERTYPUTREF: putref = &f; break;
    }
  }
  if (!*any_kind && local_base_) return local_base_->FindFunction(id, flags, any_kind);
  if (flags & DISPATCH_PROPERTYPUTREF) return putref ? putref : put;
  if (flags & DISPATCH_PROPERTYPUT) return put ? put : putref;
  if ((flags & DISPATCH_METHOD) && method) return method;
  if (flags & DISPATCH_PROPERTYGET) return get;
  return nullptr;
}

const FunctionRuntime* TypeInfoImpl::FindByName(std::u16string_view name) {
  auto it = by_name_.find(Lower(name));
  if (it != by_name_.end() && it->second >= 0) return &functions_[it->second];
  if (local_base_) return local_base_->FindByName(name);
  return nullptr;
}

HRESULT TypeInfoImpl::GetTypeAttr(TYPEATTR** attr) {
  if (!attr) return E_INVALIDARG;
  EnsureLayout();
  *attr = &attr_;
  return S_OK;
}

HRESULT TypeInfoImpl::GetTypeComp(ITypeComp** comp) {
  if (comp) *comp = nullptr;
  return E_NOTIMPL;
}

HRESULT TypeInfoImpl::GetFuncDesc(unsigned index, FUNCDESC** desc) {
  if (!desc) return E_INVALIDARG;
  if (index >= functions_.size()) return TYPE_E_ELEMENTNOTFOUND;
  EnsureLayout();
  *desc = &functions_[index].desc;
  return S_OK;
}

HRESULT TypeInfoImpl::GetVarDesc(unsigned index, VARDESC** desc) {
  if (!desc) return E_INVALIDARG;
  if (index >= vars_.size()) return TYPE_E_ELEMENTNOTFOUND;
  *desc = &vars_[index];
  return S_OK;
}

HRESULT TypeInfoImpl::GetNames(MEMBERID id, BSTR* names, unsigned max, unsigned* count) {
  if (!names || !count) return E_INVALIDARG;
  *count = 0;
  for (const auto& f : functions_) {
    if (f.desc.memid != id) continue;
    for (const auto& n : f.names) {
      if (*count >= max) break;
      names[(*count)++] = Bstr(n).Detach();
    }
    return S_OK;
  }
  for (std::size_t i = 0; i < vars_.size(); ++i) {
    if (vars_[i].memid != id) continue;
    if (max > 0) names[(*count)++] = Bstr(Wide(Data().constants[i].name)).Detach();
    return S_OK;
  }
  if (local_base_) return local_base_->GetNames(id, names, max, count);
  return TYPE_E_ELEMENTNOTFOUND;
}

HRESULT TypeInfoImpl::GetRefTypeOfImplType(unsigned index, HREFTYPE* ref) {
  if (!ref) return E_INVALIDARG;
  const auto& t = Data();
  if (t.kind == TKIND_COCLASS) {
    if (index >= t.impls.size()) return TYPE_E_ELEMENTNOTFOUND;
    *ref = static_cast<HREFTYPE>(t.impls[index].ref);
    return S_OK;
  }
  if (index != 0 || t.base < 0) return TYPE_E_ELEMENTNOTFOUND;
  *ref = static_cast<HREFTYPE>(t.base);
  return S_OK;
}

HRESULT TypeInfoImpl::GetImplTypeFlags(unsigned index, int* flags) {
  if (!flags) return E_INVALIDARG;
  const auto& t = Data();
  if (t.kind == TKIND_COCLASS) {
    if (index >= t.impls.size()) return TYPE_E_ELEMENTNOTFOUND;
    *flags = t.impls[index].flags;
    return S_OK;
  }
  if (index != 0 || t.base < 0) return TYPE_E_ELEMENTNOTFOUND;
  *flags = 0;
  return S_OK;
}

HRESULT TypeInfoImpl::GetIDsOfNames(OLECHAR** names, unsigned count, MEMBERID* ids) {
  return DispGetIDsOfNames(this, names, count, ids);
}

HRESULT TypeInfoImpl::Invoke(void* instance, MEMBERID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                             EXCEPINFO* excep_info, unsigned* arg_err) {
  return DispInvoke(instance, this, id, flags, params, result, excep_info, arg_err);
}

HRESULT TypeInfoImpl::GetDocumentation(MEMBERID id, BSTR* name, BSTR* doc, DWORD* help_context, BSTR* help_file) {
  if (help_context) *help_context = 0;
  if (help_file) *help_file = nullptr;
  const auto& t = Data();
  if (id == MEMBERID_NIL) {
    GiveString(Wide(t.name), name);
    return GiveString(Wide(t.help), doc);
  }
  for (const auto& f : functions_) {
    if (f.desc.memid != id) continue;
    GiveString(f.names[0], name);
    return GiveString(f.help, doc);
  }
  for (std::size_t i = 0; i < vars_.size(); ++i) {
    if (vars_[i].memid != id) continue;
    GiveString(Wide(t.constants[i].name), name);
    return GiveString(u"", doc);
  }
  if (local_base_) return local_base_->GetDocumentation(id, name, doc, help_context, help_file);
  return TYPE_E_ELEMENTNOTFOUND;
}

HRESULT TypeInfoImpl::GetDllEntry(MEMBERID, INVOKEKIND, BSTR*, BSTR*, WORD*) { return TYPE_E_BADMODULEKIND; }

HRESULT TypeInfoImpl::GetRefTypeInfo(HREFTYPE ref, ITypeInfo** info) {
  if (!info) return E_INVALIDARG;
  *info = nullptr;
  if (ref >= lib_->Data().refs.size()) return TYPE_E_ELEMENTNOTFOUND;
  return lib_->ResolveRef(static_cast<std::int32_t>(ref), info);
}

HRESULT TypeInfoImpl::AddressOfMember(MEMBERID, INVOKEKIND, void** address) {
  if (address) *address = nullptr;
  return E_NOTIMPL;
}

HRESULT TypeInfoImpl::CreateInstance(IUnknown* outer, REFIID, void** object) {
  if (!object) return E_INVALIDARG;
  *object = nullptr;
  if (Data().kind != TKIND_COCLASS) return TYPE_E_WRONGTYPEKIND;
  if (outer) return CLASS_E_NOAGGREGATION;
  return E_NOTIMPL;  // creation goes through CoCreateInstance
}

HRESULT TypeInfoImpl::GetMops(MEMBERID, BSTR* mops) {
  if (mops) *mops = nullptr;
  return S_OK;
}

HRESULT TypeInfoImpl::GetContainingTypeLib(ITypeLib** lib, unsigned* index) {
  if (index) *index = index_;
  if (lib) {
    *lib = lib_;
    lib_->AddRef();
  }
  return S_OK;
}

void TypeInfoImpl::ReleaseTypeAttr(TYPEATTR*) {}
void TypeInfoImpl::ReleaseFuncDesc(FUNCDESC*) {}
void TypeInfoImpl::ReleaseVarDesc(VARDESC*) {}

// ---------------- TypeLibImpl ----------------

TypeLibImpl::TypeLibImpl(tlb::Library lib) : data_(std::move(lib)) {
  attr_.guid = data_.libid;
  attr_.lcid = data_.lcid;
  attr_.syskind = SYS_WIN32;
  attr_.wMajorVerNum = data_.major;
  attr_.wMinorVerNum = data_.minor;
  attr_.wLibFlags = data_.flags;
  imports_.resize(data_.imports.size());
  types_.resize(data_.types.size());
  // Parents before children, so that a local parent exists when its child is built.
  std::vector<int> state(data_.types.size(), 0);
  std::function<void(unsigned)> build = [&](unsigned i) {
    if (state[i]) return;
    state[i] = 1;
    const auto& t = data_.types[i];
    if (t.base >= 0 && data_.refs[t.base].kind == tlb::Reference::Local) {
      unsigned b = static_cast<unsigned>(data_.refs[t.base].index);
      if (state[b] == 0) build(b);
    }
    types_[i] = std::make_unique<TypeInfoImpl>(this, i);
  };
  for (unsigned i = 0; i < data_.types.size(); ++i) build(i);
}

TypeLibImpl::~TypeLibImpl() {
  for (auto& t : types_) (void)t;
}

HRESULT TypeLibImpl::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (riid == IUnknown::iid || riid == ITypeLib::iid) {
    *object = static_cast<ITypeLib*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG TypeLibImpl::Release() {
  ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

unsigned TypeLibImpl::GetTypeInfoCount() { return static_cast<unsigned>(types_.size()); }

HRESULT TypeLibImpl::GetTypeInfo(unsigned index, ITypeInfo** info) {
  if (!info) return E_INVALIDARG;
  *info = nullptr;
  if (index >= types_.size()) return TYPE_E_ELEMENTNOTFOUND;
  *info = types_[index].get();
  AddRef();
  return S_OK;
}

HRESULT TypeLibImpl::GetTypeInfoType(unsigned index, TYPEKIND* kind) {
  if (!kind) return E_INVALIDARG;
  if (index >= types_.size()) return TYPE_E_ELEMENTNOTFOUND;
  *kind = static_cast<TYPEKIND>(data_.types[index].kind);
  return S_OK;
}

HRESULT TypeLibImpl::GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** info) {
  if (!info) return E_INVALIDARG;
  *info = nullptr;
  for (unsigned i = 0; i < types_.size(); ++i)
    if (data_.types[i].guid == guid && guid != GUID_NULL) return GetTypeInfo(i, info);
  return TYPE_E_ELEMENTNOTFOUND;
}

HRESULT TypeLibImpl::GetLibAttr(TLIBATTR** attr) {
  if (!attr) return E_INVALIDARG;
  *attr = &attr_;
  return S_OK;
}

HRESULT TypeLibImpl::GetTypeComp(ITypeComp** comp) {
  if (comp) *comp = nullptr;
  return E_NOTIMPL;
}

HRESULT TypeLibImpl::GetDocumentation(int index, BSTR* name, BSTR* doc, DWORD* help_context, BSTR* help_file) {
  if (help_context) *help_context = 0;
  if (help_file) *help_file = nullptr;
  if (index == -1) {
    GiveString(Wide(data_.name), name);
    return GiveString(Wide(data_.help), doc);
  }
  if (index < 0 || static_cast<unsigned>(index) >= types_.size()) return TYPE_E_ELEMENTNOTFOUND;
  GiveString(Wide(data_.types[index].name), name);
  return GiveString(Wide(data_.types[index].help), doc);
}

HRESULT TypeLibImpl::IsName(OLECHAR* name, ULONG, int* found) {
  if (!name || !found) return E_INVALIDARG;
  std::u16string wanted = Lower(name);
  *found = 0;
  for (unsigned i = 0; i < types_.size() && !*found; ++i) {
    if (Lower(Wide(data_.types[i].name)) == wanted) *found = 1;
    for (const auto& f : data_.types[i].functions)
      if (Lower(Wide(f.name)) == wanted) *found = 1;
  }
  return S_OK;
}

HRESULT TypeLibImpl::FindName(OLECHAR* name, ULONG, ITypeInfo** infos, MEMBERID* ids, USHORT* found) {
  if (!name || !infos || !ids || !found) return E_INVALIDARG;
  std::u16string wanted = Lower(name);
  USHORT max = *found, n = 0;
  for (unsigned i = 0; i < types_.size() && n < max; ++i) {
    const auto& t = data_.types[i];
    MEMBERID id = MEMBERID_NIL;
    bool hit = Lower(Wide(t.name)) == wanted;
    for (const auto& f : t.functions)
      if (!hit && Lower(Wide(f.name)) == wanted) hit = true, id = f.memid;
    if (hit) {
      GetTypeInfo(i, &infos[n]);
      ids[n++] = id;
    }
  }
  *found = n;
  return S_OK;
}

void TypeLibImpl::ReleaseTLibAttr(TLIBATTR*) {}

HRESULT TypeLibImpl::ResolveRef(std::int32_t ref, ITypeInfo** info) {
  if (ref < 0 || static_cast<std::size_t>(ref) >= data_.refs.size()) return TYPE_E_ELEMENTNOTFOUND;
  const auto& r = data_.refs[ref];
  switch (r.kind) {
    case tlb::Reference::Local: return GetTypeInfo(static_cast<unsigned>(r.index), info);
    case tlb::Reference::StdUnknown: return StdTypeInfo(false, info);
    case tlb::Reference::StdDispatch: return StdTypeInfo(true, info);
    case tlb::Reference::Imported: {
      ComPtr<ITypeLib> lib;
      {
        std::lock_guard lock(imports_mutex_);
        lib = imports_[r.index];
      }
      if (!lib) {
        const auto& im = data_.imports[r.index];
        HRESULT hr = LoadRegTypeLib(im.libid, im.major, im.minor, data_.lcid, lib.Put());
        if (FAILED(hr)) return hr;
        std::lock_guard lock(imports_mutex_);
        imports_[r.index] = lib;
      }
      return lib->GetTypeInfoOfGuid(r.guid, info);
    }
  }
  return TYPE_E_ELEMENTNOTFOUND;
}

// ---------------- IUnknown and IDispatch ----------------

namespace {

tlb::Library StdLibrary() {
  using namespace tlb;
  Library lib;
  lib.name = "stdole";
  lib.libid = MakeGuid("{00020430-0000-0000-C000-000000000046}");
  lib.major = 2;
  Reference unk;
  unk.kind = Reference::Local;
  unk.index = 0;
  lib.refs.push_back(unk);
  auto fn = [](const char* name, std::vector<Param> params, std::uint16_t result = VT_HRESULT) {
    Function f;
    f.name = name;
    f.memid = 0x60000000;
    f.flags = FUNCFLAG_FRESTRICTED;
    f.result.chain = {result};
    f.params = std::move(params);
    return f;
  };
  auto ptr = [](const char* name, std::uint16_t flags = PARAMFLAG_FIN) {
    Param p;
    p.name = name;
    p.flags = flags;
    p.type.chain = {VT_PTR, VT_VOID};
    return p;
  };
  TypeInfo iunknown;
  iunknown.name = "IUnknown";
  iunknown.guid = IUnknown::iid;
  iunknown.kind = TKIND_INTERFACE;
  iunknown.flags = TYPEFLAG_FHIDDEN;
  iunknown.functions = {fn("QueryInterface", {ptr("riid"), ptr("ppvObj", PARAMFLAG_FOUT)}), fn("AddRef", {}, VT_UI4),
                        fn("Release", {}, VT_UI4)};
  for (int i = 0; i < 3; ++i) iunknown.functions[i].memid = 0x60000000 + i;
  TypeInfo idispatch;
  idispatch.name = "IDispatch";
  idispatch.guid = IDispatch::iid;
  idispatch.kind = TKIND_INTERFACE;
  idispatch.flags = TYPEFLAG_FDISPATCHABLE;
  idispatch.base = 0;
  idispatch.functions = {fn("GetTypeInfoCount", {ptr("pctinfo", PARAMFLAG_FOUT)}),
                         fn("GetTypeInfo", {ptr("itinfo"), ptr("lcid"), ptr("pptinfo", PARAMFLAG_FOUT)}),
                         fn("GetIDsOfNames", {ptr("riid"), ptr("rgszNames"), ptr("cNames"), ptr("lcid"), ptr("rgdispid", PARAMFLAG_FOUT)}),
                         fn("Invoke", {ptr("dispidMember"), ptr("riid"), ptr("lcid"), ptr("wFlags"), ptr("pdispparams"),
                                       ptr("pvarResult", PARAMFLAG_FOUT), ptr("pexcepinfo", PARAMFLAG_FOUT), ptr("puArgErr", PARAMFLAG_FOUT)})};
  for (int i = 0; i < 4; ++i) idispatch.functions[i].memid = 0x60010000 + i;
  lib.types = {iunknown, idispatch};
  return lib;
}

}  // namespace

HRESULT StdTypeInfo(bool dispatch, ITypeInfo** info) {
  if (!info) return E_INVALIDARG;
  // One for the life of the process.
  static TypeLibImpl* std_lib = [] {
    auto* lib = new TypeLibImpl(StdLibrary());
    lib->AddRef();
    return lib;
  }();
  return std_lib->GetTypeInfo(dispatch ? 1 : 0, info);
}

}  // namespace com
