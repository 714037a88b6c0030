#pragma once
// The class behind "MSScriptControl.ScriptControl": late-bound only, with
//   Language  property, get and put: "VBScript" in any letter case; any
//             other language is refused with an error saying so;
//   Eval      method Eval(expression) -> the value, as a VARIANT;
//   Error     property, get: an object with Number, Description and Source
//             of the last error (0 and "" after a successful Eval) and Clear.
// A failed Eval returns DISP_E_EXCEPTION with the VBScript error in the
// EXCEPINFO (scode 0x800A0000 + number, the description, the source
// "Microsoft VBScript runtime error" or "... compilation error"), and leaves
// the same as the thread's error information.
#include <string_view>

#include "com/com_ptr.h"
#include "com/dispatch.h"
#include "com/guid.h"

namespace vbs::control {

inline constexpr com::CLSID kScriptControlClsid =
    com::MakeGuid("{C03C7466-68E4-4C41-A0CA-DAB563FBA865}");
inline constexpr std::u16string_view kScriptControlProgId = u"MSScriptControl.ScriptControl";

// A new ScriptControl, or null when out of memory.
com::ComPtr<com::IDispatch> MakeScriptControl();

}  // namespace vbs::control
