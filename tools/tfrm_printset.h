#pragma once
// Tfrm_PrintSet, the print-settings dialog (form name "frm_PrintSet",
// caption "打印设置"): the paper size, "A3" or "A4" ("A4" chosen at the
// start). "确定(&O)" puts the chosen size into the paper-size text, "取消(&C)"
// empties it; both then post a close request. Neither is the default or the
// cancel button: closing the dialog with its close box leaves the text as it
// was.
#include <string>

#include "platform/forms/combo_box.h"
#include "platform/forms/controls.h"
#include "platform/forms/form.h"

namespace velmora {

class Tfrm_PrintSet : public forms::Form {
 public:
  // On the registered gPaperSize.
  Tfrm_PrintSet();
  // On a given paper-size text.
  explicit Tfrm_PrintSet(std::string& paper_size);

  forms::GroupBox& GroupBox1;
  forms::ComboBox& cbb_PaperSize;
  forms::Button& btn_OK;
  forms::Button& btn_Cancel;

  void btn_OKClick(forms::Component& sender);
  void btn_CancelClick(forms::Component& sender);

 private:
  std::string& FPaperSize;
};

}  // namespace velmora
