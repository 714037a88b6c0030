#pragma once
// The boundary between the forms and whoever plays the user. A host plugs a
// driver in (the command line's and the tests' scripted driver); every modal
// form and every save-file dialog goes through it. The driver sees texts in
// UTF-8; the forms hold GBK.
#include <memory>
#include <optional>
#include <string>

namespace forms {

class ModalSession;
struct SaveDialogRequest;

class FormDriver {
 public:
  virtual ~FormDriver() = default;

  // One modal showing of session.GetForm(). The driver looks at the form
  // (session.View()) and acts on it as the user through the session (types
  // into edit boxes, picks items, clicks buttons, double-clicks grid rows,
  // presses the close box) for as long as session.Open() says it is open,
  // and returns when it has done all it means to. A form it leaves open is
  // closed with its close box.
  virtual void ShowModal(ModalSession& session) = 0;

  // The file name the user chose (UTF-8), or nothing when the user cancelled.
  virtual std::optional<std::string> ExecuteSaveDialog(const SaveDialogRequest& request) = 0;
};

// The driver in place. Without one, every form is closed with its close box
// as soon as it is shown, every save dialog is cancelled, and both are written
// to stderr.
FormDriver& CurrentFormDriver();
// Installs the driver; null puts the default one back.
void SetFormDriver(std::shared_ptr<FormDriver> driver);

// Installs a driver for the lifetime of the object, then puts the previous one back.
class ScopedFormDriver {
 public:
  explicit ScopedFormDriver(std::shared_ptr<FormDriver> driver);
  ~ScopedFormDriver();
  ScopedFormDriver(const ScopedFormDriver&) = delete;
  ScopedFormDriver& operator=(const ScopedFormDriver&) = delete;

 private:
  std::shared_ptr<FormDriver> previous_;
};

}  // namespace forms
