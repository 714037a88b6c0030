// velmora click CAPTION-OR-TAG [FILE] [--answers FILE]: starts the
// spreadsheet host with its add-ins, opens FILE, clicks the button (toolbar
// or menu) with that tag, or else that caption, and plays the user from the
// answers file: every message box and dialog shown is printed with what was
// answered; one with no answer left is closed with its cancel or close
// button, and that is printed too. On leaving, every open workbook with
// unsaved changes (FILE, and one the click made, such as the school's new
// workbook with its cells locked) is saved, as the user answers the
// spreadsheet's question on closing; each is printed as "saved PATH".
#include <iostream>

#include "../command_registry.h"
#include "addin/workbook/excel_ops.h"
#include "com/bstr.h"
#include "com/variant.h"
#include "host/app/excel_host.h"
#include "platform/forms/answers.h"
#include "platform/forms/scripted_driver.h"
#include "platform/win/code_page.h"

namespace velmora::cli {
namespace {

// Saves every open workbook with unsaved changes and prints its path; false
// when one could not be saved (said on stderr).
bool SaveChangedWorkbooks(excel::_Application* app) {
  com::ComPtr<excel::Workbooks> books;
  com::LONG count = 0;
  if (com::FAILED(app->get_Workbooks(books.Put())) || com::FAILED(books->get_Count(&count))) return false;
  bool saved_all = true;
  for (com::LONG i = 1; i <= count; ++i) {
    com::ComPtr<excel::_Workbook> book;
    com::VARIANT_BOOL saved = com::VARIANT_TRUE;
    if (com::FAILED(books->get_Item(com::Variant(static_cast<std::int32_t>(i)), book.Put())) ||
        com::FAILED(book->get_Saved(&saved)) || saved)
      continue;
    const workbook::Workbook changed(book);
    try {
      changed.Save();
      std::cout << "saved " << win::AnsiToUtf8(changed.FullName()) << "\n";
    } catch (const std::exception& error) {
      std::cerr << "velmora click: " << win::AnsiToUtf8(changed.FullName())
                << " cannot be saved: " << win::AnsiToUtf8(error.what()) << "\n";
      saved_all = false;
    }
  }
  return saved_all;
}

int Click(const std::string& target, const std::string& file, const std::string& answers_file) {
  std::vector<forms::AnswerLine> answers;
  if (!answers_file.empty()) answers = forms::ReadAnswersFile(answers_file);
  auto driver = std::make_shared<forms::ScriptedDriver>(std::move(answers));
  driver->SetEcho([](const std::string& line) { std::cout << line << "\n"; });
  forms::ScriptedDriver::Install installed(driver);

  host::ExcelHost excel;
  for (const auto& addin : excel.AddIns())
    if (!addin.object) std::cerr << "velmora click: the add-in " << addin.progid << " was not loaded: " << addin.error << "\n";
  if (!file.empty()) {
    try {
      com::ComPtr<excel::_Application> app(excel.Application());
      workbook::Application(app).Open(win::Utf8ToAnsi(file));
    } catch (const std::exception& error) {
      std::cerr << "velmora click: " << file << " cannot be opened: " << win::AnsiToUtf8(error.what()) << "\n";
      return 1;
    }
  }
  std::cout << "click " << target << "\n";
  office::ClickResult result = excel.CommandBars().Click(target);
  if (!result.found) {
    std::cerr << "velmora click: no visible button has the tag or caption \"" << target << "\"\n";
    return 1;
  }
  std::cout << "clicked " << result.path << " (" << result.sinks_called
            << (result.sinks_called == 1 ? " sink" : " sinks") << " called)\n";
  if (driver->PendingAnswers() > 0) std::cout << driver->PendingAnswers() << " answers left unused\n";
  const bool saved = SaveChangedWorkbooks(excel.Application());
  excel.Close();
  return saved ? 0 : 1;
}

const Registration click{"click", [](CLI::App& app) {
  auto* cmd = app.add_subcommand("click", "Click a toolbar button or menu entry of the add-in, answering its dialogs; changed workbooks are saved on leaving");
  static std::string target, file, answers;
  cmd->add_option("target", target, "The button's tag or caption")->required();
  cmd->add_option("file", file, "A workbook (.xlsx) to open first; saved on leaving when the click changed it");
  cmd->add_option("--answers", answers, "The answers file: one answer a line");
  cmd->callback([] { SetExitStatus(Click(target, file, answers)); });
}};

}  // namespace
}  // namespace velmora::cli
