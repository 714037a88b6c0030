#pragma once
// A fresh temporary module directory holding the shipped data files (from
// the build's bin folder), an Excel stand-in, and helpers for GBK texts.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "addin/workbook/excel_ops.h"
#include "schoolinfo/school_info_environment.h"

namespace schooltest {

namespace workbook = velmora::workbook;

// GBK from the UTF-8 of this source.
std::string G(const std::string& utf8);
// UTF-8 from GBK, for messages.
std::string U(const std::string& gbk);

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);

class SchoolDir : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The module directory, ending with "/" (UTF-8 and GBK are the same: ASCII).
  const std::string& dir() const { return dir_; }
  std::string PathOf(const std::string& name) const { return dir_ + name; }
  // Replaces a data file by the UTF-8 text converted to GBK.
  void WriteGbk(const std::string& name, const std::string& utf8) const;

  // A copy of the template of kind n (1..3) under a GBK file name, opened in
  // the stand-in and made active.
  workbook::Workbook OpenTemplateCopy(int kind, const std::string& file_name = "book.xls");
  workbook::Application& app();
  velmora::SchoolInfoEnvironment Environment();

 private:
  std::string dir_;
  std::optional<workbook::Application> excel_;
};

}  // namespace schooltest
