// The validate command as the add-in object's method: the click handler of
// "校验" calls it. Compiled into the add-in's object library.
#include "addin/module_values.h"
#include "addin/my_outlook_addin.h"
#include "addin/pending_commands.h"
#include "validation/validate_command.h"

namespace velmora {

void TMyOutLookAddIn::ValidateWorkbook() {
  NotifyCommand("ValidateWorkbook");  // the handlers' tests watch the command being reached
  if (!ExcelApp) return;
  ::velmora::ValidateWorkbook(workbook::Application(ExcelApp),
                              [this] { RunDllForm("velmora.dll", "form2", "showform"); });
}

}  // namespace velmora
