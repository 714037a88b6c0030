#pragma once
// A progress bar on a terminal: "[#####.....] 512/1000 returns", redrawn in
// place at most ten times a second and wiped when the check is done. Off
// when the stream is no terminal, so that logs and pipes stay clean.
#include <chrono>
#include <cstddef>
#include <cstdio>

namespace velmora::check {

class ProgressBar {
 public:
  // Shown on file only when it is a terminal.
  explicit ProgressBar(std::FILE* file);
  ~ProgressBar();  // wipes the bar
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  void Update(std::size_t done, std::size_t total);

 private:
  std::FILE* file_;
  bool shown_ = false;
  std::chrono::steady_clock::time_point last_{};
};

}  // namespace velmora::check
