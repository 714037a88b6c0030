#pragma once
// ClassFactory: the IClassFactory of one class, made from a function that
// creates a new object per request. It does not keep its library loaded;
// LockServer does.
//   auto factory = com::MakeClassFactory([cls](REFIID riid, void** out) {
//     return com::CreateAndQuery<Class1>(riid, out, cls);
//   });
#include <functional>
#include <new>
#include <utility>

#include "com/object.h"

namespace com {

class ClassFactory final : public Object<IClassFactory> {
 public:
  using Creator = std::function<HRESULT(REFIID riid, void** object)>;
  explicit ClassFactory(Creator creator) : Object(Uncounted{}), creator_(std::move(creator)) {}

  HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return creator_(riid, object);
  }
  HRESULT LockServer(int lock) override {
    if (lock)
      ModuleLock();
    else
      ModuleUnlock();
    return S_OK;
  }

 private:
  Creator creator_;
};

inline ComPtr<IClassFactory> MakeClassFactory(ClassFactory::Creator creator) {
  return ComPtr<IClassFactory>(new (std::nothrow) ClassFactory(std::move(creator)));
}

// Creates T(args...) and hands out its interface riid (E_NOINTERFACE and no
// object when it has none).
template <class T, class... Args>
HRESULT CreateAndQuery(REFIID riid, void** object, Args&&... args) {
  if (!object) return E_POINTER;
  *object = nullptr;
  ComPtr<T> created = MakeObject<T>(std::forward<Args>(args)...);
  if (!created) return E_OUTOFMEMORY;
  return created->QueryInterface(riid, object);
}

}  // namespace com
