#include "save_dialog.h"

#include "form_driver.h"
#include "platform/win/code_page.h"
#include "platform/win/message_box.h"
#include "platform/win/path.h"

namespace forms {

bool SaveDialog::Execute() {
  SaveDialogRequest request{win::AnsiToUtf8(Title), win::AnsiToUtf8(Filter), win::AnsiToUtf8(DefaultExt),
                            win::AnsiToUtf8(FileName), win::AnsiToUtf8(InitialDir)};
  for (;;) {
    std::optional<std::string> answer = CurrentFormDriver().ExecuteSaveDialog(request);
    if (!answer) return false;
    std::string chosen = win::Utf8ToAnsi(*answer);
    const bool relative = !chosen.empty() && !win::IsPathSeparator(chosen[0]) && chosen.find(':') == std::string::npos;
    if (relative && !InitialDir.empty()) chosen = win::PathJoin(InitialDir, chosen);
    if (!DefaultExt.empty() && !chosen.empty() && win::ExtractFileName(chosen).find('.') == std::string::npos) {
      chosen += "." + DefaultExt;
    }
    if (OverwritePrompt && win::FileExists(chosen)) {
      int replace = win::MessageBox(chosen + win::Utf8ToAnsi(" 已存在。\n要替换它吗？"),
                                    Title.empty() ? win::Utf8ToAnsi("另存为") : Title,
                                    win::MB_YESNO | win::MB_ICONWARNING);
      if (replace != win::IDYES) {
        request.file_name = win::AnsiToUtf8(chosen);
        continue;
      }
    }
    FileName = std::move(chosen);
    return true;
  }
}

}  // namespace forms
