#pragma once
// Fault injection for tests: make the k-th call of a named operation of the
// spreadsheet stand-in (or of any operation) fail with a chosen HRESULT and
// description. Every operation of the object model (and of the Office command
// bars built on it) asks Check before it does anything; a fault that fires
// leaves the workbook untouched and the call fails as Excel's would.
//
//   excel::fault::Inject("Worksheet.Protect", 1, 0x800A03EC, "Protect failed");
//   excel::fault::Inject("*", 5, E_FAIL, "the fifth call fails");
//   ...
//   excel::fault::Clear();
//
// Operation names are "Interface.Member" with ".get"/".put" for properties:
// "Range.Value.put", "Worksheet.Unprotect", "Workbook.Save", "Workbooks.Open".
// Counting starts when the fault is armed. Not thread-safe (Excel's UI thread).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace excel::fault {

// Arms a fault: the k-th call (1-based) from now of operation (or of any
// operation, "*") fails with hr and description. Several faults may be armed.
// With repeat, every call from the k-th on fails.
void Inject(std::string operation, int k, std::int32_t hr, std::string description, bool repeat = false);
// Disarms every fault and resets the counters.
void Clear();
// Called by an operation at its start: true (with hr and description) when a
// fault fires for this call.
bool Check(std::string_view operation, std::int32_t& hr, std::string& description);
// Calls counted since the last Clear: of one operation, or of all ("*").
int Calls(std::string_view operation = "*");
// The names of the operations called since the last Clear, in order (a sweep
// runs a command once to learn how many calls it makes, then fails each).
const std::vector<std::string>& Trace();
// How many armed faults have fired since the last Clear.
int Fired();

}  // namespace excel::fault
