#pragma once
// The dialogs of the school information, registered with the form dispatch:
// Txxinfo (form name "xxinfo") and TForm5 ("Form5"). The add-in's dispatch
// calls RegisterSchoolInfoForms with its ExcelApp and module directory on
// every showform; registering again changes nothing.
#include "school_info_environment.h"

namespace velmora {

void RegisterSchoolInfoForms(SchoolInfoEnvironment environment);
// Takes the two classes out of the registry again (before the library unloads).
void UnregisterSchoolInfoForms();

}  // namespace velmora
