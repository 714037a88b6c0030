#pragma once
// The tests' UI driver: answers message boxes from a queue of answers given
// beforehand and records every box shown, so that a test can state exactly
// which boxes the user saw. With the queue empty a box gets its default
// answer (the first button).
#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "ui_driver.h"

namespace ui {

struct PrintPreviewRecord {
  std::string title;  // UTF-8: the sheet's name
  std::string pdf;    // the file's bytes, read while it was shown
};

struct MessageBoxRecord {
  std::string text;     // UTF-8
  std::string caption;  // UTF-8
  Buttons buttons;
  Answer answer;  // what the driver answered
};

class RecordingDriver : public UiDriver {
 public:
  // The answer for the next box that is shown. A queued answer that is no
  // button of that box makes the box throw std::logic_error (a test fault).
  void QueueAnswer(Answer answer);
  std::size_t PendingAnswers() const { return answers_.size(); }

  Answer MessageBox(const std::string& text, const std::string& caption, Buttons buttons) override;

  const std::vector<MessageBoxRecord>& MessageBoxes() const { return boxes_; }

  void ShowPrintPreview(const std::string& pdf_file, const std::string& title) override;
  const std::vector<PrintPreviewRecord>& PrintPreviews() const { return previews_; }
  // How many boxes with exactly this text and caption were shown.
  std::size_t CountMessageBoxes(const std::string& text, const std::string& caption) const;
  // Forgets the boxes and previews shown and the answers still queued.
  void Clear();

 private:
  std::deque<Answer> answers_;
  std::vector<MessageBoxRecord> boxes_;
  std::vector<PrintPreviewRecord> previews_;
};

}  // namespace ui
