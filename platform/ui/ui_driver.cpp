#include "ui_driver.h"

#include <iostream>
#include <utility>

namespace ui {
namespace {

// Writes the box to stderr and answers its default.
class DefaultDriver : public UiDriver {
 public:
  Answer MessageBox(const std::string& text, const std::string& caption, Buttons buttons) override {
    Answer answer = DefaultAnswer(buttons);
    std::cerr << "[" << caption << "] " << text << " -> " << AnswerName(answer) << "\n";
    return answer;
  }
};

std::shared_ptr<UiDriver>& Installed() {
  static std::shared_ptr<UiDriver> installed;
  return installed;
}

}  // namespace

Answer DefaultAnswer(Buttons buttons) {
  switch (buttons) {
    case Buttons::Ok:
    case Buttons::OkCancel:
      return Answer::Ok;
    case Buttons::AbortRetryIgnore:
      return Answer::Abort;
    case Buttons::YesNoCancel:
    case Buttons::YesNo:
      return Answer::Yes;
    case Buttons::RetryCancel:
      return Answer::Retry;
  }
  return Answer::Ok;
}

bool IsAnswerOf(Buttons buttons, Answer answer) {
  switch (buttons) {
    case Buttons::Ok:
      return answer == Answer::Ok;
    case Buttons::OkCancel:
      return answer == Answer::Ok || answer == Answer::Cancel;
    case Buttons::AbortRetryIgnore:
      return answer == Answer::Abort || answer == Answer::Retry || answer == Answer::Ignore;
    case Buttons::YesNoCancel:
      return answer == Answer::Yes || answer == Answer::No || answer == Answer::Cancel;
    case Buttons::YesNo:
      return answer == Answer::Yes || answer == Answer::No;
    case Buttons::RetryCancel:
      return answer == Answer::Retry || answer == Answer::Cancel;
  }
  return false;
}

const char* AnswerName(Answer answer) {
  switch (answer) {
    case Answer::Ok:
      return "OK";
    case Answer::Cancel:
      return "Cancel";
    case Answer::Abort:
      return "Abort";
    case Answer::Retry:
      return "Retry";
    case Answer::Ignore:
      return "Ignore";
    case Answer::Yes:
      return "Yes";
    case Answer::No:
      return "No";
  }
  return "?";
}

const char* ButtonsName(Buttons buttons) {
  switch (buttons) {
    case Buttons::Ok:
      return "Ok";
    case Buttons::OkCancel:
      return "OkCancel";
    case Buttons::AbortRetryIgnore:
      return "AbortRetryIgnore";
    case Buttons::YesNoCancel:
      return "YesNoCancel";
    case Buttons::YesNo:
      return "YesNo";
    case Buttons::RetryCancel:
      return "RetryCancel";
  }
  return "?";
}

UiDriver& CurrentDriver() {
  static DefaultDriver fallback;
  const std::shared_ptr<UiDriver>& installed = Installed();
  return installed ? *installed : fallback;
}

void SetDriver(std::shared_ptr<UiDriver> driver) { Installed() = std::move(driver); }

ScopedDriver::ScopedDriver(std::shared_ptr<UiDriver> driver) : previous_(Installed()) {
  SetDriver(std::move(driver));
}

ScopedDriver::~ScopedDriver() { SetDriver(std::move(previous_)); }

}  // namespace ui
