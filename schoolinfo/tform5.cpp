#include "tform5.h"

#include <exception>

#include "gbk.h"
#include "platform/forms/application.h"
#include "school_list.h"

namespace velmora {

using schoolinfo::G;

TForm5::TForm5(SchoolInfoEnvironment environment)
    : forms::Form("Form5"),
      Label1(Add<forms::Label>("Label1")),
      Edit1(Add<forms::Edit>("Edit1")),
      DBGrid1(Add<forms::DBGrid>("DBGrid1")),
      DataSource1(Add<forms::DataSource>("DataSource1")),
      environment_(std::move(environment)) {
  Caption = G("学校信息");
  ClientWidth = 371;
  ClientHeight = 538;
  BorderStyle = forms::BorderStyle::Sizeable;
  Label1.Caption = G("输入字母或汉字：");
  Label1.Left = 8;
  Label1.Top = 12;
  Edit1.Left = 120;
  Edit1.Top = 8;
  Edit1.Width = 240;
  Edit1.Height = 21;
  DBGrid1.Top = 40;
  DBGrid1.Width = 371;
  DBGrid1.Height = 498;
  DBGrid1.ReadOnly = true;
  DBGrid1.DataSource = &DataSource1;
  DBGrid1.Columns = {{"dqdm", G("地区代码"), 64},      {"xxmc", G("学校名称"), 280},
                      {"xxdm", "xxdm", 64, false},    {"lsgx", "lsgx", 64, false},
                      {"xxlb", "xxlb", 64, false},    {"zgbm", "zgbm", 64, false},
                      {"pyszm", "pyszm", 64, false}};
  OnCreate = forms::Bind(*this, &TForm5::FormCreate);
}

TForm5::~TForm5() { DataSource1.DataSet = nullptr; }

void TForm5::FormCreate(forms::Component&) {
  try {
    list_ = LoadSchoolList(environment_.module_dir + kSchoolListFileName);
    DataSource1.DataSet = list_.get();
  } catch (const std::exception& error) {
    forms::ShowException(error);
  }
}

}  // namespace velmora
