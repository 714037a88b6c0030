// velmora toolbars [--json]: starts the spreadsheet host, connects the
// add-ins and prints the command-bar tree: each bar and control in order,
// its kind, caption, tag, visibility, and the handler a click reaches.
#include <iostream>
#include <nlohmann/json.hpp>

#include "../command_registry.h"
#include "host/app/button_handlers.h"
#include "host/app/excel_host.h"
#include "platform/forms/scripted_driver.h"

namespace velmora::cli {
namespace {

const char* PositionName(long position) {
  static const char* const names[] = {"left", "top", "right", "bottom", "floating", "popup", "menu bar"};
  return position >= 0 && position <= 6 ? names[position] : "?";
}

std::string HandlerOf(const office::ControlView& control, const std::map<const com::IUnknown*, std::string>& handlers) {
  auto it = handlers.find(control.identity.Get());
  return it == handlers.end() ? std::string() : it->second;
}

nlohmann::json ControlJson(const office::ControlView& control, int order,
                           const std::map<const com::IUnknown*, std::string>& handlers) {
  nlohmann::json j{{"order", order},
                   {"kind", control.kind == office::ControlKind::Button ? "button" : "popup"},
                   {"caption", control.caption},
                   {"tag", control.tag},
                   {"visible", control.visible},
                   {"temporary", control.temporary},
                   {"built_in", control.built_in}};
  if (control.kind == office::ControlKind::Button) {
    std::string handler = HandlerOf(control, handlers);
    j["style"] = control.style;
    j["sinks"] = control.sinks;
    j["handler"] = handler.empty() ? nlohmann::json(nullptr) : nlohmann::json(handler);
  } else {
    j["controls"] = nlohmann::json::array();
    int n = 0;
    for (const auto& child : control.controls) j["controls"].push_back(ControlJson(child, ++n, handlers));
  }
  return j;
}

void PrintControl(const office::ControlView& control, int order, int depth,
                  const std::map<const com::IUnknown*, std::string>& handlers) {
  std::cout << std::string(2 * depth, ' ') << order << ". "
            << (control.kind == office::ControlKind::Button ? "button " : "popup ") << control.caption;
  if (!control.tag.empty()) std::cout << "  tag " << control.tag;
  if (!control.visible) std::cout << "  hidden";
  if (control.temporary) std::cout << "  temporary";
  if (control.kind == office::ControlKind::Button && !control.built_in) {
    std::string handler = HandlerOf(control, handlers);
    std::cout << "  -> " << (handler.empty() ? "nothing" : handler);
  }
  std::cout << "\n";
  int n = 0;
  for (const auto& child : control.controls) PrintControl(child, ++n, depth + 1, handlers);
}

int Toolbars(bool json) {
  auto driver = std::make_shared<forms::ScriptedDriver>();
  driver->SetEcho([](const std::string& line) { std::cerr << line << "\n"; });
  forms::ScriptedDriver::Install installed(driver);
  host::ExcelHost excel;
  for (const auto& addin : excel.AddIns())
    if (!addin.object) std::cerr << "velmora toolbars: the add-in " << addin.progid << " was not loaded: " << addin.error << "\n";
  auto handlers = host::ButtonHandlers();
  auto bars = excel.CommandBars().View();
  if (json) {
    nlohmann::json out = nlohmann::json::array();
    int order = 0;
    for (const auto& bar : bars) {
      nlohmann::json j{{"order", ++order},
                       {"name", bar.name},
                       {"kind", bar.menu_bar ? "menu bar" : "toolbar"},
                       {"position", PositionName(bar.position)},
                       {"visible", bar.visible},
                       {"built_in", bar.built_in},
                       {"temporary", bar.temporary},
                       {"controls", nlohmann::json::array()}};
      int n = 0;
      for (const auto& control : bar.controls) j["controls"].push_back(ControlJson(control, ++n, handlers));
      out.push_back(j);
    }
    std::cout << out.dump(2) << "\n";
  } else {
    int order = 0;
    for (const auto& bar : bars) {
      std::cout << ++order << ". " << (bar.menu_bar ? "menu bar " : "toolbar ") << bar.name << "  "
                << PositionName(bar.position) << (bar.visible ? "" : "  hidden") << (bar.built_in ? "  built in" : "")
                << (bar.temporary ? "  temporary" : "") << "\n";
      int n = 0;
      for (const auto& control : bar.controls) PrintControl(control, ++n, 1, handlers);
    }
  }
  excel.Close();
  return 0;
}

const Registration toolbars{"toolbars", [](CLI::App& app) {
  auto* cmd = app.add_subcommand("toolbars", "Start the spreadsheet host with its add-ins and print its command bars");
  static bool json = false;
  cmd->add_flag("--json", json, "Print the tree as JSON");
  cmd->callback([] { SetExitStatus(Toolbars(json)); });
}};

}  // namespace
}  // namespace velmora::cli
