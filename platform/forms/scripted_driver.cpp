#include "scripted_driver.h"

#include <sstream>
#include <stdexcept>

#include "controls.h"
#include "form.h"
#include "modal_session.h"
#include "platform/win/code_page.h"
#include "platform/win/last_error.h"
#include "platform/win/path.h"

namespace forms {
namespace {

std::optional<ui::Answer> BoxAnswer(const std::string& word) {
  if (word == "ok") return ui::Answer::Ok;
  if (word == "cancel") return ui::Answer::Cancel;
  if (word == "yes") return ui::Answer::Yes;
  if (word == "no") return ui::Answer::No;
  if (word == "abort") return ui::Answer::Abort;
  if (word == "retry") return ui::Answer::Retry;
  if (word == "ignore") return ui::Answer::Ignore;
  return std::nullopt;
}

// What closing the box without choosing gives.
ui::Answer CloseAnswer(ui::Buttons buttons) {
  switch (buttons) {
    case ui::Buttons::Ok: return ui::Answer::Ok;
    case ui::Buttons::YesNo: return ui::Answer::No;
    case ui::Buttons::AbortRetryIgnore: return ui::Answer::Abort;
    default: return ui::Answer::Cancel;
  }
}

std::string FormTitle(const FormView& view) { return view.name + " \"" + view.caption + "\""; }

}  // namespace

ScriptedDriver::ScriptedDriver(std::vector<AnswerLine> answers) : answers_(std::move(answers)) {}

std::shared_ptr<ScriptedDriver> ScriptedDriver::FromText(std::string_view answers) {
  return std::make_shared<ScriptedDriver>(ParseAnswers(answers));
}

ScriptedDriver::Install::Install(std::shared_ptr<ScriptedDriver> driver) : forms_(driver), ui_(driver) {}
ScriptedDriver::Install::~Install() = default;

void ScriptedDriver::Write(const std::string& line) {
  log_.push_back(line);
  if (echo_) echo_(line);
}

void ScriptedDriver::WriteView(const FormView& view) {
  std::istringstream lines(FormatView(view));
  for (std::string line; std::getline(lines, line);) Write("  " + line);
}

const AnswerLine* ScriptedDriver::Next(bool (AnswerLine::*wanted)() const) const {
  if (next_ >= answers_.size() || !(answers_[next_].*wanted)()) return nullptr;
  return &answers_[next_];
}

void ScriptedDriver::Apply(ModalSession& session, const AnswerLine& answer) {
  using V = AnswerLine::Verb;
  switch (answer.verb) {
    case V::Set: session.SetText(answer.control, answer.text); break;
    case V::Type: session.Type(answer.control, answer.text); break;
    case V::Pick: session.Pick(answer.control, answer.text); break;
    case V::Click: session.Click(answer.control); break;
    case V::DblClick: session.DoubleClick(answer.control, answer.number); break;
    case V::Wheel: session.Wheel(answer.control, answer.number); break;
    case V::Close: session.CloseBox(); break;
    case V::Key: answer.text == "enter" ? session.PressEnter() : session.PressEscape(); break;
    default: break;  // not for a form; Next never hands these out here
  }
}

void ScriptedDriver::ShowModal(ModalSession& session) {
  const std::size_t index = forms_.size();
  forms_.push_back({session.View(), {}, {}, false});
  const std::string title = FormTitle(forms_[index].shown);
  Write("form " + title + " shown:");
  WriteView(forms_[index].shown);

  bool cancel_tried = false;
  while (session.Open()) {
    const AnswerLine* answer = Next(&AnswerLine::ForForm);
    if (answer == nullptr) {
      forms_[index].unanswered = true;
      Button* cancel = cancel_tried ? nullptr : session.CancelButton();
      if (cancel != nullptr) {
        cancel_tried = true;
        Write("no answer left for form " + title + ": clicking its cancel button " + cancel->Name());
        forms_[index].steps.push_back({"(click " + cancel->Name() + ")", {}});
        session.Click(cancel->Name());
        continue;
      }
      Write("no answer left for form " + title + ": closing it with its close box");
      forms_[index].steps.push_back({"(close)", {}});
      session.CloseBox();
      break;
    }
    ++next_;
    Write("> " + answer->source);
    FormStep step{answer->source, {}};
    try {
      Apply(session, *answer);
    } catch (const InputRefused& refused) {
      step.refused = refused.what();
      Write("  refused: " + step.refused);
    }
    forms_[index].steps.push_back(std::move(step));
  }
  forms_[index].last = session.View();
  Write("form " + title + " closed, modal result " + std::to_string(session.GetForm().GetModalResult()));
}

std::optional<std::string> ScriptedDriver::ExecuteSaveDialog(const SaveDialogRequest& request) {
  Write("save dialog \"" + request.title + "\" (filter \"" + request.filter + "\", default extension \"" +
        request.default_ext + "\") proposes \"" + request.file_name + "\"");
  SaveDialogRecord record{request, std::nullopt};
  const AnswerLine* answer = Next(&AnswerLine::ForSaveDialog);
  if (answer == nullptr) {
    Write("no answer left for the save dialog: cancelled");
  } else {
    ++next_;
    Write("> " + answer->source);
    if (answer->verb == AnswerLine::Verb::Save) {
      record.answer = answer->text.empty() ? request.file_name : answer->text;
    }
  }
  save_dialogs_.push_back(record);
  return record.answer;
}

ui::Answer ScriptedDriver::MessageBox(const std::string& text, const std::string& caption, ui::Buttons buttons) {
  Write("message box [" + caption + "] " + text + " (" + ui::ButtonsName(buttons) + ")");
  ui::Answer given = CloseAnswer(buttons);
  const AnswerLine* answer = Next(&AnswerLine::ForMessageBox);
  if (answer == nullptr) {
    Write("  closed unanswered: " + std::string(ui::AnswerName(given)));
  } else {
    ++next_;
    std::optional<ui::Answer> chosen = BoxAnswer(answer->text);
    if (chosen && ui::IsAnswerOf(buttons, *chosen)) {
      given = *chosen;
      Write("> " + answer->source);
    } else {
      Write("> " + answer->source);
      Write("  refused: the box has no button " + answer->text + "; closed: " + ui::AnswerName(given));
    }
  }
  boxes_.push_back({text, caption, buttons, given});
  return given;
}

void ScriptedDriver::ShowPrintPreview(const std::string& pdf_file, const std::string& title) {
  Write("print preview of \"" + title + "\"");
  PrintPreviewShown shown{title, {}};
  if (!preview_path_.empty()) {
    // Written beside the target and renamed over it: a failed copy leaves no
    // half-written preview.
    if (!win::CopyFile(win::Utf8ToAnsi(pdf_file), win::Utf8ToAnsi(preview_path_), false)) {
      const std::string why = win::GetLastErrorText();
      Write("  the preview cannot be written to " + preview_path_ + ": " + why);
      throw std::runtime_error("the print preview cannot be written to " + preview_path_ + ": " + why);
    }
    shown.written_to = preview_path_;
    Write("preview written to " + preview_path_);
  }
  previews_.push_back(std::move(shown));
}

}  // namespace forms
