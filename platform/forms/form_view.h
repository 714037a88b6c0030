#pragma once
// What the user sees of a form at one moment, as the driver sees it: every
// text in UTF-8. The scripted driver records these views, and tests assert
// on them.
#include <cstdint>
#include <string>
#include <vector>

namespace forms {

class Form;

struct GridCellView {
  std::string text;
  std::uint32_t font_color = 0;  // the colour the cell was drawn with (0x00BBGGRR)
  bool operator==(const GridCellView&) const = default;
};

struct GridView {
  std::vector<std::string> titles;  // of the visible columns, in order
  std::vector<std::vector<GridCellView>> rows;
  int current_row = -1;  // index into rows; -1 when the grid shows no rows
  bool operator==(const GridView&) const = default;
};

struct ControlView {
  std::string kind;     // "edit", "combo", "button", "grid"...
  std::string name;
  std::string parent;   // name of the panel or group box it lies on; empty for the form
  std::string text;     // the edit's text, the button's or label's caption...
  bool showing = true;
  bool enabled = true;
  bool read_only = false;
  std::vector<std::string> items;  // of a drop-down list
  int item_index = -1;
  GridView grid;                   // of a data grid
  std::vector<std::string> notes;  // further settings worth showing ("default", "max 5 bytes")
  bool operator==(const ControlView&) const = default;
};

struct FormView {
  std::string name;      // the form's name, e.g. "xxinfo"
  std::string caption;
  int client_width = 0, client_height = 0;
  std::vector<ControlView> controls;  // in the order the form created them

  // The control of that name (ASCII case-insensitive), or null.
  const ControlView* Find(const std::string& name) const;
};

// The view of the form now. Grids are drawn for it, so their cell-drawing
// handlers run; an error in one is shown as the platform shows errors.
FormView Describe(Form& form);

// The view as indented text lines, one control a line, children under their
// panel, grid rows under their grid ("> " marks the current row; a hidden
// grid shows only how many rows it holds).
std::string FormatView(const FormView& view);

}  // namespace forms
