#pragma once
// The save-file dialog. Execute asks the form driver for a file name; with
// OverwritePrompt set, choosing a file that exists asks in a message box
// whether to replace it, and "No" returns to the dialog.
#include <optional>
#include <string>

#include "component.h"

namespace forms {

// What the driver is shown of a save-file dialog; UTF-8.
struct SaveDialogRequest {
  std::string title;
  std::string filter;       // "description|pattern|description|pattern..."
  std::string default_ext;  // without the dot
  std::string file_name;    // the name proposed
  std::string initial_dir;
};

class SaveDialog : public Component {
 public:
  using Component::Component;

  // GBK texts.
  std::string Filter;
  std::string DefaultExt;
  std::string Title;
  std::string FileName;
  std::string InitialDir;
  bool OverwritePrompt = false;

  // True when the user chose a file; FileName then holds its path: a name
  // without a folder lies in InitialDir (when set), and one without an
  // extension gets "." + DefaultExt.
  bool Execute();
};

}  // namespace forms
