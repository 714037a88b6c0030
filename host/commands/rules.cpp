// velmora rules lint [DIR]: reads the rule files 1.txt to 3.txt of DIR with
// their position files and templates as the validator reads them and prints
// everything that would go wrong for a school, one finding a line,
// "FILE:LINE: kind: explanation", then a summary. DIR defaults to the module
// directory, the folder velmora runs from, which holds the shipped rule set.
// Exit status 0 when nothing is found, 1 when something is, 2 when DIR cannot
// be linted (no rule file, a position file or template missing, no script
// engine: `velmora install` registers it).
#include <iostream>
#include <string>

#include "../command_registry.h"
#include "com/activation.h"
#include "platform/win/code_page.h"
#include "platform/win/library_loader.h"
#include "platform/win/path.h"
#include "validation/lint/rule_lint.h"

namespace velmora::cli {
namespace {

// The folder as a GBK path ending with "/".
std::string FolderOf(const std::string& utf8_dir) {
  if (utf8_dir.empty()) return win::ExtractFilePath(win::GetModuleFileName(win::HMODULE{nullptr}));
  std::string folder = win::Utf8ToAnsi(utf8_dir);
  if (!win::IsPathSeparator(folder.back())) folder += win::kPathSeparator;
  return folder;
}

int Lint(const std::string& utf8_dir) {
  const std::string folder = FolderOf(utf8_dir);
  if (!win::DirectoryExists(folder)) {
    std::cerr << "velmora rules lint: " << win::AnsiToUtf8(folder) << " is no folder\n";
    return 2;
  }
  com::CoInitialize(nullptr);
  int status = 2;
  try {
    const lint::LintReport report = lint::LintRuleSet(folder);
    for (const lint::Finding& finding : report.findings)
      std::cout << win::AnsiToUtf8(lint::FormatFinding(finding)) << "\n";
    std::string files;
    for (const std::string& file : report.files) files += (files.empty() ? "" : ", ") + file;
    std::cout << files << ": " << report.rules << " rules, " << report.findings.size()
              << (report.findings.size() == 1 ? " finding" : " findings") << "\n";
    status = report.findings.empty() ? 0 : 1;
  } catch (const std::exception& error) {  // LintError, or a failure of the spreadsheet or the engine
    std::cerr << "velmora rules lint: " << win::AnsiToUtf8(error.what()) << "\n";
  }
  com::CoUninitialize();
  return status;
}

const Registration rules{
    "rules", [](CLI::App& app) {
      auto* rules_cmd = app.add_subcommand("rules", "Work on the rule sets");
      rules_cmd->require_subcommand(1);
      auto* lint_cmd = rules_cmd->add_subcommand(
          "lint", "Check rule files, position files and templates for what would go wrong in a validation");
      static std::string dir;
      lint_cmd->add_option("dir", dir, "The folder holding 1.txt ... 3.txt (default: velmora's own folder)");
      lint_cmd->callback([] { SetExitStatus(Lint(dir)); });
    }};

}  // namespace
}  // namespace velmora::cli
