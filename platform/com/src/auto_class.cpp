#include "com/auto_object.h"

namespace com {

std::shared_ptr<const AutoClass> AutoClass::Load(const std::string& ansi_path, REFCLSID clsid, std::u16string source,
                                                 HRESULT* hr) {
  HRESULT ignored;
  if (!hr) hr = &ignored;
  auto cls = std::make_shared<AutoClass>();
  cls->clsid = clsid;
  cls->source = std::move(source);
  *hr = LoadTypeLibFromFile(ansi_path, cls->type_lib.Put());
  if (FAILED(*hr)) return nullptr;
  *hr = cls->type_lib->GetTypeInfoOfGuid(clsid, cls->class_info.Put());
  if (FAILED(*hr)) return nullptr;
  TYPEATTR* attr = nullptr;
  *hr = cls->class_info->GetTypeAttr(&attr);
  if (FAILED(*hr)) return nullptr;
  bool coclass = attr->typekind == TKIND_COCLASS;
  unsigned impls = attr->cImplTypes;
  cls->class_info->ReleaseTypeAttr(attr);
  if (!coclass) return *hr = TYPE_E_WRONGTYPEKIND, nullptr;
  // The default interface (not a source one), or the first.
  unsigned chosen = 0;
  for (unsigned i = 0; i < impls; ++i) {
    int flags = 0;
    cls->class_info->GetImplTypeFlags(i, &flags);
    if ((flags & IMPLTYPEFLAG_FDEFAULT) && !(flags & IMPLTYPEFLAG_FSOURCE)) {
      chosen = i;
      break;
    }
  }
  HREFTYPE ref;
  *hr = cls->class_info->GetRefTypeOfImplType(chosen, &ref);
  if (SUCCEEDED(*hr)) *hr = cls->class_info->GetRefTypeInfo(ref, cls->dispatch_info.Put());
  if (FAILED(*hr)) return nullptr;
  *hr = cls->dispatch_info->GetTypeAttr(&attr);
  if (FAILED(*hr)) return nullptr;
  cls->default_iid = attr->guid;
  cls->dispatch_info->ReleaseTypeAttr(attr);
  return cls;
}

}  // namespace com
