#pragma once
// What an in-process server of this system exports. Its library carries
//   VELCOM_EXPORT int DllMain(void* module, unsigned reason, void* reserved);   // optional
//   VELCOM_EXPORT com::HRESULT DllGetClassObject(const com::CLSID&, const com::IID&, void**);
//   VELCOM_EXPORT com::HRESULT DllCanUnloadNow();
//   VELCOM_EXPORT com::HRESULT DllRegisterServer();
//   VELCOM_EXPORT com::HRESULT DllUnregisterServer();
// DllMain (reason 1 when the loader brings the library in, 0 before it takes
// it out) is where the class factories are built; returning 0 fails the load.
#include "com/activation.h"
#include "com/auto_object.h"
#include "com/class_factory.h"
#include "com/registration.h"

#define VELCOM_EXPORT extern "C" __attribute__((visibility("default")))

namespace com {

using DllRegisterServerProc = HRESULT (*)();
using DllUnregisterServerProc = HRESULT (*)();

}  // namespace com
