#pragma once
// The school information dialog "设置学校信息" (form name "xxinfo"): the
// user types or picks the school, the affiliation and category choices
// follow the classification rules, and "设置完成" writes the information into
// the open base table of the right kind or into a new one made from its
// template.
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "addin/workbook/excel_ops.h"
#include "cell_locking.h"
#include "code_tables.h"
#include "platform/forms/client_dataset.h"
#include "platform/forms/combo_box.h"
#include "platform/forms/controls.h"
#include "platform/forms/db_grid.h"
#include "platform/forms/edit.h"
#include "platform/forms/form.h"
#include "platform/forms/save_dialog.h"
#include "school_info_environment.h"
#include "school_record.h"
#include "workbook_writer.h"

namespace velmora {

class Txxinfo : public forms::Form {
 public:
  explicit Txxinfo(SchoolInfoEnvironment environment = {});
  ~Txxinfo() override;

  // Part of the record (information string, start-up, checks).
  XXInfoRecord Record() const;
  std::string GetXXinfoString() const;
  std::string GetXXInfo() const;
  // False after one message box when the values make no usable record.
  bool CheckInfo() const;

  // Code tables and rules, filling the drop-downs.
  void Setlsgx();
  void Setxxlb(std::string_view start);
  void Setlsgxbyfirstchar(std::string_view first);
  void Setxxlbbylsgxandfirstchar(std::string_view lsgx_name, std::string_view first);
  std::string GetWhichJiBiao() const;

  // Start-up and the picker.
  void InitXXinfo();
  void BindXXinfo();
  void FilterXX();

  // Workbook generation.
  bool CheckIsEdit() const;
  void ShowFileSaveDialog(const std::string& template_name);
  bool OpenExcel(const std::string& file_name);
  void SetXXinfoOnExcel();
  void SetXXinfoTitleOnExcel();
  void SetJiBiao1XXInfoOnExcel();
  void SetJiBiao2XXInfoOnExcel();
  void SetJiBiao3XXInfoOnExcel();
  void SetCellsLockBiao(int table);
  void SetCellsLockBiaoByFileName(const std::string& file, int mode);
  void SetCellsLockBiaoByFileNameJ1(const std::string& file, int mode);

  // The full name (GBK) of the workbook the information was last written
  // into by this dialog; empty when none was.
  const std::string& WrittenWorkbook() const { return written_workbook_; }

  // The picker's school list; null before the first "选择高校代码".
  forms::ClientDataSet* SchoolList() const { return mydataset_.get(); }

  // Main view.
  forms::Edit& txtYear;
  forms::Edit& txtxxdm;
  forms::Edit& txtxxname;
  forms::Edit& txtdqdm;
  forms::Edit& txtdqmc;
  forms::ComboBox& cblsgx;
  forms::ComboBox& cbxxlb;
  forms::Edit& txtzgbm;
  forms::Button& btnok;
  forms::Button& btnXXSelect;
  // The school picker.
  forms::Panel& pnl1;
  forms::Edit& edt1;
  forms::Edit& edt2;
  forms::Button& btnReturn;
  forms::DBGrid& xxdbgrd;
  forms::DataSource& dsxxinfo;
  forms::SaveDialog& SaveDialog1;

 private:
  void FormCreate(forms::Component& sender);
  void txtYearKeyPress(forms::Component& sender, char& key);
  void txtdqdmKeyPress(forms::Component& sender, char& key);
  void txtxxdmChange(forms::Component& sender);
  void txtdqdmChange(forms::Component& sender);
  void cblsgxChange(forms::Component& sender);
  void btnXXSelectClick(forms::Component& sender);
  void edt1KeyUp(forms::Component& sender, std::uint16_t& key, unsigned shift);
  void edt2KeyUp(forms::Component& sender, std::uint16_t& key, unsigned shift);
  void mydatasetFilterRecord(forms::ClientDataSet& data_set, bool& accept);
  void xxdbgrdDblClick(forms::Component& sender);
  void btnReturnClick(forms::Component& sender);
  void btnokClick(forms::Component& sender);
  void xxdbgrdWindowProc(forms::Message& message);

  std::optional<workbook::Application> Excel() const { return ExcelOf(environment_); }
  // Excel, or an error when there is none.
  workbook::Application RequireExcel() const;
  std::string FirstOfSchoolCode() const;
  HeaderTexts Headers() const;
  std::string Today() const;
  void SetJiBiaoXXInfoOnExcel(base_table::Kind kind);

  SchoolInfoEnvironment environment_;
  CodeTables tables_;
  std::unique_ptr<forms::ClientDataSet> mydataset_;
  forms::WindowProcedure grid_window_proc_;  // the grid's own handling
  std::string written_workbook_;
};

}  // namespace velmora
