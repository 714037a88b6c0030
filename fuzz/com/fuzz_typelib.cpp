// Compiled type libraries and library files from outside: loading must give
// a type library or an error, never a crash, and what loads must be usable.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "com/resource.h"
#include "com/com_ptr.h"
#include "com/typeinfo.h"

using namespace com;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static bool once = [] {
    setenv("VELMORA_REGISTRY", "/nonexistent/velcom-fuzz/registry.xml", 1);  // imports resolve to nothing
    return true;
  }();
  (void)once;
  std::vector<std::uint8_t> resource;
  FindResourceInImage(data, size, "TYPELIB", 1, &resource);
  ComPtr<ITypeLib> lib;
  if (FAILED(LoadTypeLibFromMemory(data, size, lib.Put()))) return 0;
  for (unsigned t = 0; t < lib->GetTypeInfoCount(); ++t) {
    ComPtr<ITypeInfo> info;
    TYPEATTR* attr = nullptr;
    if (FAILED(lib->GetTypeInfo(t, info.Put())) || FAILED(info->GetTypeAttr(&attr))) continue;
    for (unsigned f = 0; f < attr->cFuncs; ++f) {
      FUNCDESC* fd = nullptr;
      if (FAILED(info->GetFuncDesc(f, &fd))) continue;
      BSTR names[8];
      unsigned count = 0;
      if (SUCCEEDED(info->GetNames(fd->memid, names, 8, &count)))
        for (unsigned i = 0; i < count; ++i) {
          DISPID id;
          DispGetIDsOfNames(info.Get(), &names[i], 1, &id);
          SysFreeString(names[i]);
        }
    }
    for (unsigned i = 0; i < attr->cImplTypes; ++i) {
      HREFTYPE ref;
      ComPtr<ITypeInfo> other;
      if (SUCCEEDED(info->GetRefTypeOfImplType(i, &ref))) info->GetRefTypeInfo(ref, other.Put());
    }
  }
  return 0;
}
