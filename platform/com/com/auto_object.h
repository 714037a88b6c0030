#pragma once
// AutoObject<Dual, Others...>: the base of an automation object whose default
// interface Dual is a dual interface described by a type library. It answers
// IUnknown, IDispatch (through the type information: DispGetIDsOfNames and
// DispInvoke, so the class declares its interface only once), Dual,
// ISupportErrorInfo (for Dual), IProvideClassInfo and Others.
//
// It belongs to the single-threaded apartment of the thread that created it:
// IDispatch calls from another thread are refused with RPC_E_WRONG_THREAD,
// and a class's own methods check OnOwnerThread() the same way.
//
//   class Class1 final : public com::AutoObject<_Class1> {
//    public:
//     using AutoObject::AutoObject;
//     HRESULT MyAdd(int32_t a, int32_t b, int32_t* sum) override;
//   };
//   // when the library initialises:
//   auto cls = com::AutoClass::Load(module_path, CLSID_Class1, u"Velmadd.Class1", &hr);
#include <memory>
#include <string>
#include <thread>

#include "com/error_info.h"
#include "com/object.h"
#include "com/typeinfo.h"

namespace com {

// The type information one automation class needs: its coclass and the
// dispatch description of its default interface.
struct AutoClass {
  ComPtr<ITypeLib> type_lib;
  ComPtr<ITypeInfo> class_info;
  ComPtr<ITypeInfo> dispatch_info;
  CLSID clsid;
  IID default_iid;
  std::u16string source;  // the source named in error information (the ProgID)

  // From the type library of the library file at ansi_path: the coclass
  // clsid and its default interface, which may live in an imported library
  // (loaded through the registry). Null with *hr telling why when either
  // cannot be loaded: then the class cannot be offered.
  static std::shared_ptr<const AutoClass> Load(const std::string& ansi_path, REFCLSID clsid, std::u16string source,
                                               HRESULT* hr);
};

template <class Dual, class... Others>
class AutoObject : public Object<Dual, ISupportErrorInfo, IProvideClassInfo, Others...> {
 public:
  explicit AutoObject(std::shared_ptr<const AutoClass> cls) : class_(std::move(cls)), owner_(std::this_thread::get_id()) {}

  HRESULT GetTypeInfoCount(unsigned* count) override {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
  }
  HRESULT GetTypeInfo(unsigned index, LCID, ITypeInfo** info) override {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    return class_->dispatch_info.CopyTo(info);
  }
  HRESULT GetIDsOfNames(REFIID, OLECHAR** names, unsigned count, LCID, DISPID* ids) override {
    if (!OnOwnerThread()) return RPC_E_WRONG_THREAD;
    return DispGetIDsOfNames(class_->dispatch_info.Get(), names, count, ids);
  }
  HRESULT Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep_info,
                 unsigned* arg_err) override {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (!OnOwnerThread()) return RPC_E_WRONG_THREAD;
    return DispInvoke(static_cast<Dual*>(this), class_->dispatch_info.Get(), id, flags, params, result, excep_info,
                      arg_err);
  }
  HRESULT InterfaceSupportsErrorInfo(REFIID riid) override { return riid == Dual::iid ? S_OK : S_FALSE; }
  HRESULT GetClassInfo(ITypeInfo** info) override {
    if (!info) return E_POINTER;
    return class_->class_info.CopyTo(info);
  }

 protected:
  bool OnOwnerThread() const { return std::this_thread::get_id() == owner_; }
  // Fails the current method with error information set, for `return Fail(...)`.
  HRESULT Fail(HRESULT hr, std::u16string_view description) const {
    return ReportError(hr, Dual::iid, class_->source, description);
  }
  const AutoClass& Class() const { return *class_; }

 private:
  std::shared_ptr<const AutoClass> class_;
  std::thread::id owner_;
};

}  // namespace com
