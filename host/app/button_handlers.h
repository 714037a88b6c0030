#pragma once
// Which handler a click on each button reaches, as the add-in library
// velmora.dll tells of its live event sinks (its export
// "VelmoraListButtonSinks"). Keyed by the button's IUnknown.
#include <map>
#include <string>

#include "com/unknown.h"

namespace velmora::host {

// Empty when the add-in library is not loaded.
std::map<const com::IUnknown*, std::string> ButtonHandlers();

}  // namespace velmora::host
