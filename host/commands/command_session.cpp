#include "command_session.h"

#include <iostream>

#include "platform/win/code_page.h"

namespace velmora::cli {

namespace {

std::shared_ptr<forms::ScriptedDriver> EchoingDriver(std::string_view answers) {
  auto driver = forms::ScriptedDriver::FromText(answers);
  driver->SetEcho([](const std::string& line) { std::cout << line << "\n"; });
  return driver;
}

}  // namespace

CommandSession::CommandSession(std::string command, std::string_view answers)
    : command_(std::move(command)),
      driver_(EchoingDriver(answers)),
      installed_(driver_),
      excel_(com::ComPtr<excel::_Application>(host_.Application())) {}

std::optional<workbook::Workbook> CommandSession::Open(const std::string& file) {
  try {
    return excel_.Open(win::Utf8ToAnsi(file));
  } catch (const std::exception& error) {
    Fail(file + " cannot be opened: " + win::AnsiToUtf8(error.what()));
    return std::nullopt;
  }
}

bool CommandSession::Click(const std::string& button_id, const std::string& caption) {
  if (host_.CommandBars().Click(button_id).found) return true;
  Fail("the toolbar has no button \"" + caption + "\" (has velmora install been run?)");
  return false;
}

int CommandSession::Fail(const std::string& message) const {
  std::cerr << "velmora " << command_ << ": " << message << "\n";
  return 2;
}

}  // namespace velmora::cli
