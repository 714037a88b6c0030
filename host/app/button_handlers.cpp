#include "button_handlers.h"

#include "com/com_ptr.h"
#include "platform/win/library_loader.h"

namespace velmora::host {

namespace {
using Visit = void (*)(void* context, com::IUnknown* button, const char* handler);
using ListSinks = int (*)(Visit visit, void* context);
}  // namespace

std::map<const com::IUnknown*, std::string> ButtonHandlers() {
  std::map<const com::IUnknown*, std::string> handlers;
  win::HMODULE addin = win::GetModuleHandle("velmora.dll");
  auto list = addin ? reinterpret_cast<ListSinks>(win::GetProcAddress(addin, "VelmoraListButtonSinks")) : nullptr;
  if (!list) return handlers;
  list(
      [](void* context, com::IUnknown* button, const char* handler) {
        if (!button) return;
        // The button's own identity: its IUnknown.
        auto identity = com::QueryAs<com::IUnknown>(button);
        (*static_cast<std::map<const com::IUnknown*, std::string>*>(context))[identity.Get()] = handler;
      },
      &handlers);
  return handlers;
}

}  // namespace velmora::host
