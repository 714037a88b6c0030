#include "information_dialogs.h"

#include "module_values.h"
#include "platform/forms/controls.h"

namespace velmora {

namespace {

void AddLines(forms::Form& form, std::initializer_list<const char*> lines) {
  int top = 16, n = 0;
  for (const char* line : lines) {
    auto& label = form.Add<forms::Label>("Label" + std::to_string(++n));
    label.Caption = Gbk(line);
    label.Left = 24;
    label.Top = top;
    label.Width = form.ClientWidth - 48;
    label.Height = 20;
    top += 28;
  }
}

forms::Button& AddCloseButton(forms::Form& form, const char* name, const char* caption, forms::ModalResult result) {
  auto& button = form.Add<forms::Button>(name);
  button.Caption = Gbk(caption);
  button.Default = true;
  button.Cancel = true;
  button.ModalResult = result;
  button.Width = 80;
  button.Height = 28;
  button.Left = (form.ClientWidth - button.Width) / 2;
  button.Top = form.ClientHeight - button.Height - 16;
  return button;
}

void Frame(forms::Form& form, const char* caption, int width, int height) {
  form.Caption = Gbk(caption);
  form.ClientWidth = width;
  form.ClientHeight = height;
  form.BorderStyle = forms::BorderStyle::Dialog;
  form.Position = forms::Position::ScreenCenter;
}

}  // namespace

TAbout::TAbout() : Form("About") {
  Frame(*this, "关于", 380, 220);
  AddLines(*this, {"Kelvara填报2010", "版本 1.0", "2010年度学校经费统计报表的填报、校验与打印。", "Vostrel软件"});
  AddCloseButton(*this, "btnOK", "确定", forms::mrOk);
}

TFrmZDYBBCX::TFrmZDYBBCX() : Form("FrmZDYBBCX") {
  Frame(*this, "自定义报表查询", 420, 220);
  AddLines(*this, {"自定义报表查询", "从已填报的基表中任选指标，组合成自己的报表，", "按学校、地区或隶属关系汇总、查询和打印。",
                   "Vostrel软件的另一产品。"});
  AddCloseButton(*this, "btnClose", "关闭", forms::mrCancel);
}

}  // namespace velmora
