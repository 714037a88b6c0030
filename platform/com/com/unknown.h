#pragma once
// IUnknown, the root of every interface. An interface is an abstract class
// whose virtual functions are in the platform's slot order, so an object
// crosses library boundaries as a pointer to its vtable. Every interface
// names its identifier as `iid` and its parent interface as `Base`.
// Interfaces have no virtual destructor (it would add slots): an object is
// destroyed by its own Release.
#include "com/guid.h"
#include "com/hresult.h"

namespace com {

class IUnknown {
 public:
  static constexpr IID iid = MakeGuid("{00000000-0000-0000-C000-000000000046}");
  virtual HRESULT QueryInterface(REFIID riid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};

// The identifier of interface I.
template <class I>
constexpr const IID& IidOf() {
  return I::iid;
}

// IClassFactory: makes the objects of one class.
class IClassFactory : public IUnknown {
 public:
  static constexpr IID iid = MakeGuid("{00000001-0000-0000-C000-000000000046}");
  using Base = IUnknown;
  virtual HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) = 0;
  virtual HRESULT LockServer(int lock) = 0;  // BOOL

 protected:
  ~IClassFactory() = default;
};

}  // namespace com
