#pragma once
// The add-in library as a COM server: the class MyOutLookAddIn, whose class
// factory is made from the embedded type library when the library
// initialises, and its registration.
#include <string>

#include "com/class_factory.h"
#include "com/com_ptr.h"

namespace velmora {

inline constexpr const char16_t* kProgId = u"Velmora.MyOutLookAddIn";

// Builds the class factory from the type library of the library file at
// module_path (GBK). False, and no factory, when the type information of the
// coclass or of its default interface IDTExtensibility2 (from the imported
// add-in designer library, through the registry) cannot be loaded.
bool InitializeModule(const std::string& module_path);
// The library unloads: the factory goes, ExcelApp is released, the shared
// texts are emptied and the dialog classes leave the registry.
void FinalizeModule();

// The factory of MyOutLookAddIn; empty before InitializeModule succeeded.
com::ComPtr<com::IClassFactory> AddInFactory();

}  // namespace velmora
