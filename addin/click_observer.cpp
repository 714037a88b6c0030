#include "click_observer.h"

namespace velmora {

namespace {
ClickObserver& Observer() {
  static ClickObserver observer;
  return observer;
}
}  // namespace

void SetClickObserver(ClickObserver observer) { Observer() = std::move(observer); }

void NotifyClick(std::string_view handler) {
  if (Observer()) Observer()(handler);
}

}  // namespace velmora
