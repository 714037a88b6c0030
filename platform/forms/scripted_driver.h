#pragma once
// The scripted driver of the command line and the tests: it plays the user
// from a list of answers (answers.h), taken in order as forms, save-file
// dialogs and message boxes come up, and records everything it was shown.
//
// A form takes the answers meant for a form for as long as it is open; when
// the next answer is none (the answers are used up, or the next one is for a
// dialog or a box), it is closed with its cancel button, or its close box if
// it has none or that did not close it, and that is reported. A save dialog
// whose next answer is no save or cancel is cancelled; a message box whose
// next answer is no box answer is closed as its close button would (Cancel,
// or OK for a box with OK alone, No for Yes/No, Abort for Abort/Retry/Ignore).
// An answer the user could not give (an unknown or hidden control, an item
// not offered, a button the box does not have) is reported and skipped.
//
// A print preview is reported by its title; with a preview path set, its PDF
// file is copied there first (a copy that fails makes the preview fail).
//
// It is both the form driver and the UI driver; Install plugs it in as both.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "answers.h"
#include "form_driver.h"
#include "form_view.h"
#include "platform/ui/recording_driver.h"
#include "platform/ui/ui_driver.h"
#include "save_dialog.h"

namespace forms {

struct FormStep {
  std::string answer;   // the answer's line as written, or what the driver did unanswered
  std::string refused;  // why the user could not give it; empty when given
};

struct FormRecord {
  FormView shown;  // the form as it came up
  std::vector<FormStep> steps;
  FormView last;  // the form as it was when it closed
  bool unanswered = false;  // closed for lack of an answer
};

struct PrintPreviewShown {
  std::string title;       // UTF-8
  std::string written_to;  // where its PDF file was copied; empty when it was not
};

struct SaveDialogRecord {
  SaveDialogRequest request;
  std::optional<std::string> answer;  // the path given; nothing for cancel
};

class ScriptedDriver : public FormDriver, public ui::UiDriver {
 public:
  explicit ScriptedDriver(std::vector<AnswerLine> answers = {});
  static std::shared_ptr<ScriptedDriver> FromText(std::string_view answers);

  void ShowModal(ModalSession& session) override;
  std::optional<std::string> ExecuteSaveDialog(const SaveDialogRequest& request) override;
  ui::Answer MessageBox(const std::string& text, const std::string& caption, ui::Buttons buttons) override;
  void ShowPrintPreview(const std::string& pdf_file, const std::string& title) override;
  // Where the PDF file of every print preview is copied (the last one stays);
  // empty: nowhere.
  void SetPreviewPath(std::string path) { preview_path_ = std::move(path); }

  const std::vector<FormRecord>& Forms() const { return forms_; }
  const std::vector<SaveDialogRecord>& SaveDialogs() const { return save_dialogs_; }
  const std::vector<ui::MessageBoxRecord>& MessageBoxes() const { return boxes_; }
  const std::vector<PrintPreviewShown>& PrintPreviews() const { return previews_; }
  // Answers not used yet.
  std::size_t PendingAnswers() const { return answers_.size() - next_; }
  // Everything shown and done, in order, one text line each (forms with
  // their controls, answers, refusals, boxes, dialogs): what the command line
  // prints.
  const std::vector<std::string>& Log() const { return log_; }
  // Called with every log line as it is written.
  void SetEcho(std::function<void(const std::string& line)> echo) { echo_ = std::move(echo); }

  // Installs the driver as form driver and UI driver while the object lives.
  class Install {
   public:
    explicit Install(std::shared_ptr<ScriptedDriver> driver);
    ~Install();
    Install(const Install&) = delete;
    Install& operator=(const Install&) = delete;

   private:
    ScopedFormDriver forms_;
    ui::ScopedDriver ui_;
  };

 private:
  const AnswerLine* Next(bool (AnswerLine::*wanted)() const) const;
  void Apply(ModalSession& session, const AnswerLine& answer);
  void Write(const std::string& line);
  void WriteView(const FormView& view);

  std::vector<AnswerLine> answers_;
  std::size_t next_ = 0;
  std::vector<FormRecord> forms_;
  std::vector<SaveDialogRecord> save_dialogs_;
  std::vector<ui::MessageBoxRecord> boxes_;
  std::vector<PrintPreviewShown> previews_;
  std::string preview_path_;
  std::vector<std::string> log_;
  std::function<void(const std::string&)> echo_;
};

}  // namespace forms
