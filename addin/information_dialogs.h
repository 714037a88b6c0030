#pragma once
// The information dialogs of the menu: the About box and the description of
// the maker's other product.
#include "platform/forms/form.h"

namespace velmora {

// "关于": the product, its version and what it does.
class TAbout : public forms::Form {
 public:
  TAbout();
};

// The maker's other product, "自定义报表查询".
class TFrmZDYBBCX : public forms::Form {
 public:
  TFrmZDYBBCX();
};

}  // namespace velmora
