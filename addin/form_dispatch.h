#pragma once
// The form dispatch: every dialog of the system is shown by its form name
// (the class name without its leading "T") through the export showform.
namespace velmora {

// The export's type: a zero-terminated GBK form name in, nonzero when a
// dialog was shown.
using ShowFormProc = bool (*)(const char* name);

// Registers the dialog classes (again on every call: registering a class
// that is registered already changes nothing).
void RegisterForms();
// Takes this library's classes out of the registry again (before it unloads,
// so that the registry never keeps a class whose code is gone).
void UnregisterForms();

// The body of showform: registers the classes, finds "T" + name (ASCII
// letters in either case, equal length), refuses a class that is no form,
// shows an instance modally and frees it. Errors while showing free the
// form and travel on to the caller.
bool ShowForm(const char* name);

}  // namespace velmora
