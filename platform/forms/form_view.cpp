#include "form_view.h"

#include <sstream>

#include "application.h"
#include "component.h"
#include "form.h"
#include "platform/win/code_page.h"

namespace forms {

const ControlView* FormView::Find(const std::string& control) const {
  for (const ControlView& view : controls) {
    if (SameName(view.name, control)) return &view;
  }
  return nullptr;
}

FormView Describe(Form& form) {
  FormView view;
  view.name = form.Name();
  view.caption = win::AnsiToUtf8(form.Caption);
  view.client_width = form.ClientWidth;
  view.client_height = form.ClientHeight;
  for (Control* control : form.Controls()) {
    ControlView item;
    item.kind = std::string(control->Kind());
    item.name = control->Name();
    if (control->Parent() != nullptr) item.parent = control->Parent()->Name();
    item.showing = control->Showing();
    item.enabled = control->Reachable();
    try {
      control->Describe(item);
    } catch (const std::exception& error) {  // a drawing handler failed, as a paint would
      ShowException(error);
    }
    view.controls.push_back(std::move(item));
  }
  return view;
}

namespace {

std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c == '"' || c == '\\') out += std::string("\\") + c;
    else out += c;
  }
  return out + "\"";
}

std::string ColorName(std::uint32_t color) {
  if (color == 0x0000FF) return "red";
  std::ostringstream out;
  out << "#" << std::hex;
  for (int shift : {0, 8, 16}) {  // 0x00BBGGRR as #RRGGBB
    unsigned part = (color >> shift) & 0xFF;
    out << (part < 16 ? "0" : "") << part;
  }
  return out.str();
}

void FormatControl(const ControlView& control, int depth, std::ostringstream& out) {
  std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
  out << indent << control.kind << " " << control.name;
  if (control.kind != "grid" && control.kind != "panel" && control.kind != "groupbox") {
    out << " " << Quoted(control.text);
  } else if (!control.text.empty()) {
    out << " " << Quoted(control.text);
  }
  if (!control.showing) out << " [hidden]";
  if (!control.enabled) out << " [disabled]";
  if (control.read_only) out << " [read-only]";
  for (const std::string& note : control.notes) out << " [" << note << "]";
  out << "\n";
  if (control.kind == "combo") {
    out << indent << "  items:";
    for (std::size_t i = 0; i < control.items.size(); ++i) {
      out << (static_cast<int>(i) == control.item_index ? " *" : " ") << Quoted(control.items[i]);
    }
    out << "\n";
  }
  if (control.kind == "grid") {
    out << indent << "  columns:";
    for (const std::string& title : control.grid.titles) out << " " << Quoted(title);
    out << "\n";
    if (!control.showing) {  // the user sees none of them
      out << indent << "  (" << control.grid.rows.size() << " rows)\n";
      return;
    }
    for (std::size_t row = 0; row < control.grid.rows.size(); ++row) {
      out << indent << (static_cast<int>(row) == control.grid.current_row ? "> " : "  ") << row + 1 << ":";
      for (const GridCellView& cell : control.grid.rows[row]) {
        out << " " << Quoted(cell.text);
        if (cell.font_color != 0) out << "{" << ColorName(cell.font_color) << "}";
      }
      out << "\n";
    }
  }
}

void FormatChildren(const FormView& view, const std::string& parent, int depth, std::ostringstream& out) {
  for (const ControlView& control : view.controls) {
    if (control.parent != parent) continue;
    FormatControl(control, depth, out);
    if (!control.name.empty()) FormatChildren(view, control.name, depth + 1, out);
  }
}

}  // namespace

std::string FormatView(const FormView& view) {
  std::ostringstream out;
  out << "form " << view.name << " " << Quoted(view.caption) << " " << view.client_width << "x"
      << view.client_height << "\n";
  FormatChildren(view, "", 1, out);
  return out.str();
}

}  // namespace forms
