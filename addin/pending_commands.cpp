// The worksheet commands not built yet. Each later replaces its body here
// with its own file.
#include "my_outlook_addin.h"
#include "pending_commands.h"

namespace velmora {

namespace {
CommandObserver& Observer() {
  static CommandObserver observer;
  return observer;
}
}  // namespace

void SetCommandObserver(CommandObserver observer) { Observer() = std::move(observer); }
void NotifyCommand(std::string_view command) {
  if (Observer()) Observer()(command);
}

}  // namespace velmora
