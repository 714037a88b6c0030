#pragma once
// The loaded form of a type library: TypeLibImpl owns the library's contents
// and one TypeInfoImpl per type; a TypeInfoImpl's references count on its
// library. DispInvoke reaches the implementation through QueryInterface with
// IID_TypeInfoImpl, so it works on any ITypeInfo this runtime made.
#include <ffi.h>

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "com/com_ptr.h"
#include "com/typeinfo.h"
#include "typelib_model.h"

namespace com {

inline constexpr IID IID_TypeInfoImpl = MakeGuid("{6A1E3C0B-5D02-4C6F-9B1E-7E2F0D4C9A11}");

class TypeLibImpl;

// How Invoke passes one parameter to the vtable slot.
struct ParamPlan {
  enum Kind : std::uint8_t {
    Scalar,         // by value: coerced to vt
    VariantValue,   // VARIANT by value
    Interface,      // interface pointer by value: QueryInterface for iid
    ArrayValue,     // SAFEARRAY* by value
    PtrScalar,      // by reference: the argument must be VT_BYREF | vt
    PtrVariant,     // VARIANT*: a by-reference variant, or the argument itself
    PtrInterface,   // interface** by reference
    PtrArray,       // SAFEARRAY** by reference
  } kind = Scalar;
  VARTYPE vt = VT_EMPTY;  // Scalar, PtrScalar: the value type; interfaces: VT_DISPATCH or VT_UNKNOWN
  IID iid;                // Interface
  bool retval = false;
  bool optional = false;
  bool has_default = false;
};

struct FunctionRuntime {
  FUNCDESC desc{};
  std::vector<ELEMDESC> elems;
  std::vector<std::u16string> names;  // member name, then parameter names
  std::u16string help;
  std::vector<ParamPlan> plans;
  int retval_index = -1;
  bool callable = false;  // the vtable call could be prepared
  ffi_cif cif{};
  std::vector<ffi_type*> ffi_args;
};

class TypeInfoImpl final : public ITypeInfo {
 public:
  TypeInfoImpl(TypeLibImpl* lib, unsigned index);

  HRESULT QueryInterface(REFIID riid, void** object) override;
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT GetTypeAttr(TYPEATTR** attr) override;
  HRESULT GetTypeComp(ITypeComp** comp) override;
  HRESULT GetFuncDesc(unsigned index, FUNCDESC** desc) override;
  HRESULT GetVarDesc(unsigned index, VARDESC** desc) override;
  HRESULT GetNames(MEMBERID id, BSTR* names, unsigned max, unsigned* count) override;
  HRESULT GetRefTypeOfImplType(unsigned index, HREFTYPE* ref) override;
  HRESULT GetImplTypeFlags(unsigned index, int* flags) override;
  HRESULT GetIDsOfNames(OLECHAR** names, unsigned count, MEMBERID* ids) override;
  HRESULT Invoke(void* instance, MEMBERID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep_info,
                 unsigned* arg_err) override;
  HRESULT GetDocumentation(MEMBERID id, BSTR* name, BSTR* doc, DWORD* help_context, BSTR* help_file) override;
  HRESULT GetDllEntry(MEMBERID id, INVOKEKIND kind, BSTR* dll, BSTR* name, WORD* ordinal) override;
  HRESULT GetRefTypeInfo(HREFTYPE ref, ITypeInfo** info) override;
  HRESULT AddressOfMember(MEMBERID id, INVOKEKIND kind, void** address) override;
  HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
  HRESULT GetMops(MEMBERID id, BSTR* mops) override;
  HRESULT GetContainingTypeLib(ITypeLib** lib, unsigned* index) override;
  void ReleaseTypeAttr(TYPEATTR* attr) override;
  void ReleaseFuncDesc(FUNCDESC* desc) override;
  void ReleaseVarDesc(VARDESC* desc) override;

  // For DispInvoke and DispGetIDsOfNames: the member by DISPID and invoke
  // flags (this type and its local parents); null when there is none.
  // *any_kind tells whether the DISPID exists at all.
  const FunctionRuntime* FindFunction(MEMBERID id, WORD flags, bool* any_kind);
  const FunctionRuntime* FindByName(std::u16string_view name);
  HRESULT EnsureLayout();
  const tlb::TypeInfo& Data() const;

 private:
  void Build();
  TYPEDESC MakeTypeDesc(const tlb::Type& type, std::size_t from);
  ParamPlan Plan(const tlb::Type& type, USHORT flags, HRESULT* hr);
  bool ResolveInterfaceRef(std::int32_t ref, IID* iid, bool* dispatchable);
  void PrepareCall(FunctionRuntime& f, const tlb::Function& src);

  TypeLibImpl* lib_;
  unsigned index_;
  TYPEATTR attr_{};
  std::vector<FunctionRuntime> functions_;
  std::vector<VARDESC> vars_;
  std::deque<VARIANT> constant_values_;
  std::deque<TYPEDESC> typedescs_;
  std::deque<PARAMDESCEX> defaults_;
  std::unordered_map<std::u16string, int> by_name_;  // lower-case name -> first function index
  std::mutex layout_mutex_;
  std::atomic<int> layout_ = 0;  // 0 not done, 1 done, -1 failed
  HRESULT layout_error_ = S_OK;
  TypeInfoImpl* local_base_ = nullptr;
};

class TypeLibImpl final : public ITypeLib {
 public:
  explicit TypeLibImpl(tlb::Library lib);
  ~TypeLibImpl();

  HRESULT QueryInterface(REFIID riid, void** object) override;
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override;
  unsigned GetTypeInfoCount() override;
  HRESULT GetTypeInfo(unsigned index, ITypeInfo** info) override;
  HRESULT GetTypeInfoType(unsigned index, TYPEKIND* kind) override;
  HRESULT GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** info) override;
  HRESULT GetLibAttr(TLIBATTR** attr) override;
  HRESULT GetTypeComp(ITypeComp** comp) override;
  HRESULT GetDocumentation(int index, BSTR* name, BSTR* doc, DWORD* help_context, BSTR* help_file) override;
  HRESULT IsName(OLECHAR* name, ULONG hash, int* found) override;
  HRESULT FindName(OLECHAR* name, ULONG hash, ITypeInfo** infos, MEMBERID* ids, USHORT* found) override;
  void ReleaseTLibAttr(TLIBATTR* attr) override;

  const tlb::Library& Data() const { return data_; }
  TypeInfoImpl* Type(unsigned index) { return types_[index].get(); }
  // The type information a reference names; imported libraries are loaded
  // through the registry the first time.
  HRESULT ResolveRef(std::int32_t ref, ITypeInfo** info);

 private:
  tlb::Library data_;
  TLIBATTR attr_{};
  std::vector<std::unique_ptr<TypeInfoImpl>> types_;
  std::atomic<ULONG> refs_{0};
  std::mutex imports_mutex_;
  std::vector<ComPtr<ITypeLib>> imports_;
};

// The type information of IUnknown and IDispatch themselves.
HRESULT StdTypeInfo(bool dispatch, ITypeInfo** info);

}  // namespace com
