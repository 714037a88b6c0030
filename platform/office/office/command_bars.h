#pragma once
// Office's command bars as the spreadsheet host keeps them: the bars of one
// application (built-in ones first: "Worksheet Menu Bar" with the usual
// top-level menus, "Chart Menu Bar", "Standard", "Formatting"), the
// controls on them, and the buttons' Click events delivered through
// connection points.
//
// The add-in sees them through the dual interfaces of the Office type
// library (namespace Office, header office_tlb.h); the host holds a
// CommandBarsHost, which hands those interfaces out and also lets the host
// look at the whole tree, click a button as the user does and close.
//
// Every operation of the interfaces asks the fault injection of the
// spreadsheet stand-in first (excel/fault.h), under names such as
// "CommandBars.Add", "CommandBars.Item.get", "CommandBar.Visible.put",
// "CommandBarControls.Add", "CommandBarButton.Caption.put",
// "CommandBarPopup.Controls.get" and "ConnectionPoint.Advise": a fault that
// fires fails the call with its HRESULT and description as error information.
#include <memory>
#include <string>
#include <vector>

#include "com/com_ptr.h"
#include "office_tlb.h"

namespace office {

enum class ControlKind { Button, Popup };

// A control as the user sees it; texts UTF-8.
struct ControlView {
  ControlKind kind = ControlKind::Button;
  std::string caption;
  std::string tag;
  bool visible = true;
  bool temporary = false;
  bool built_in = false;
  long style = 0;                 // buttons
  std::size_t sinks = 0;          // buttons: event sinks advised now
  com::ComPtr<com::IUnknown> identity;  // the control's IUnknown
  std::vector<ControlView> controls;    // pop-ups
};

struct BarView {
  std::string name;
  long position = 0;
  bool visible = false;
  bool menu_bar = false;
  bool built_in = false;
  bool temporary = false;
  std::vector<ControlView> controls;
};

// What a click did.
struct ClickResult {
  bool found = false;
  std::string path;         // "Bar > Popup > Caption", UTF-8
  std::size_t sinks_called = 0;
  bool cancel = false;      // the cancel flag as it came back from the sinks
};

class CommandBarsHost {
 public:
  CommandBarsHost();  // with the built-in bars
  ~CommandBarsHost();
  CommandBarsHost(const CommandBarsHost&) = delete;
  CommandBarsHost& operator=(const CommandBarsHost&) = delete;

  // What Application.CommandBars hands out (a new reference each time).
  com::ComPtr<Office::CommandBars> Bars() const;

  // The bars in their order, with their controls in order.
  std::vector<BarView> View() const;

  // Clicks the button whose tag equals text (UTF-8), or else the first one
  // whose caption equals it, looking through the visible bars in order and
  // their visible controls depth first, as a user reaching it would. The
  // Click event goes to every sink advised on the button (Invoke DISPID 1,
  // the button and a cancel flag by reference).
  ClickResult Click(const std::string& caption_or_tag);

  // The host closes: every sink is released, and the temporary bars and
  // controls vanish.
  void Close();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Fires the Click event of a button (one of these command bars' buttons,
// reached through any of its interfaces) as a user's click does. False when
// it is no button of theirs.
bool ClickButton(com::IUnknown* button, ClickResult* result = nullptr);

}  // namespace office
