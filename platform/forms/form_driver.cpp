#include "form_driver.h"

#include <iostream>
#include <utility>

#include "form.h"
#include "modal_session.h"
#include "save_dialog.h"

namespace forms {
namespace {

class DefaultFormDriver : public FormDriver {
 public:
  void ShowModal(ModalSession& session) override {
    std::cerr << "[form] " << session.View().caption << " shown and closed: no form driver\n";
  }
  std::optional<std::string> ExecuteSaveDialog(const SaveDialogRequest& request) override {
    std::cerr << "[save dialog] " << request.title << " cancelled: no form driver\n";
    return std::nullopt;
  }
};

std::shared_ptr<FormDriver>& Installed() {
  static std::shared_ptr<FormDriver> installed;
  return installed;
}

}  // namespace

FormDriver& CurrentFormDriver() {
  static DefaultFormDriver fallback;
  const std::shared_ptr<FormDriver>& installed = Installed();
  return installed ? *installed : fallback;
}

void SetFormDriver(std::shared_ptr<FormDriver> driver) { Installed() = std::move(driver); }

ScopedFormDriver::ScopedFormDriver(std::shared_ptr<FormDriver> driver) : previous_(Installed()) {
  Installed() = std::move(driver);
}

ScopedFormDriver::~ScopedFormDriver() { Installed() = std::move(previous_); }

}  // namespace forms
