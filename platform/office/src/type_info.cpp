// The type information of the Office library, read from this library's own
// embedded type library once, for the IDispatch of every command-bar object.
#include <map>
#include <mutex>
#include <stdexcept>

#include "objects.h"
#include "platform/win/library_loader.h"

namespace office::detail {

std::shared_ptr<const com::AutoClass> ClassFor(const com::IID& iid) {
  static std::mutex mutex;
  static com::ComPtr<com::ITypeLib> library;
  static std::map<com::IID, std::shared_ptr<const com::AutoClass>> classes;
  std::lock_guard lock(mutex);
  if (auto it = classes.find(iid); it != classes.end()) return it->second;
  if (!library) {
    std::string path = win::GetModuleFileName(reinterpret_cast<const void*>(&ClassFor));
    if (com::FAILED(com::LoadTypeLibFromFile(path, library.Put())))
      throw std::runtime_error("the Office type library of " + path + " cannot be loaded");
  }
  auto cls = std::make_shared<com::AutoClass>();
  cls->type_lib = library;
  cls->default_iid = iid;
  cls->source = u"Office";
  if (com::FAILED(library->GetTypeInfoOfGuid(iid, cls->dispatch_info.Put())))
    throw std::runtime_error("the Office type library lacks an interface");
  classes.emplace(iid, cls);
  return cls;
}

}  // namespace office::detail
