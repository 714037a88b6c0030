#include "recording_driver.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace ui {

void RecordingDriver::QueueAnswer(Answer answer) { answers_.push_back(answer); }

Answer RecordingDriver::MessageBox(const std::string& text, const std::string& caption,
                                   Buttons buttons) {
  Answer answer = DefaultAnswer(buttons);
  if (!answers_.empty()) {
    answer = answers_.front();
    answers_.pop_front();
    if (!IsAnswerOf(buttons, answer)) {
      throw std::logic_error(std::string("queued answer ") + AnswerName(answer) +
                             " is no button of the box \"" + text + "\" (" + ButtonsName(buttons) +
                             ")");
    }
  }
  boxes_.push_back({text, caption, buttons, answer});
  return answer;
}

void RecordingDriver::ShowPrintPreview(const std::string& pdf_file, const std::string& title) {
  std::ostringstream bytes;
  bytes << std::ifstream(pdf_file, std::ios::binary).rdbuf();
  previews_.push_back({title, bytes.str()});
}

std::size_t RecordingDriver::CountMessageBoxes(const std::string& text,
                                               const std::string& caption) const {
  return static_cast<std::size_t>(std::count_if(
      boxes_.begin(), boxes_.end(),
      [&](const MessageBoxRecord& box) { return box.text == text && box.caption == caption; }));
}

void RecordingDriver::Clear() {
  answers_.clear();
  boxes_.clear();
  previews_.clear();
}

}  // namespace ui
