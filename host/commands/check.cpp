// velmora check PATH... [--jobs N] [--report FILE.json|FILE.csv] [--write]:
// checks every return under the paths with the rules and verdicts of the
// validate command, N worker processes at a time, with a progress bar on a
// terminal. The returns are left as they are unless --write is given; with
// it each is saved and flagged as the validate command does. Prints a line
// per return (only the totals when a report file is written). Exit status
// 0 when every return passed, 1 when some failed, 2 when some could not be
// checked (and when nothing could be checked at all).
#include <iostream>
#include <thread>

#include "../command_registry.h"
#include "com/activation.h"
#include "host/check/progress_bar.h"
#include "host/check/report_files.h"
#include "host/check/return_check.h"
#include "host/check/return_files.h"
#include "host/check/worker_pool.h"
#include "platform/ui/ui_driver.h"
#include "platform/win/code_page.h"
#include "platform/win/library_loader.h"
#include "platform/win/path.h"

namespace velmora::cli {
namespace {

// Message boxes of a run (the stop of a rule file, an error while the marks
// are cleared) are answered at once; what they say is in the report.
class Unattended : public ui::UiDriver {
 public:
  ui::Answer MessageBox(const std::string&, const std::string&, ui::Buttons buttons) override {
    return ui::DefaultAnswer(buttons);
  }
};

// What one worker process checks with: COM, the quiet message boxes and the
// checker, in that order, and undone in the reverse one.
class CheckWorker : public check::Worker {
 public:
  CheckWorker(const std::string& directory, bool write)
      : com_(com::CoInitialize(nullptr)),
        ui_(std::make_shared<Unattended>()),
        checker_(directory, write) {
    try {
      checker_.RequireScriptEngine();
    } catch (const std::exception& error) {
      throw std::runtime_error(
          "the script engine MSScriptControl.ScriptControl cannot be created (has velmora install "
          "been run?): " +
          win::AnsiToUtf8(error.what()));
    }
  }
  check::ReturnReport Check(const std::string& file) override { return checker_.Check(file); }

 private:
  struct ComSession {
    explicit ComSession(com::HRESULT hr) : initialised(com::SUCCEEDED(hr)) {}
    ~ComSession() {
      if (initialised) com::CoUninitialize();
    }
    bool initialised;
  } com_;
  ui::ScopedDriver ui_;
  check::ReturnChecker checker_;
};

void PrintLine(const check::ReturnReport& report) {
  std::cout << check::VerdictName(report.verdict) << "  " << report.file;
  if (!report.school_code.empty() || !report.school_name.empty())
    std::cout << "  " << report.school_code << " " << report.school_name;
  std::size_t mandatory = 0;
  for (const check::Failure& failure : report.failures) mandatory += failure.type == "强制";
  if (!report.failures.empty())
    std::cout << "  (" << mandatory << " 强制, " << report.failures.size() - mandatory << " 提示)";
  if (!report.error.empty()) std::cout << "  " << report.error;
  std::cout << "\n";
}

int Check(const std::vector<std::string>& paths, int jobs, const std::string& report_file,
          bool write) {
  if (!report_file.empty() && !check::IsReportFileName(report_file)) {
    std::cerr << "velmora check: the report must be a .json or .csv file: " << report_file << "\n";
    return 2;
  }
  const std::vector<std::string> files = check::FindReturns(paths);
  if (files.empty()) {
    std::cerr << "velmora check: no workbooks (.xlsx) under the paths given\n";
    return 2;
  }
  const std::string directory = win::ExtractFilePath(win::GetModuleFileName(win::HMODULE{nullptr}));
  std::vector<check::ReturnReport> reports;
  try {
    check::ProgressBar bar(stderr);
    reports = check::CheckInWorkers(
        files, {jobs, 200}, [&] { return std::make_unique<CheckWorker>(directory, write); },
        [&bar](std::size_t done, std::size_t total) { bar.Update(done, total); });
  } catch (const std::exception& error) {
    std::cerr << "velmora check: " << error.what() << "\n";
    return 2;
  }
  if (!report_file.empty()) {
    try {
      check::WriteReportFile(report_file, reports);
    } catch (const std::exception& error) {
      std::cerr << "velmora check: " << error.what() << "\n";
      return 2;
    }
  } else {
    for (const check::ReturnReport& report : reports) PrintLine(report);
  }
  const check::Summary summary = check::Summarize(reports);
  std::cout << summary.returns << " returns: " << summary.passed << " passed, " << summary.failed
            << " failed, " << summary.errors << " could not be checked\n";
  return summary.errors ? 2 : summary.failed ? 1 : 0;
}

const Registration registration{
    "check", [](CLI::App& app) {
      auto* cmd = app.add_subcommand(
          "check", "Check every return under the paths as \"校验\" does, in parallel");
      static std::vector<std::string> paths;
      static int jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
      static std::string report;
      static bool write = false;
      cmd->add_option("paths", paths, "Workbooks, or folders searched for .xlsx files")->required();
      cmd->add_option("--jobs,-j", jobs, "Worker processes at the same time")
          ->check(CLI::PositiveNumber);
      cmd->add_option("--report", report, "Write the report to FILE.json or FILE.csv");
      cmd->add_flag("--write", write,
                    "Save, flag (B40) and clear the marks as the validate command does");
      cmd->callback([] {
        try {
          SetExitStatus(Check(paths, jobs, report, write));
        } catch (const std::exception& error) {
          std::cerr << "velmora check: " << error.what() << "\n";
          SetExitStatus(2);
        }
      });
    }};

}  // namespace
}  // namespace velmora::cli
