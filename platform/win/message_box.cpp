#include "message_box.h"

#include "code_page.h"
#include "platform/ui/ui_driver.h"

namespace win {

int MessageBox(std::string_view text, std::string_view caption, unsigned type) {
  unsigned buttons = type & 0xF;
  if (buttons > MB_RETRYCANCEL) buttons = MB_OK;
  ui::Answer answer = ui::CurrentDriver().MessageBox(AnsiToUtf8(text), AnsiToUtf8(caption),
                                                     static_cast<ui::Buttons>(buttons));
  return static_cast<int>(answer);
}

}  // namespace win
