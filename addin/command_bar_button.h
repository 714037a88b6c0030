#pragma once
// TCommandbarbutton: the event sink of one command-bar button. It subscribes
// to the button's outgoing interface _CommandBarButtonEvents through the
// button's connection point and turns each Click into a call of OnClick.
//
// Its event dispatcher is a small COM object: the connection point holds it,
// the sink holds it too (its first reference), and it points back at the
// sink until the sink is destroyed, so that a click arriving later reaches
// nothing. Because the dispatcher is a live COM object of this library, the
// library reports that it cannot unload (DllCanUnloadNow) for as long as any
// dispatcher lives, that is while any sink exists or a button still holds one.
//
// No operation reports an error: a subscription that cannot be made leaves
// the sink without one. An error escaping OnClick is shown in a plain message
// box and goes no further (never back into Office).
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "com/com_ptr.h"
#include "com/types.h"
#include "com/variant.h"
#include "office_tlb.h"

namespace velmora {

// A handler bound to its object: the clicked button and the click's cancel
// flag (0 false, -1 true) by reference.
using TCommandbarbuttonEvent = std::function<void(Office::_CommandBarButton* Ctrl, com::VARIANT_BOOL& CancelDefault)>;

class TCommandbarbutton;
class CommandbarButtonEventDispatch;

// The companion object the sink keeps of its properties; nothing happens
// through it at run time.
class TCommandbarButtonEventsProperties {
 public:
  explicit TCommandbarButtonEventsProperties(TCommandbarbutton* server) : FServer(server) {}
  TCommandbarbutton* GetServer() const { return FServer; }

 private:
  TCommandbarbutton* FServer;
};

class TCommandbarbutton {
 public:
  // owner: the owning component; always none in this system.
  explicit TCommandbarbutton(void* owner = nullptr);
  ~TCommandbarbutton();
  TCommandbarbutton(const TCommandbarbutton&) = delete;
  TCommandbarbutton& operator=(const TCommandbarbutton&) = delete;

  TCommandbarbuttonEvent OnClick;
  // The button this sink serves; empty when not connected.
  com::ComPtr<Office::_CommandBarButton> DefaultInterface;

  // Disconnects from any earlier button, keeps button and subscribes to its events.
  void ConnectTo(Office::_CommandBarButton* button);
  // Unsubscribes and forgets the button; nothing when not connected.
  void Disconnect();

  bool Subscribed() const { return FConnectionCookie != 0; }
  void* Owner() const { return FOwner; }
  // The name of the handler OnClick is bound to (for the host's listing).
  std::string HandlerName;

  // Every sink alive in this library, in creation order.
  static const std::vector<TCommandbarbutton*>& LiveSinks();

 private:
  friend class CommandbarButtonEventDispatch;
  // Called by the dispatcher for every event; args in declaration order.
  void InvokeEvent(com::DISPID id, std::vector<com::Variant>& args);
  void Subscribe();
  void Unsubscribe();

  void* FOwner;
  std::unique_ptr<TCommandbarButtonEventsProperties> Server;
  CommandbarButtonEventDispatch* FEventDispatch;  // one reference, the sink's
  com::DWORD FConnectionCookie = 0;
};

}  // namespace velmora
