#include "validation/form2.h"

#include <exception>
#include <stdexcept>

#include "addin/text/conversions.h"
#include "addin/text/module_directory.h"
#include "addin/workbook/base_table.h"
#include "platform/forms/application.h"
#include "platform/forms/class_registry.h"
#include "platform/win/message_box.h"
#include "validation/error_cells.h"
#include "validation/result_list.h"
#include "validation/rule_file.h"
#include "validation/rule_run.h"
#include "validation/validation_flag.h"

namespace velmora {

namespace {

constexpr char kClassName[] = "TForm2";

ExcelSource& RegisteredSource() {
  static ExcelSource source;
  return source;
}

ValidationContext ModuleContext() {
  const ExcelSource& source = RegisteredSource();
  com::ComPtr<excel::_Application> app = source ? source() : nullptr;
  if (!app) throw std::runtime_error(Gbk("没有打开的工作簿"));
  return {workbook::Application(std::move(app)), getFilePath()};
}

}  // namespace

void RegisterValidationForms(ExcelSource excel_app) {
  RegisteredSource() = std::move(excel_app);
  if (forms::FindClass(kClassName)) return;
  forms::RegisterClass(forms::ComponentClass{kClassName, typeid(TForm2), true,
                                             [] { return std::unique_ptr<forms::Component>(new TForm2()); }});
}

void UnregisterValidationForms() {
  if (const auto* found = forms::FindClass(kClassName); found && found->type == typeid(TForm2))
    forms::UnregisterClass(kClassName);
  RegisteredSource() = nullptr;
}

TForm2::TForm2() : TForm2(ModuleContext) {}

TForm2::TForm2(std::function<ValidationContext()> context)
    : forms::Form("form2"),
      DBGrid1(Add<forms::DBGrid>("DBGrid1")),
      DataSource1(Add<forms::DataSource>("DataSource1")),
      ClientDataSet1(Add<forms::ClientDataSet>("ClientDataSet1")),
      FContextSource(std::move(context)) {
  Caption = Gbk("校验结果");
  ClientWidth = 900;
  ClientHeight = 498;
  BorderStyle = forms::BorderStyle::Single;
  DBGrid1.Width = 900;
  DBGrid1.Height = 498;
  DBGrid1.Align = forms::Align::Client;
  DBGrid1.Columns = {{TypeField(), {}, 60, true, true}, {MessageField(), {}, 800, true, true}};
  DBGrid1.OnDblClick = forms::Bind(*this, &TForm2::DBGrid1DblClick);
  DBGrid1.OnDrawColumnCell = [this](forms::Component& sender, const forms::Rect& rect, int data_col,
                                    forms::Column& column, unsigned state) {
    DBGrid1DrawColumnCell(sender, rect, data_col, column, state);
  };
  OnCreate = forms::Bind(*this, &TForm2::FormCreate);
}

TForm2::~TForm2() {
  DBGrid1.DataSource = nullptr;
  DataSource1.DataSet = nullptr;
}

void TForm2::FormCreate(forms::Component&) {
  try {
    DBGrid1.AlwaysShowVerticalScrollBar = true;
    FContext = FContextSource();
    const workbook::Worksheet first = ActiveWorkbookOf(FContext->excel).Sheet(base_table::kFirstSheet);
    const std::string template_name = base_table::ReadCell(first, base_table::kTemplateNameCell);
    Icon.LoadFromFile(FContext->directory + "App.ico");
    Position = forms::Position::ScreenCenter;
    if (!Trim(template_name).empty()) ClearCellInfo(FContext->excel);

    const base_table::Kind kind = base_table::KindOfTemplateName(template_name);
    if (kind == base_table::Kind::None) return;
    RunResult run = JiaoYan(std::to_string(static_cast<int>(kind)), *FContext);
    FResults = std::move(run.results);
    DataSource1.DataSet = FResults.get();
    DBGrid1.DataSource = &DataSource1;
    SetJiaoYanFlagOnExcel(FContext->excel, *FResults, run.outcome);
    FResults->Last();
    // A run stopped by an error has not checked the rules after it: an empty
    // list then says nothing about them (the stop has been shown).
    if (FResults->RecordCount() == 0 && run.outcome.completed) {
      win::MessageBox(Gbk("提示：交验全部通过！"), forms::ApplicationTitle(), win::MB_OK);
      PostClose();
    } else {
      FResults->First();
    }
  } catch (const std::exception& error) {
    forms::ShowException(error);
  }
}

void TForm2::DBGrid1DblClick(forms::Component&) {
  try {
    if (forms::ClientDataSet* results = DBGrid1.DataSet()) {
      const std::string cell_list = results->FieldByName(kCellInfoField).AsString();
      if (!cell_list.empty() && FContext) {
        SetXxCellInfoOnExcel(FContext->excel, cell_list);
        ForEachCellPosition(cell_list, [this](int sheet, int row, int column) { FindErrorCell(sheet, row, column); });
      }
    }
    Close();
  } catch (const std::exception& error) {
    forms::ShowException(error);
  }
}

void TForm2::FindErrorCell(int sheet_number, int row, int column) {
  Close();
  try {
    MarkErrorCell(FContext->excel, sheet_number, row, column);
  } catch (const std::exception& error) {
    forms::ShowException(error);
  }
}

void TForm2::DBGrid1DrawColumnCell(forms::Component&, const forms::Rect& rect, int data_col, forms::Column& column,
                                   unsigned state) {
  if (column.Field && !column.Field->IsNull() && Trim(column.Field->AsString()) == MandatoryType()) {
    DBGrid1.Canvas.Font.Color = forms::RGB(255, 0, 0);
    DBGrid1.DefaultDrawColumnCell(rect, data_col, column, state);
  }
}

}  // namespace velmora
