#pragma once
// What the user sees and answers. The system never draws anything itself: a
// host plugs a driver in (the command line's scripted driver, the tests'
// recording driver) and every message box, dialog, save-file dialog and print
// preview goes through it.
#include <memory>
#include <string>

namespace ui {

// Buttons of a message box and the button pressed, as the platform numbers them.
enum class Buttons { Ok = 0, OkCancel = 1, AbortRetryIgnore = 2, YesNoCancel = 3, YesNo = 4, RetryCancel = 5 };
enum class Answer { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

class UiDriver {
 public:
  virtual ~UiDriver() = default;
  // Texts are UTF-8 at this boundary.
  virtual Answer MessageBox(const std::string& text, const std::string& caption, Buttons buttons) = 0;
};

// The driver in place; a host installs one at start. Without one, message boxes
// answer with their default (the first button) and are written to stderr.
UiDriver& CurrentDriver();
void SetDriver(std::shared_ptr<UiDriver> driver);

}  // namespace ui
