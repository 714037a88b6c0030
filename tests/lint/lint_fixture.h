#pragma once
// The fixture of the lint tests: a folder of its own with a registry into
// which the script engine's server is registered, and a small rule set
// written into it: a template built with the workbook model, a position
// file and a rule file, in GBK with CR LF as the shipped files are.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "com/activation.h"
#include "excel/xlsx/model.h"
#include "platform/win/code_page.h"
#include "platform/win/library_loader.h"

namespace velmora::testing {

class LintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/lint_test.XXXXXX";
    dir_ = mkdtemp(pattern);
    setenv("VELMORA_REGISTRY", (dir_ + "/registry.xml").c_str(), 1);
    const char* bin = std::getenv("VELMORA_BIN_DIR");
    ASSERT_NE(bin, nullptr);
    bin_ = bin;
    const win::HMODULE server = win::LoadLibrary(bin_ + "/velscript.dll");
    ASSERT_TRUE(server);
    auto register_server = reinterpret_cast<com::HRESULT (*)()>(win::GetProcAddress(server, "DllRegisterServer"));
    ASSERT_TRUE(register_server);
    ASSERT_EQ(register_server(), com::S_OK);
    win::FreeLibrary(server);
    set_ = dir_ + "/set";
    std::filesystem::create_directory(set_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // A file of the rule set: UTF-8 lines written in GBK, each ended by CR LF.
  void WriteFile(const std::string& name, const std::vector<std::string>& lines) const {
    std::ofstream out(set_ + "/" + name, std::ios::binary);
    for (const std::string& line : lines) out << win::Utf8ToAnsi(line) << "\r\n";
  }

  // The template TANVIK1: five protected sheets, the codes J1_1 to J1_4 in
  // J40, A40 unlocked as the school information needs it, and the input
  // cells D10, D11 and D12 of the first sheet unlocked; everything else locked.
  void WriteTemplate() const {
    auto book = xlsx::Workbook::Create();
    for (int n = 1; n <= 5; ++n) {
      xlsx::Worksheet& sheet = book->AddSheet("S" + std::to_string(n));
      if (n <= 4) sheet.SetValue(40, 10, xlsx::Value::Text("J1_" + std::to_string(n)));
      sheet.Protect("Kq7vXr42ZpmLt");
    }
    book->Sheet(1).SetLocked(40, 1, false);
    for (int row : {10, 11, 12}) book->Sheet(1).SetLocked(row, 4, false);
    book->Save(set_ + "/TANVIK1");
  }

  std::string dir_, bin_, set_;
};

}  // namespace velmora::testing
