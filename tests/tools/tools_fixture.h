#pragma once
// The fixture of the worksheet-tools tests: a folder of its own, a base-table
// workbook of kind 1 built with the workbook model (four data sheets with
// their codes in J40, the hidden print sheet, every sheet protected) and
// opened in the spreadsheet stand-in, and the recording UI driver. Texts in
// the tests are UTF-8; G() and U() convert.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "addin/workbook/base_table.h"
#include "addin/workbook/excel_ops.h"
#include "com/activation.h"
#include "excel/com/excel.h"
#include "excel/fault.h"
#include "excel/xlsx/model.h"
#include "platform/forms/form_driver.h"
#include "platform/forms/modal_session.h"
#include "platform/ui/recording_driver.h"
#include "platform/win/code_page.h"

namespace velmora::testing {

inline std::string G(const std::string& utf8) { return win::Utf8ToAnsi(utf8); }
inline std::string U(const std::string& gbk) { return win::AnsiToUtf8(gbk); }

inline constexpr char kPassword[] = "Kq7vXr42ZpmLt";

// A form driver that hands each modal showing to a function of the test.
class FunctionFormDriver : public forms::FormDriver {
 public:
  std::function<void(forms::ModalSession&)> show = [](forms::ModalSession&) {};
  int shown = 0;
  void ShowModal(forms::ModalSession& session) override {
    ++shown;
    show(session);
  }
  std::optional<std::string> ExecuteSaveDialog(const forms::SaveDialogRequest&) override { return std::nullopt; }
};

class ToolsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    excel::fault::Clear();
    char pattern[] = "/tmp/tools_test.XXXXXX";
    dir_ = mkdtemp(pattern);
    setenv("VELMORA_REGISTRY", (dir_ + "/registry.xml").c_str(), 1);
    ASSERT_TRUE(com::SUCCEEDED(com::CoInitialize(nullptr)));
    ui_ = std::make_shared<ui::RecordingDriver>();
    scoped_ui_.emplace(ui_);
    forms_ = std::make_shared<FunctionFormDriver>();
    scoped_forms_.emplace(forms_);
    model_ = xlsx::Workbook::Create();
    for (int n = 1; n <= 5; ++n) {
      xlsx::Worksheet& sheet = model_->AddSheet("S" + std::to_string(n));
      if (n <= 4) sheet.SetValue(40, 10, xlsx::Value::Text("J1_" + std::to_string(n)));
      if (n == 5) sheet.SetVisibility(xlsx::Visibility::Hidden);
      sheet.Protect(kPassword);
    }
    xlsx::Worksheet& first = model_->Sheet(1);
    for (int column : {1, 2, 5}) first.SetLocked(40, column, false);
    first.SetValue(40, 5, xlsx::Value::Text("基表1.xls"));
    model_->SetActiveSheet(1);
  }

  void TearDown() override {
    excel::fault::Clear();
    book_.reset();
    excel_.reset();
    scoped_forms_.reset();
    scoped_ui_.reset();
    com::CoUninitialize();
    std::filesystem::remove_all(dir_);
  }

  xlsx::Worksheet& ModelSheet(int n) { return model_->Sheet(n); }
  void Input(int sheet, int row, int column, double number) {
    model_->Sheet(sheet).SetLocked(row, column, false);
    model_->Sheet(sheet).SetValue(row, column, xlsx::Value::Number(number));
  }

  // Saves the model as the workbook and opens it; it becomes the active one.
  workbook::Workbook& Open() {
    path_ = dir_ + "/school.xlsx";
    model_->Save(path_);
    excel_.emplace(excel::CreateApplication());
    book_.emplace(excel_->Open(G(path_)));
    return *book_;
  }
  std::unique_ptr<xlsx::Workbook> Saved() const { return xlsx::Workbook::Load(path_); }
  // The open workbook's state as it would be saved (saved into a copy).
  std::unique_ptr<xlsx::Workbook> Current() {
    const std::filesystem::path copy = dir_ + "/current.xlsx";
    std::filesystem::copy_file(path_, dir_ + "/kept.xlsx", std::filesystem::copy_options::overwrite_existing);
    book_->Save();
    std::filesystem::copy_file(path_, copy, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::copy_file(dir_ + "/kept.xlsx", path_, std::filesystem::copy_options::overwrite_existing);
    return xlsx::Workbook::Load(copy.string());
  }

  std::string Directory() const { return G(dir_ + "/"); }
  const workbook::Application& Excel() const { return *excel_; }
  workbook::Workbook& Book() { return *book_; }

  void WriteFile(const std::string& name, const std::vector<std::string>& lines) {
    std::filesystem::create_directories(std::filesystem::path(dir_ + "/" + name).parent_path());
    std::ofstream out(dir_ + "/" + name, std::ios::binary);
    for (const std::string& line : lines) out << G(line) << "\r\n";
  }
  void WriteRaw(const std::string& name, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(dir_ + "/" + name).parent_path());
    std::ofstream(dir_ + "/" + name, std::ios::binary) << bytes;
  }

  std::vector<std::string> Boxes() const {
    std::vector<std::string> texts;
    for (const auto& box : ui_->MessageBoxes()) texts.push_back(box.text);
    return texts;
  }

  // Every sheet of the open workbook protected.
  bool AllProtected() const {
    for (int n = 1; n <= book_->SheetCount(); ++n)
      if (!book_->Sheet(n).ProtectContents()) return false;
    return true;
  }

  std::string dir_, path_;
  std::unique_ptr<xlsx::Workbook> model_;
  std::optional<workbook::Application> excel_;
  std::optional<workbook::Workbook> book_;
  std::shared_ptr<ui::RecordingDriver> ui_;
  std::optional<ui::ScopedDriver> scoped_ui_;
  std::shared_ptr<FunctionFormDriver> forms_;
  std::optional<forms::ScopedFormDriver> scoped_forms_;
};

}  // namespace velmora::testing
