#pragma once
// Object<Interfaces...>: the base of a COM object. It answers QueryInterface
// for each listed interface and its parents, counts references (the object
// deletes itself at 0) and counts itself among the live objects of its own
// shared library, which DllCanUnloadNow consults (ModuleCanUnload).
//
//   class Thing : public com::Object<IThing, ISupportErrorInfo> { ... };
//   com::ComPtr<IThing> thing = com::MakeObject<Thing>(args...);
#include <atomic>
#include <new>
#include <type_traits>
#include <utility>

#include "com/com_ptr.h"
#include "com/unknown.h"

namespace com {

namespace detail {
// One counter per shared library (hidden: never shared across libraries).
__attribute__((visibility("hidden"))) inline std::atomic<long> module_objects{0};
__attribute__((visibility("hidden"))) inline std::atomic<long> module_locks{0};

template <class I>
constexpr bool IidMatches(REFIID riid) {
  if (riid == I::iid) return true;
  if constexpr (std::is_same_v<I, IUnknown>)
    return false;
  else
    return IidMatches<typename I::Base>(riid);
}
}  // namespace detail

// Live objects and server locks of the calling shared library.
inline long ModuleObjectCount() { return detail::module_objects.load(); }
inline void ModuleLock() { ++detail::module_locks; }
inline void ModuleUnlock() { --detail::module_locks; }
// What DllCanUnloadNow answers: S_OK when no object lives and no lock is held.
inline bool ModuleCanUnload() { return detail::module_objects.load() == 0 && detail::module_locks.load() == 0; }

// Tag for objects that must not keep their library loaded (class factories).
struct Uncounted {};

template <class First, class... Rest>
class Object : public First, public Rest... {
 public:
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid == IUnknown::iid) {
      *object = static_cast<IUnknown*>(static_cast<First*>(this));
    } else if (!Find<First, Rest...>(riid, object)) {
      *object = QueryExtra(riid);
      if (!*object) return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  // The object's IUnknown.
  IUnknown* Unknown() { return static_cast<First*>(this); }
  ULONG RefCount() const { return refs_.load(); }

 protected:
  Object() { ++detail::module_objects; }
  explicit Object(Uncounted) : counted_(false) {}
  virtual ~Object() {
    if (counted_) --detail::module_objects;
  }
  // For interfaces answered otherwise (for example an event interface id
  // answered with IDispatch): return the pointer to hand out, or null.
  virtual void* QueryExtra(REFIID) { return nullptr; }

 private:
  template <class I, class... More>
  bool Find(REFIID riid, void** object) {
    if (detail::IidMatches<I>(riid)) {
      *object = static_cast<I*>(this);
      return true;
    }
    if constexpr (sizeof...(More) > 0)
      return Find<More...>(riid, object);
    else
      return false;
  }

  std::atomic<ULONG> refs_{0};
  bool counted_ = true;
};

// Creates T and returns its first reference (null when out of memory).
template <class T, class... Args>
ComPtr<T> MakeObject(Args&&... args) {
  T* object = new (std::nothrow) T(std::forward<Args>(args)...);
  return ComPtr<T>(object);
}

}  // namespace com
