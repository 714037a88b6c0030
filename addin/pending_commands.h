#pragma once
// The worksheet commands behind the toolbar, until each is built: a command
// that is not built yet reports its call to the observer (the tests watch
// the handlers reach their commands through it) and does nothing else.
#include <functional>
#include <string_view>

namespace velmora {

using CommandObserver = std::function<void(std::string_view command)>;
// Installs the observer (null removes it).
void SetCommandObserver(CommandObserver observer);
void NotifyCommand(std::string_view command);

}  // namespace velmora
