#pragma once
// The dialogs of the worksheet tools as the form dispatch creates them: the
// print-settings dialog Tfrm_PrintSet and the indicator-explanation dialog
// TfrmZBJS. They talk to their commands through the add-in library's
// module-wide texts, which the library hands over when it registers them.
#include <string>

namespace velmora {

struct ToolTexts {
  std::string* paper_size = nullptr;             // gPaperSize
  std::string* indicator_code = nullptr;         // gIndicatorCode
  std::string* indicator_name = nullptr;         // gIndicatorName
  std::string* indicator_explanation = nullptr;  // gIndicatorExplanation
};

// Registers Tfrm_PrintSet and TfrmZBJS with the class registry (once; again
// changes nothing) and keeps the texts for the dialogs the registry creates.
void RegisterToolForms(ToolTexts texts);
// Takes them out of the registry again.
void UnregisterToolForms();
// The registered texts (all null before registration).
const ToolTexts& RegisteredToolTexts();

}  // namespace velmora
