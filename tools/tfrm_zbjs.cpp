#include "tools/tfrm_zbjs.h"

#include <stdexcept>

#include "platform/forms/application.h"
#include "platform/forms/events.h"
#include "platform/win/code_page.h"
#include "tools/tools_forms.h"

namespace velmora {

namespace {

IndicatorTexts RegisteredIndicatorTexts() {
  const ToolTexts& texts = RegisteredToolTexts();
  if (!texts.indicator_code || !texts.indicator_name || !texts.indicator_explanation)
    throw std::logic_error("TfrmZBJS: the indicator-explanation dialog is not registered");
  return {texts.indicator_code, texts.indicator_name, texts.indicator_explanation};
}

template <class C>
C& Place(C& control, int left, int top, int width, int height) {
  control.Left = left;
  control.Top = top;
  control.Width = width;
  control.Height = height;
  return control;
}

}  // namespace

TfrmZBJS::TfrmZBJS() : TfrmZBJS(RegisteredIndicatorTexts()) {}

TfrmZBJS::TfrmZBJS(IndicatorTexts texts)
    : forms::Form("frmZBJS"),
      Label1(Place(Add<forms::Label>("Label1"), 8, 8, 150, 23)),
      txt_zbmc(Place(Add<forms::Edit>("txt_zbmc"), 8, 32, 481, 19)),
      Label2(Place(Add<forms::Label>("Label2"), 8, 72, 150, 25)),
      txt_zbjs(Place(Add<forms::RichEdit>("txt_zbjs"), 8, 96, 481, 193)),
      FTexts(texts) {
  Caption = win::Utf8ToAnsi("指标解释");
  BorderStyle = forms::BorderStyle::Single;
  BorderIcons = forms::biSystemMenu;
  ClientWidth = 498;
  ClientHeight = 292;
  Left = 672;
  Top = 248;
  ShowHint = true;
  Label1.Caption = win::Utf8ToAnsi("指标名称:");
  Label2.Caption = win::Utf8ToAnsi("指标解释:");
  txt_zbmc.ReadOnly = true;
  txt_zbmc.TabOrder = 0;
  txt_zbjs.ReadOnly = true;
  txt_zbjs.TabOrder = 1;
  txt_zbjs.Font.Charset = forms::GB2312_CHARSET;
  OnCreate = forms::Bind(*this, &TfrmZBJS::FormCreate);
}

void TfrmZBJS::FormCreate(forms::Component&) {
  try {
    txt_zbmc.SetText(" " + *FTexts.code + ": " + *FTexts.name);
    txt_zbjs.SetText(*FTexts.explanation);
  } catch (const std::exception& error) {
    forms::ShowException(error);
  }
}

}  // namespace velmora
