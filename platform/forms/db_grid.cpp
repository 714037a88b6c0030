#include "db_grid.h"

#include "client_dataset.h"
#include "form_view.h"
#include "platform/win/code_page.h"

namespace forms {

DBGrid::DBGrid(std::string name) : Control(std::move(name)) {
  WindowProc = [](Message&) {};
}

ClientDataSet* DBGrid::DataSet() const {
  if (DataSource == nullptr || DataSource->DataSet == nullptr || !DataSource->DataSet->Active()) return nullptr;
  return DataSource->DataSet;
}

std::intptr_t DBGrid::Perform(Message message) {
  if (WindowProc) WindowProc(message);
  return message.Result;
}

void DBGrid::DefaultDrawColumnCell(const Rect&, int, Column& column, unsigned) {
  if (drawing_ == nullptr) return;  // outside drawing there is nothing to draw on
  drawing_->text = column.Field != nullptr ? column.Field->AsString() : std::string();
  drawing_->color = Canvas.Font.Color;
}

void DBGrid::UserDoubleClick(int row) {
  if (row > 0) {
    ClientDataSet* data_set = DataSet();
    if (data_set == nullptr) return;
    data_set->SetRecNo(row);
  }
  if (OnDblClick) OnDblClick(*this);
}

std::vector<Column> DBGrid::ShownColumns() const {
  std::vector<Column> shown;
  if (!Columns.empty()) {
    for (const Column& column : Columns) {
      if (column.Visible) shown.push_back(column);
    }
    return shown;
  }
  if (ClientDataSet* data_set = DataSet()) {
    for (const auto& field : data_set->Fields()) {
      Column column;
      column.FieldName = field->FieldName();
      shown.push_back(column);
    }
  }
  return shown;
}

void DBGrid::Describe(ControlView& view) {
  view.read_only = ReadOnly;
  std::vector<Column> columns = ShownColumns();
  for (const Column& column : columns) {
    view.grid.titles.push_back(win::AnsiToUtf8(column.Title.empty() ? column.FieldName : column.Title));
  }
  ClientDataSet* data_set = DataSet();
  if (data_set == nullptr || data_set->State() != DataSetState::Browse) return;

  for (std::size_t row = 0; row < data_set->view_.size(); ++row) {
    ClientDataSet::ShowRecord shown(*data_set, data_set->view_[row]);
    std::vector<GridCellView> cells;
    for (std::size_t col = 0; col < columns.size(); ++col) {
      Column& column = columns[col];
      column.Field = data_set->FindField(column.FieldName);
      DrawnCell cell;
      drawing_ = &cell;
      struct Done {
        DBGrid& grid;
        ~Done() { grid.drawing_ = nullptr; }
      } done{*this};
      Canvas.Font = Font;
      unsigned state = row == data_set->position_ ? gdSelected : gdNone;
      Rect rect{0, 0, column.Width, 0};
      DefaultDrawColumnCell(rect, static_cast<int>(col), column, state);
      if (OnDrawColumnCell) OnDrawColumnCell(*this, rect, static_cast<int>(col), column, state);
      column.Field = nullptr;
      cells.push_back({win::AnsiToUtf8(cell.text), cell.color});
    }
    view.grid.rows.push_back(std::move(cells));
  }
  if (!data_set->view_.empty()) view.grid.current_row = static_cast<int>(data_set->position_);
}

}  // namespace forms
