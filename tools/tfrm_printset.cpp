#include "tools/tfrm_printset.h"

#include <stdexcept>

#include "platform/forms/events.h"
#include "platform/win/code_page.h"
#include "tools/tools_forms.h"

namespace velmora {

namespace {

std::string& RegisteredPaperSize() {
  std::string* paper = RegisteredToolTexts().paper_size;
  if (!paper) throw std::logic_error("Tfrm_PrintSet: the print-settings dialog is not registered");
  return *paper;
}

template <class C>
C& Place(C& control, int left, int top, int width, int height, int tab_order) {
  control.Left = left;
  control.Top = top;
  control.Width = width;
  control.Height = height;
  control.TabOrder = tab_order;
  return control;
}

}  // namespace

Tfrm_PrintSet::Tfrm_PrintSet() : Tfrm_PrintSet(RegisteredPaperSize()) {}

Tfrm_PrintSet::Tfrm_PrintSet(std::string& paper_size)
    : forms::Form("frm_PrintSet"),
      GroupBox1(Place(Add<forms::GroupBox>("GroupBox1"), 16, 24, 145, 97, 0)),
      cbb_PaperSize(Place(Add<forms::ComboBox>("cbb_PaperSize"), 32, 56, 65, 21, 1)),
      btn_OK(Place(Add<forms::Button>("btn_OK"), 184, 24, 73, 25, 2)),
      btn_Cancel(Place(Add<forms::Button>("btn_Cancel"), 184, 64, 73, 25, 3)),
      FPaperSize(paper_size) {
  Caption = win::Utf8ToAnsi("打印设置");
  BorderStyle = forms::BorderStyle::Dialog;
  ClientWidth = 276;
  ClientHeight = 144;
  Left = 527;
  Top = 179;
  GroupBox1.Caption = win::Utf8ToAnsi("纸张大小");
  cbb_PaperSize.SetItems({"A3", "A4"});
  cbb_PaperSize.SetItemIndex(1);
  btn_OK.Caption = win::Utf8ToAnsi("确定(&O)");
  btn_Cancel.Caption = win::Utf8ToAnsi("取消(&C)");
  btn_OK.OnClick = forms::Bind(*this, &Tfrm_PrintSet::btn_OKClick);
  btn_Cancel.OnClick = forms::Bind(*this, &Tfrm_PrintSet::btn_CancelClick);
}

void Tfrm_PrintSet::btn_OKClick(forms::Component&) {
  FPaperSize = cbb_PaperSize.Text();
  PostClose();
}

void Tfrm_PrintSet::btn_CancelClick(forms::Component&) {
  FPaperSize.clear();
  PostClose();
}

}  // namespace velmora
