#pragma once
// The fixture of the validation tests: a folder of its own with a registry
// into which the script engine's server is registered, a base-table workbook
// built with the workbook model and opened in the spreadsheet stand-in, rule
// and position files written beside it, and the recording UI driver.
// Texts in the tests are UTF-8; the fixture converts them to GBK.
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
#include "com/error_info.h"
#include "excel/com/excel.h"
#include "excel/fault.h"
#include "excel/xlsx/model.h"
#include "platform/ui/recording_driver.h"
#include "platform/win/code_page.h"
#include "platform/win/library_loader.h"
#include "validation/validation_context.h"

namespace velmora::testing {

inline std::string G(const std::string& utf8) { return win::Utf8ToAnsi(utf8); }
inline std::string U(const std::string& gbk) { return win::AnsiToUtf8(gbk); }

inline constexpr char kPassword[] = "Kq7vXr42ZpmLt";
// A school of base table 1: region 41010200, affiliation 21, category 112,
// school code 11069.
inline constexpr char kInfoString[] = "2010|41010200|21|112|11069|嵩山工学院|河南省教育厅|河南省郑州市中原区";

class ValidationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    excel::fault::Clear();
    char pattern[] = "/tmp/validation_test.XXXXXX";
    dir_ = mkdtemp(pattern);
    setenv("VELMORA_REGISTRY", (dir_ + "/registry.xml").c_str(), 1);
    ASSERT_TRUE(com::SUCCEEDED(com::CoInitialize(nullptr)));
    const char* bin = std::getenv("VELMORA_BIN_DIR");
    ASSERT_NE(bin, nullptr);
    bin_ = bin;
    ASSERT_EQ(CallExport("velscript.dll", "DllRegisterServer"), com::S_OK);
    ui_ = std::make_shared<ui::RecordingDriver>();
    scoped_ui_.emplace(ui_);
    model_ = xlsx::Workbook::Create();
    for (int n = 1; n <= 5; ++n) {
      xlsx::Worksheet& sheet = model_->AddSheet("S" + std::to_string(n));
      if (n <= 4) sheet.SetValue(40, 10, xlsx::Value::Text("J1_" + std::to_string(n)));
      sheet.Protect(kPassword);
    }
    xlsx::Worksheet& first = model_->Sheet(1);
    for (int column : {1, 2, 5}) first.SetLocked(40, column, false);
    first.SetValue(40, 1, xlsx::Value::Text(kInfoString));
    first.SetValue(40, 5, xlsx::Value::Text("基表1.xls"));
    model_->SetActiveSheet(1);
  }

  void TearDown() override {
    excel::fault::Clear();
    book_.reset();
    excel_.reset();
    scoped_ui_.reset();
    com::CoUninitialize();
    std::filesystem::remove_all(dir_);
  }

  // An input cell of the workbook before it is opened: unlocked, with a number or a text.
  void Input(int sheet, int row, int column, double number) {
    model_->Sheet(sheet).SetLocked(row, column, false);
    model_->Sheet(sheet).SetValue(row, column, xlsx::Value::Number(number));
  }
  void Input(int sheet, int row, int column, const std::string& text) {
    model_->Sheet(sheet).SetLocked(row, column, false);
    model_->Sheet(sheet).SetValue(row, column, xlsx::Value::Text(text));
  }
  xlsx::Worksheet& ModelSheet(int n) { return model_->Sheet(n); }

  // Saves the model as the workbook and opens it; it becomes the active one.
  workbook::Workbook& Open() {
    path_ = dir_ + "/school.xlsx";
    model_->Save(path_);
    excel_.emplace(excel::CreateApplication());
    book_.emplace(excel_->Open(G(path_)));
    return *book_;
  }
  // The workbook as saved on disk.
  std::unique_ptr<xlsx::Workbook> Saved() const { return xlsx::Workbook::Load(path_); }

  // The data folder, GBK, ending with "/".
  std::string Directory() const { return G(dir_ + "/"); }
  ValidationContext Context() const { return {*excel_, Directory()}; }
  const workbook::Application& Excel() const { return *excel_; }
  workbook::Workbook& Book() { return *book_; }

  // A data file of the folder: UTF-8 lines written in GBK, each ended by CR LF.
  void WriteFile(const std::string& name, const std::vector<std::string>& lines) {
    std::ofstream out(dir_ + "/" + name, std::ios::binary);
    for (const std::string& line : lines) out << G(line) << "\r\n";
  }
  void WriteRaw(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ + "/" + name, std::ios::binary) << bytes;
  }

  // What the user saw in message boxes, UTF-8.
  std::vector<std::string> Boxes() const {
    std::vector<std::string> texts;
    for (const auto& box : ui_->MessageBoxes()) texts.push_back(box.text);
    return texts;
  }

  com::HRESULT CallExport(const std::string& library, const char* name) {
    const win::HMODULE module = win::LoadLibrary(bin_ + "/" + library);
    if (!module) return com::E_FAIL;
    auto fn = reinterpret_cast<com::HRESULT (*)()>(win::GetProcAddress(module, name));
    const com::HRESULT hr = fn ? fn() : com::E_FAIL;
    win::FreeLibrary(module);
    return hr;
  }

  std::string dir_, bin_, path_;
  std::unique_ptr<xlsx::Workbook> model_;
  std::optional<workbook::Application> excel_;
  std::optional<workbook::Workbook> book_;
  std::shared_ptr<ui::RecordingDriver> ui_;
  std::optional<ui::ScopedDriver> scoped_ui_;
};

}  // namespace velmora::testing
