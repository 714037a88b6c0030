#pragma once
// What the user sees and answers. The system never draws anything itself: a
// host plugs a driver in (the command line's scripted driver, the tests'
// recording driver) and every message box, dialog, save-file dialog and print
// preview goes through it.
//
// New kinds of interaction are added here as further virtual functions with
// a default body, so that the existing drivers keep working.
#include <memory>
#include <string>

namespace ui {

// Buttons of a message box and the button pressed, as the platform numbers them.
enum class Buttons {
  Ok = 0,
  OkCancel = 1,
  AbortRetryIgnore = 2,
  YesNoCancel = 3,
  YesNo = 4,
  RetryCancel = 5
};
enum class Answer { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

// The first button of the set, which a box answers when nobody presses another.
Answer DefaultAnswer(Buttons buttons);
// True when the answer is one of the buttons of the set.
bool IsAnswerOf(Buttons buttons, Answer answer);
// "OK", "Cancel", ... and "Ok", "OkCancel", ...: names for logs and scripts.
const char* AnswerName(Answer answer);
const char* ButtonsName(Buttons buttons);

class UiDriver {
 public:
  virtual ~UiDriver() = default;
  // Texts are UTF-8 at this boundary.
  virtual Answer MessageBox(const std::string& text, const std::string& caption,
                            Buttons buttons) = 0;
  // The print preview of a sheet: pdf_file is its print as a PDF file, which
  // exists while the call lasts (a driver that keeps it copies it). Modal:
  // returns when the user closes the preview. An exception thrown here
  // reaches the caller of the preview as its failure. By default the
  // preview is closed at once.
  virtual void ShowPrintPreview(const std::string& pdf_file, const std::string& title) {
    (void)pdf_file;
    (void)title;
  }
};

// The driver in place; a host installs one at start. Without one, message boxes
// answer with their default (the first button) and are written to stderr.
UiDriver& CurrentDriver();
// Installs the driver; null puts the default driver back.
void SetDriver(std::shared_ptr<UiDriver> driver);

// Installs a driver for the lifetime of the object and then puts the one
// before it back (for tests and for nested hosts).
class ScopedDriver {
 public:
  explicit ScopedDriver(std::shared_ptr<UiDriver> driver);
  ~ScopedDriver();
  ScopedDriver(const ScopedDriver&) = delete;
  ScopedDriver& operator=(const ScopedDriver&) = delete;

 private:
  std::shared_ptr<UiDriver> previous_;
};

}  // namespace ui
