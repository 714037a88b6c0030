#pragma once
// Every click handler reports, as it starts, that a click reached it; the
// tests watch the toolbar buttons and menu entries reach their handlers
// through it, whatever the handler's command then does. Nothing listens
// otherwise.
#include <functional>
#include <string_view>

namespace velmora {

using ClickObserver = std::function<void(std::string_view handler)>;
// Installs the observer (null removes it).
void SetClickObserver(ClickObserver observer);
void NotifyClick(std::string_view handler);

}  // namespace velmora
