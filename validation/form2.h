#pragma once
// TForm2, the validation dialog (form name "form2", caption "校验结果"): the
// whole validation runs while it is created (FormCreate): it reads the
// template name in E40, clears the marks of the last run, runs the rule file
// of the workbook's kind, lists the failures mandatory first (their type in
// red), and writes the validation flag B40. When nothing failed it says
// "提示：交验全部通过！" and closes right after it is shown. A double-click on
// a row stores the row's cell list in F40, marks and selects its cells and
// closes the dialog.
#include <functional>
#include <memory>
#include <optional>

#include "com/com_ptr.h"
#include "excel/com/excel.h"
#include "platform/forms/client_dataset.h"
#include "platform/forms/db_grid.h"
#include "platform/forms/form.h"
#include "validation/validation_context.h"

namespace velmora {

// Where a dialog created by the form dispatch finds its workbook: the
// add-in's module-wide application reference, and the module directory.
using ExcelSource = std::function<com::ComPtr<excel::_Application>()>;

// Registers TForm2 with the class registry (once; again changes nothing) and
// keeps the source for the dialogs the registry creates.
void RegisterValidationForms(ExcelSource excel_app);
// Takes TForm2 out of the registry again.
void UnregisterValidationForms();

class TForm2 : public forms::Form {
 public:
  // The dialog of the form dispatch: the application from the registered
  // source, the data files from the module directory.
  TForm2();
  // A dialog on a given application and data folder.
  explicit TForm2(std::function<ValidationContext()> context);
  ~TForm2() override;

  forms::DBGrid& DBGrid1;
  forms::DataSource& DataSource1;
  forms::ClientDataSet& ClientDataSet1;  // present, not used

  // The result list of the run; null before it was built.
  forms::ClientDataSet* Results() const { return FResults.get(); }

  void FormCreate(forms::Component& sender);
  void DBGrid1DblClick(forms::Component& sender);
  void DBGrid1DrawColumnCell(forms::Component& sender, const forms::Rect& rect, int data_col, forms::Column& column,
                             unsigned state);
  // Ends the dialog, then marks and selects one cell; an error is shown and
  // the caller goes on with the next cell.
  void FindErrorCell(int sheet_number, int row, int column);

 private:
  std::function<ValidationContext()> FContextSource;
  std::optional<ValidationContext> FContext;
  std::unique_ptr<forms::ClientDataSet> FResults;
};

}  // namespace velmora
