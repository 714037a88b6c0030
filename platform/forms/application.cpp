#include "application.h"

#include "platform/win/message_box.h"

namespace forms {
namespace {
std::string& Title() {
  static std::string title = "velmora";
  return title;
}
}  // namespace

void ShowException(const std::exception& error) {
  win::MessageBox(error.what(), Title(), win::MB_OK | win::MB_ICONERROR);
}

const std::string& ApplicationTitle() { return Title(); }
void SetApplicationTitle(std::string title) { Title() = std::move(title); }

}  // namespace forms
