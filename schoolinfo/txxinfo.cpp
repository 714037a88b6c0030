#include "txxinfo.h"

#include <exception>

#include "addin/text/conversions.h"
#include "addin/workbook/base_table.h"
#include "gbk.h"
#include "info_file.h"
#include "platform/forms/application.h"
#include "platform/win/code_page.h"
#include "platform/win/last_error.h"
#include "platform/win/message_box.h"
#include "platform/win/path.h"
#include "school_list.h"

namespace velmora {

using forms::Bind;
using schoolinfo::G;

namespace {

forms::Label& AddLabel(forms::Form& form, const char* caption, int left, int top,
                       forms::Control* parent = nullptr) {
  forms::Label& label = form.Add<forms::Label>("", parent);
  label.Caption = G(caption);
  label.Left = left;
  label.Top = top;
  label.Width = 65;
  label.Height = 13;
  return label;
}

template <class C>
C& Place(C& control, int left, int top, int width, int height, int tab) {
  control.Left = left;
  control.Top = top;
  control.Width = width;
  control.Height = height;
  control.TabOrder = tab;
  return control;
}

// Digits, "." and backspace go through; every other character is discarded.
void KeepDigitsAndDot(char& key) {
  if (!((key >= '0' && key <= '9') || key == '.' || key == '\b')) key = '\0';
}

void Select(forms::ComboBox& box, std::string_view item) { box.SetItemIndex(box.IndexOf(item)); }

}  // namespace

Txxinfo::Txxinfo(SchoolInfoEnvironment environment)
    : forms::Form("xxinfo"),
      txtYear(Add<forms::Edit>("txtYear")),
      txtxxdm(Add<forms::Edit>("txtxxdm")),
      txtxxname(Add<forms::Edit>("txtxxname")),
      txtdqdm(Add<forms::Edit>("txtdqdm")),
      txtdqmc(Add<forms::Edit>("txtdqmc")),
      cblsgx(Add<forms::ComboBox>("cblsgx")),
      cbxxlb(Add<forms::ComboBox>("cbxxlb")),
      txtzgbm(Add<forms::Edit>("txtzgbm")),
      btnok(Add<forms::Button>("btnok")),
      btnXXSelect(Add<forms::Button>("btnXXSelect")),
      pnl1(Add<forms::Panel>("pnl1")),
      edt1(Add<forms::Edit>("edt1", &pnl1)),
      edt2(Add<forms::Edit>("edt2", &pnl1)),
      btnReturn(Add<forms::Button>("btnReturn", &pnl1)),
      xxdbgrd(Add<forms::DBGrid>("xxdbgrd", &pnl1)),
      dsxxinfo(Add<forms::DataSource>("dsxxinfo")),
      SaveDialog1(Add<forms::SaveDialog>("SaveDialog1")),
      environment_(std::move(environment)),
      tables_(environment_.module_dir) {
  Caption = G("设置学校信息");
  ClientWidth = 390;
  ClientHeight = 398;
  BorderStyle = forms::BorderStyle::Single;

  // The main view, labels to the left of their controls.
  const struct {
    forms::Control& control;
    const char* label;
  } rows[] = {{txtYear, "填报年份："}, {txtxxdm, "学校代码："}, {txtxxname, "学校名称："},
              {txtdqdm, "地区代码："}, {txtdqmc, "地区名称："}, {cblsgx, "隶属关系："},
              {cbxxlb, "学校类别："},  {txtzgbm, "主管部门："}};
  int tab = 0;
  for (const auto& row : rows) {
    const int top = 24 + tab * 36;
    AddLabel(*this, row.label, 40, top + 4);
    Place(row.control, 110, top, row.control.Name() == "txtxxdm" ? 121 : 241, 21, tab);
    ++tab;
  }
  txtYear.ReadOnly = true;
  txtYear.MaxLength = 4;
  txtYear.SetText("2010");
  txtxxdm.MaxLength = 5;
  txtxxname.MaxLength = 50;
  txtdqdm.MaxLength = 8;
  txtdqmc.MaxLength = 50;
  txtzgbm.MaxLength = 50;
  Place(btnok, 150, 330, 90, 30, 8).Caption = G("设置完成");
  btnok.Default = true;
  Place(btnXXSelect, 240, 60, 110, 21, 9).Caption = G("选择高校代码");

  // The school picker, over the whole client area.
  pnl1.Align = forms::Align::Client;
  AddLabel(*this, "学校代码：", 4, 12, &pnl1);
  Place(edt1, 68, 8, 60, 21, 0).MaxLength = 5;
  AddLabel(*this, "地区代码：", 136, 12, &pnl1);
  Place(edt2, 200, 8, 80, 21, 1).MaxLength = 8;
  Place(btnReturn, 300, 6, 75, 25, 2).Caption = G("返回");
  Place(xxdbgrd, 5, 40, 380, 350, 3);
  xxdbgrd.ReadOnly = true;
  xxdbgrd.ShowTitles = true;
  xxdbgrd.ShowIndicator = true;
  xxdbgrd.DataSource = &dsxxinfo;
  xxdbgrd.Columns = {{"dqdm", G("地区代码"), 61},   {"xxdm", G("学校代码"), 56},
                      {"xxmc", G("学校名称"), 241}, {"lsgx", "lsgx", 64, false},
                      {"xxlb", "xxlb", 64, false},  {"zgbm", "zgbm", 64, false},
                      {"pyszm", "pyszm", 64, false}};

  OnCreate = Bind(*this, &Txxinfo::FormCreate);
  txtYear.OnKeyPress = Bind(*this, &Txxinfo::txtYearKeyPress);
  txtdqdm.OnKeyPress = Bind(*this, &Txxinfo::txtdqdmKeyPress);
  txtxxdm.OnChange = Bind(*this, &Txxinfo::txtxxdmChange);
  txtdqdm.OnChange = Bind(*this, &Txxinfo::txtdqdmChange);
  cblsgx.OnChange = Bind(*this, &Txxinfo::cblsgxChange);
  btnXXSelect.OnClick = Bind(*this, &Txxinfo::btnXXSelectClick);
  edt1.OnKeyUp = Bind(*this, &Txxinfo::edt1KeyUp);
  edt2.OnKeyUp = Bind(*this, &Txxinfo::edt2KeyUp);
  xxdbgrd.OnDblClick = Bind(*this, &Txxinfo::xxdbgrdDblClick);
  btnReturn.OnClick = Bind(*this, &Txxinfo::btnReturnClick);
  btnok.OnClick = Bind(*this, &Txxinfo::btnokClick);
}

Txxinfo::~Txxinfo() {
  // The grid must not outlive the table it shows.
  dsxxinfo.DataSet = nullptr;
}

// ---------------------------------------------------------------- start-up

void Txxinfo::FormCreate(forms::Component&) {
  try {
    xxdbgrd.AlwaysShowVerticalScrollBar = true;
    grid_window_proc_ = xxdbgrd.WindowProc;
    xxdbgrd.WindowProc = [this](forms::Message& message) { xxdbgrdWindowProc(message); };
    Icon.LoadFromFile(environment_.module_dir + "App.ico");
    Position = forms::Position::ScreenCenter;
    InitXXinfo();
    pnl1.Visible = false;
  } catch (const std::exception& error) {
    forms::ShowException(error);
  }
}

void Txxinfo::xxdbgrdWindowProc(forms::Message& message) {
  if (message.Msg != forms::WM_MOUSEWHEEL) {
    if (grid_window_proc_) grid_window_proc_(message);
    return;
  }
  if (forms::ClientDataSet* data = xxdbgrd.DataSet()) {
    if (forms::WheelDelta(message) < 0)
      data->Next();
    else
      data->Prior();
  }
  message.Result = 1;  // consumed
}

void Txxinfo::InitXXinfo() {
  Setxxlb("");
  Setlsgx();
  const std::string info = GetXXInfo();
  if (info.empty()) return;
  const std::optional<StoredInfo> stored = ReadInfoString(info);
  if (!stored) return;
  txtdqdm.SetText(stored->dqdm);
  txtxxdm.SetText(stored->xxdm);
  Select(cblsgx, tables_.GetLsgxnameByDm(stored->lsgxdm));
  Setxxlbbylsgxandfirstchar(cblsgx.Text(), FirstOfSchoolCode());
  Select(cbxxlb, Trim(tables_.GetXxlbnameByDm(stored->xxlbdm)));
  txtxxname.SetText(stored->xxmc);
  txtzgbm.SetText(stored->zgbm);
  txtdqmc.SetText(stored->dqmc);
}

// ---------------------------------------------------------------- the record

XXInfoRecord Txxinfo::Record() const {
  return {txtYear.Text(), txtxxdm.Text(), txtxxname.Text(), txtdqdm.Text(),
          txtdqmc.Text(), cblsgx.Text(),  cbxxlb.Text(),    txtzgbm.Text()};
}

std::string Txxinfo::GetXXinfoString() const {
  const XXInfoRecord record = Record();
  return InfoString(record, tables_.GetLsgxdmByName(Trim(record.lsgx)),
                    tables_.GetXxlbdmByName(Trim(record.xxlb)));
}

std::string Txxinfo::GetXXInfo() const {
  return velmora::GetXXInfo(Excel(), environment_.module_dir);
}

bool Txxinfo::CheckInfo() const {
  if (std::optional<std::string> message = CheckInfoMessage(Record())) {
    win::MessageBox(*message, forms::ApplicationTitle(), win::MB_OK);
    return false;
  }
  return true;
}

// ---------------------------------------------------------------- rules

std::string Txxinfo::FirstOfSchoolCode() const { return schoolinfo::FirstChar(txtxxdm.Text()); }

void Txxinfo::Setlsgx() { cblsgx.SetItems(tables_.LsgxNames()); }
void Txxinfo::Setxxlb(std::string_view start) { cbxxlb.SetItems(tables_.XxlbNames(start)); }

void Txxinfo::Setlsgxbyfirstchar(std::string_view first) {
  cblsgx.Clear();
  cblsgx.SetItems(tables_.LsgxChoices(first, txtdqdm.Text()));
}

void Txxinfo::Setxxlbbylsgxandfirstchar(std::string_view lsgx_name, std::string_view first) {
  cbxxlb.Clear();
  cbxxlb.SetItems(tables_.XxlbChoices(lsgx_name, first, txtdqdm.Text()));
}

std::string Txxinfo::GetWhichJiBiao() const {
  return tables_.GetWhichJiBiao(txtxxdm.Text(), cblsgx.Text());
}

// ---------------------------------------------------------------- handlers

void Txxinfo::txtYearKeyPress(forms::Component&, char& key) { KeepDigitsAndDot(key); }
void Txxinfo::txtdqdmKeyPress(forms::Component&, char& key) { KeepDigitsAndDot(key); }
void Txxinfo::txtxxdmChange(forms::Component&) { Setlsgxbyfirstchar(FirstOfSchoolCode()); }
void Txxinfo::txtdqdmChange(forms::Component&) { Setlsgxbyfirstchar(FirstOfSchoolCode()); }
void Txxinfo::cblsgxChange(forms::Component&) {
  Setxxlbbylsgxandfirstchar(cblsgx.Text(), FirstOfSchoolCode());
}

void Txxinfo::btnXXSelectClick(forms::Component&) {
  pnl1.Visible = true;
  BindXXinfo();
}

void Txxinfo::btnReturnClick(forms::Component&) { pnl1.Visible = false; }
void Txxinfo::edt1KeyUp(forms::Component&, std::uint16_t&, unsigned) { FilterXX(); }
void Txxinfo::edt2KeyUp(forms::Component&, std::uint16_t&, unsigned) { FilterXX(); }

// ---------------------------------------------------------------- the picker

void Txxinfo::BindXXinfo() {
  std::unique_ptr<forms::ClientDataSet> table =
      LoadSchoolList(environment_.module_dir + kSchoolListFileName);
  table->OnFilterRecord = Bind(*this, &Txxinfo::mydatasetFilterRecord);
  dsxxinfo.DataSet = table.get();
  mydataset_ = std::move(table);
  mydataset_->First();
}

void Txxinfo::FilterXX() {
  if (!mydataset_) return;
  const bool school = !Trim(edt1.Text()).empty(), region = !Trim(edt2.Text()).empty();
  std::string expression;
  if (school) expression = "xxdm = '" + edt1.Text() + "*'";
  if (region) {
    if (!expression.empty())
      expression = "xxdm = '" + edt1.Text() + "*' and dqdm = '" + edt2.Text() + "*'";
    else
      expression = "dqdm = '" + edt2.Text() + "*'";
  }
  mydataset_->SetFiltered(false);
  mydataset_->SetFilter(expression);
  mydataset_->SetFiltered(true);
}

void Txxinfo::mydatasetFilterRecord(forms::ClientDataSet& data_set, bool& accept) {
  const auto occurs = [](const std::string& part, const std::string& whole) {
    return !part.empty() && whole.find(part) != std::string::npos;
  };
  accept = occurs(edt1.Text(), data_set.FieldByName("xxdm").AsString()) ||
           occurs(edt2.Text(), data_set.FieldByName("dqdm").AsString());
  if (edt1.Text().empty() && edt2.Text().empty()) accept = true;
}

void Txxinfo::xxdbgrdDblClick(forms::Component&) {
  forms::ClientDataSet* row = xxdbgrd.DataSet();
  if (!row || row->RecNo() == 0) return;  // no school under the mouse: nothing to take over
  const auto field = [row](const char* name) { return row->FieldByName(name).AsString(); };
  pnl1.Visible = false;
  // Read the row first: the rules below reload tables, never this one, but
  // the values are taken as they were when the user double-clicked.
  const std::string dqdm = field("dqdm"), xxdm = field("xxdm"), xxmc = field("xxmc"),
                    lsgx = field("lsgx"), xxlb = field("xxlb"), dqmc = field("dqmc"),
                    zgbm = field("zgbm");
  txtdqdm.SetText(dqdm);
  txtxxdm.SetText(xxdm);
  txtxxname.SetText(xxmc);
  const std::string lsgx_name = tables_.Getlsgxmcbylsgxdm(lsgx);
  const std::string xxlb_name = tables_.Getxxlbmcbyxxlbdm(xxlb);
  txtdqmc.SetText(dqmc);
  txtzgbm.SetText(zgbm);
  Select(cblsgx, lsgx_name);
  Setxxlbbylsgxandfirstchar(cblsgx.Text(), FirstOfSchoolCode());
  Select(cbxxlb, xxlb_name);
}

void Txxinfo::btnokClick(forms::Component&) {
  try {
    if (!CheckInfo()) return;
    if (CheckIsEdit()) {
      SetXXinfoOnExcel();
      Close();
      return;
    }
    ShowFileSaveDialog(GetWhichJiBiao());
  } catch (const std::exception& error) {
    forms::ShowException(error);
  }
}

// ---------------------------------------------------------------- workbook generation

workbook::Application Txxinfo::RequireExcel() const {
  std::optional<workbook::Application> excel = Excel();
  if (!excel) throw std::runtime_error("Excel is not running");
  return *excel;
}

HeaderTexts Txxinfo::Headers() const {
  return {txtxxdm.Text(), txtxxname.Text(), cblsgx.Text(),
          txtdqdm.Text(), txtdqmc.Text(),   cbxxlb.Text()};
}

std::string Txxinfo::Today() const {
  return environment_.today ? environment_.today() : TodayShortDate();
}

bool Txxinfo::CheckIsEdit() const { return velmora::CheckIsEdit(Excel(), GetWhichJiBiao()); }

void Txxinfo::ShowFileSaveDialog(const std::string& template_name) {
  SaveDialog1.Filter = "*.XLS|*.XLS";
  SaveDialog1.DefaultExt = "XLS";
  SaveDialog1.Title = G("选择基表存放路径");
  SaveDialog1.FileName =
      txtYear.Text() + "_" + txtxxdm.Text() + "_" + txtdqdm.Text() + "_" + template_name;
  if (!SaveDialog1.Execute()) return;
  const std::string target = SaveDialog1.FileName;
  // A school's filled-in return is never replaced without asking.
  if (win::FileExists(target) &&
      win::MessageBox(target + G(" 已存在。\n要替换它吗？"), SaveDialog1.Title,
                      win::MB_YESNO | win::MB_ICONWARNING) != win::IDYES)
    return;
  const std::string source =
      environment_.module_dir +
      base_table::TemplateFile(base_table::KindOfTemplateName(template_name));
  if (!win::CopyFile(source, target, false)) {
    win::MessageBox(G("无法由模板“") + win::ExtractFileName(source) + G("”生成基表“") + target +
                        G("”：") + G(win::GetLastErrorText()),
                    forms::ApplicationTitle(), win::MB_OK | win::MB_ICONERROR);
    return;
  }
  if (!OpenExcel(target)) return;
  SetXXinfoOnExcel();
  Close();
}

bool Txxinfo::OpenExcel(const std::string& file_name) {
  try {
    RequireExcel().Open(file_name);
    return true;
  } catch (const std::exception&) {
    win::MessageBox(G("打开工作簿失败！"), forms::ApplicationTitle(), win::MB_OK);
    return false;
  }
}

void Txxinfo::SetXXinfoOnExcel() {
  const workbook::Application excel = RequireExcel();
  const WriteOutcome outcome = velmora::SetXXinfoOnExcel(
      excel, environment_.module_dir, {GetXXinfoString(), GetWhichJiBiao(), txtYear.Text()},
      Headers(), Today());
  if (outcome == WriteOutcome::Written)
    if (std::optional<workbook::Workbook> book = excel.ActiveWorkbook())
      written_workbook_ = book->FullName();
}

void Txxinfo::SetXXinfoTitleOnExcel() {
  velmora::SetXXinfoTitleOnExcel(RequireExcel(), environment_.module_dir, Headers(), Today());
}

void Txxinfo::SetJiBiaoXXInfoOnExcel(base_table::Kind kind) {
  velmora::SetJiBiaoXXInfoOnExcel(RequireExcel(), kind, Headers(), Today());
}
void Txxinfo::SetJiBiao1XXInfoOnExcel() { SetJiBiaoXXInfoOnExcel(base_table::Kind::One); }
void Txxinfo::SetJiBiao2XXInfoOnExcel() { SetJiBiaoXXInfoOnExcel(base_table::Kind::Two); }
void Txxinfo::SetJiBiao3XXInfoOnExcel() { SetJiBiaoXXInfoOnExcel(base_table::Kind::Three); }

void Txxinfo::SetCellsLockBiao(int table) {
  velmora::SetCellsLockBiao(RequireExcel(), environment_.module_dir, table);
}

void Txxinfo::SetCellsLockBiaoByFileName(const std::string& file, int mode) {
  velmora::SetCellsLockBiaoByFileName(RequireExcel(), environment_.module_dir, file,
                                      mode == 1 ? LockMode::Unlock : LockMode::Lock);
}

void Txxinfo::SetCellsLockBiaoByFileNameJ1(const std::string& file, int mode) {
  velmora::SetCellsLockBiaoByFileName(RequireExcel(), environment_.module_dir, file,
                                      mode == 1 ? LockMode::Unlock : LockMode::Lock, true);
}

}  // namespace velmora
