#include "fixture.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "excel/com/excel.h"
#include "excel/fault.h"
#include "platform/win/code_page.h"
#include "platform/win/path.h"
#include "tests/support/file_bytes.h"

namespace fs = std::filesystem;

namespace schooltest {

std::string G(const std::string& utf8) { return win::Utf8ToAnsi(utf8); }
std::string U(const std::string& gbk) { return win::AnsiToUtf8(gbk); }

std::string ReadBytes(const std::string& path) { return velmora::testing::FileBytes(path); }

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

void SchoolDir::SetUp() {
  excel::fault::Clear();
  const char* bin = std::getenv("VELMORA_BIN_DIR");
  ASSERT_TRUE(bin) << "VELMORA_BIN_DIR is not set";
  char tmpl[] = "/tmp/schoolinfo_test.XXXXXX";
  ASSERT_TRUE(mkdtemp(tmpl));
  dir_ = std::string(tmpl) + "/";
  for (const auto& entry : fs::directory_iterator(bin)) {
    if (!entry.is_regular_file()) continue;
    const std::string name = entry.path().filename().string();
    const std::string ext = entry.path().extension().string();
    if (name == "info.txt")
      continue;  // what a run of the command line left: not part of the data set
    if (ext == ".xml" || ext == ".xtr" || ext == ".txt" || ext == ".ico" ||
        name.rfind("TANVIK", 0) == 0)
      fs::copy_file(entry.path(), dir_ + name);
  }
  ASSERT_TRUE(fs::exists(dir_ + "TANVIK1")) << "the data set is not built in " << bin;
}

void SchoolDir::TearDown() {
  excel::fault::Clear();
  excel_.reset();
  std::error_code ignored;
  fs::remove_all(dir_, ignored);
}

void SchoolDir::WriteGbk(const std::string& name, const std::string& utf8) const {
  WriteBytes(dir_ + name, G(utf8));
}

workbook::Application& SchoolDir::app() {
  if (!excel_) excel_.emplace(excel::CreateApplication());
  return *excel_;
}

workbook::Workbook SchoolDir::OpenTemplateCopy(int kind, const std::string& file_name) {
  const std::string path = dir_ + file_name;
  WriteBytes(win::ToSystemPath(path), ReadBytes(dir_ + "TANVIK" + std::to_string(kind)));
  return app().Open(path);
}

velmora::SchoolInfoEnvironment SchoolDir::Environment() {
  velmora::SchoolInfoEnvironment environment;
  com::ComPtr<com::IDispatch> dispatch(app().Get());
  environment.excel_app = [dispatch] { return dispatch; };
  environment.module_dir = dir_;
  environment.today = [] { return std::string("2010-9-15"); };
  return environment;
}

}  // namespace schooltest
