#pragma once
// The engine's values and objects on automation's side: Variants to VARIANTs
// and back, an IDispatch as a script object, automation failures as
// VBScript errors, and CreateObject through the COM runtime.
#include <string_view>

#include "com/dispatch.h"
#include "com/variant.h"
#include "script/builtins.h"
#include "script/value.h"

namespace vbs::control {

com::Variant ToVariant(const Value& v);
// Throws ScriptError 458 for a type VBScript has no subtype for (arrays,
// records); follows one level of VT_BYREF.
Value FromVariant(const com::VARIANT& v);

// A failed call as the VBScript error it becomes: an error of facility 0x0A
// (0x800A0006) is error 6, DISP_E_EXCEPTION carries its own number and
// description in `info` (whose strings this frees); any other failure keeps
// its HRESULT as the number, with the thread's error information.
[[noreturn]] void ThrowAutomationError(com::HRESULT hr, com::EXCEPINFO* info,
                                       std::u16string_view member);

// Creates the object of a ProgID through the COM runtime (the calling thread
// is an apartment), as its IDispatch; error 429 "ActiveX component can't
// create object" when it cannot.
ObjectRef CreateAutomationObject(std::u16string_view prog_id);

}  // namespace vbs::control
