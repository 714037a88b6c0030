#pragma once
// The school list dialog "学校信息" (form name "Form5"): the school list
// alone, in a grid. Its edit box filters nothing and it writes nothing; no
// menu entry opens it.
#include <memory>

#include "platform/forms/client_dataset.h"
#include "platform/forms/controls.h"
#include "platform/forms/db_grid.h"
#include "platform/forms/edit.h"
#include "platform/forms/form.h"
#include "school_info_environment.h"

namespace velmora {

class TForm5 : public forms::Form {
 public:
  explicit TForm5(SchoolInfoEnvironment environment = {});
  ~TForm5() override;

  forms::Label& Label1;
  forms::Edit& Edit1;
  forms::DBGrid& DBGrid1;
  forms::DataSource& DataSource1;

  // Null when the list could not be read.
  forms::ClientDataSet* SchoolList() const { return list_.get(); }

 private:
  void FormCreate(forms::Component& sender);

  SchoolInfoEnvironment environment_;
  std::unique_ptr<forms::ClientDataSet> list_;
};

}  // namespace velmora
