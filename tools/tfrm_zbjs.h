#pragma once
// TfrmZBJS, the indicator-explanation dialog (form name "frmZBJS", caption
// "指标解释"): on creation its name box shows " " + number + ": " + name and
// its rich-text box the explanation, both read-only. No buttons; the user
// closes it with the close box.
#include <string>

#include "platform/forms/controls.h"
#include "platform/forms/edit.h"
#include "platform/forms/form.h"

namespace velmora {

struct IndicatorTexts {
  const std::string* code;
  const std::string* name;
  const std::string* explanation;
};

class TfrmZBJS : public forms::Form {
 public:
  // On the registered gIndicatorCode, gIndicatorName, gIndicatorExplanation.
  TfrmZBJS();
  explicit TfrmZBJS(IndicatorTexts texts);

  forms::Label& Label1;
  forms::Edit& txt_zbmc;
  forms::Label& Label2;
  forms::RichEdit& txt_zbjs;

  void FormCreate(forms::Component& sender);

 private:
  IndicatorTexts FTexts;
};

}  // namespace velmora
