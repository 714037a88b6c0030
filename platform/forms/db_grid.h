#pragma once
// The data grid: shows the records of a client dataset through a data source,
// one row per record of the dataset's view, one column per visible Column
// (or per field when no columns are defined). The current row is the
// dataset's current record.
//
// Drawing happens when the driver looks at the form: for every cell the
// canvas font gets the grid's colour, the grid draws the cell
// (DefaultDrawColumnCell), then OnDrawColumnCell runs with the dataset's
// fields showing that row; a handler that changes the font colour draws the
// cell again to show it.
//
// Window messages reach the grid through WindowProc, which a form may
// replace to handle some itself and pass the others on to the previous one.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "component.h"
#include "events.h"
#include "graphics.h"

namespace forms {

class ClientDataSet;
class Field;

// Connects data controls to a dataset.
class DataSource : public Component {
 public:
  using Component::Component;
  ClientDataSet* DataSet = nullptr;
};

struct Column {
  std::string FieldName;
  std::string Title;  // the field name when empty
  int Width = 64;
  bool Visible = true;
  bool ReadOnly = false;
  // The dataset's field of that name while the grid draws; null otherwise.
  forms::Field* Field = nullptr;
};

// A window message.
struct Message {
  unsigned Msg = 0;
  std::uintptr_t WParam = 0;
  std::intptr_t LParam = 0;
  std::intptr_t Result = 0;
};
inline constexpr unsigned WM_MOUSEWHEEL = 0x020A;
// The wheel turn of a WM_MOUSEWHEEL, in multiples of 120; negative towards the user.
inline short WheelDelta(const Message& message) { return static_cast<short>((message.WParam >> 16) & 0xFFFF); }
inline Message MouseWheelMessage(short delta) {
  return {WM_MOUSEWHEEL, static_cast<std::uintptr_t>(static_cast<std::uint16_t>(delta)) << 16, 0, 0};
}

enum GridDrawState : unsigned { gdNone = 0, gdSelected = 1, gdFocused = 2, gdFixed = 4 };
using DrawColumnCellEvent =
    std::function<void(Component& sender, const Rect& rect, int data_col, Column& column, unsigned state)>;
using WindowProcedure = std::function<void(Message& message)>;

class DBGrid : public Control {
 public:
  explicit DBGrid(std::string name = {});

  forms::DataSource* DataSource = nullptr;
  std::vector<Column> Columns;
  bool ReadOnly = false;
  bool ShowTitles = true;
  bool ShowIndicator = true;
  bool AlwaysShowVerticalScrollBar = false;
  // The canvas the cells are drawn on; its font starts as the grid's Font for every cell.
  forms::Canvas Canvas;

  NotifyEvent OnDblClick;
  DrawColumnCellEvent OnDrawColumnCell;
  // Starts as the grid's own handling; the platform's grid does nothing with
  // the mouse wheel by itself.
  WindowProcedure WindowProc;

  // The dataset shown, or null when there is no source or it shows nothing.
  ClientDataSet* DataSet() const;
  // Sends a message to the grid through WindowProc; returns its result.
  std::intptr_t Perform(Message message);
  // Draws the cell with the canvas as it is now (the handler's way of showing a colour).
  void DefaultDrawColumnCell(const Rect& rect, int data_col, Column& column, unsigned state);

  // What the user does (the modal session calls these): double-clicks the
  // given 1-based row of those shown, which becomes the current record first;
  // 0 double-clicks where the grid has no row.
  void UserDoubleClick(int row);

  std::string_view Kind() const override { return "grid"; }
  void Describe(ControlView& view) override;

 private:
  std::vector<Column> ShownColumns() const;

  struct DrawnCell {
    std::string text;
    Color color = clWindowText;
  };
  DrawnCell* drawing_ = nullptr;  // the cell being drawn
};

}  // namespace forms
