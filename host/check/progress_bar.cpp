#include "host/check/progress_bar.h"

#include <unistd.h>
#include <string>

namespace velmora::check {

ProgressBar::ProgressBar(std::FILE* file) : file_(isatty(fileno(file)) ? file : nullptr) {}

ProgressBar::~ProgressBar() {
  if (file_ && shown_) {
    std::fputs("\r\033[K", file_);
    std::fflush(file_);
  }
}

void ProgressBar::Update(std::size_t done, std::size_t total) {
  if (!file_ || total == 0) return;
  const auto now = std::chrono::steady_clock::now();
  if (shown_ && done < total && now - last_ < std::chrono::milliseconds(100)) return;
  last_ = now;
  constexpr std::size_t kWidth = 40;
  const std::size_t filled = done * kWidth / total;
  const std::string bar = std::string(filled, '#') + std::string(kWidth - filled, '.');
  std::fprintf(file_, "\r[%s] %zu/%zu returns", bar.c_str(), done, total);
  std::fflush(file_);
  shown_ = true;
}

}  // namespace velmora::check
