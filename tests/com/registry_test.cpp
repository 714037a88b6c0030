// The registry file: keys and values, persistence, damaged files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "com/error_info.h"
#include "com/registry.h"

using namespace com;
using namespace com::registry;

namespace {

class ComRegistry : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("velcom-reg-" + std::to_string(::getpid()) + "-" +
                                                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    file_ = (dir_ / "sub" / "registry.xml").string();
    setenv("VELMORA_REGISTRY", file_.c_str(), 1);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  void WriteRaw(const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(file_).parent_path());
    std::ofstream(file_) << text;
  }
  std::filesystem::path dir_;
  std::string file_;
};

}  // namespace

TEST_F(ComRegistry, MissingFileIsAnEmptyRegistry) {
  EXPECT_EQ(FilePath(), file_);
  Tree t;
  EXPECT_EQ(Read(&t), S_OK);
  EXPECT_TRUE(t.classes_root.Empty());
  std::u16string v;
  EXPECT_EQ(GetString(Root::ClassesRoot, u"CLSID", u"", &v), REGDB_E_KEYMISSING);
}

TEST_F(ComRegistry, ValuesPersistAndNamesIgnoreCase) {
  ASSERT_EQ(SetString(Root::ClassesRoot, u"Velmadd.Class1\\Clsid", u"", u"{A92D017D-C840-41AC-8D97-853C8D9F1060}"), S_OK);
  ASSERT_EQ(SetDword(Root::CurrentUser, u"Software\\Velmora", u"LoadBehavior", 3), S_OK);
  ASSERT_EQ(SetString(Root::CurrentUser, u"Software\\Velmora", u"Text", u"<&\"学校\">"), S_OK);
  std::u16string v;
  EXPECT_EQ(GetString(Root::ClassesRoot, u"velmadd.class1\\CLSID", u"", &v), S_OK);
  EXPECT_EQ(v, u"{A92D017D-C840-41AC-8D97-853C8D9F1060}");
  std::uint32_t d = 0;
  EXPECT_EQ(GetDword(Root::CurrentUser, u"Software\\Velmora", u"loadbehavior", &d), S_OK);
  EXPECT_EQ(d, 3u);
  EXPECT_EQ(GetString(Root::CurrentUser, u"Software\\Velmora", u"Text", &v), S_OK);
  EXPECT_EQ(v, u"<&\"学校\">");
  EXPECT_EQ(GetString(Root::CurrentUser, u"Software\\Velmora", u"LoadBehavior", &v), REGDB_E_KEYMISSING);
  // The file round-trips through its text form.
  Tree t, back;
  ASSERT_EQ(Read(&t), S_OK);
  std::string error;
  ASSERT_EQ(FromXml(ToXml(t), &back, &error), S_OK) << error;
  EXPECT_TRUE(t == back);
  EXPECT_EQ(t.classes_root.Find(u"VELMADD.CLASS1")->name, u"Velmadd.Class1");
}

TEST_F(ComRegistry, DeleteTreeRemovesEmptyParentsToo) {
  Tree before;
  ASSERT_EQ(SetString(Root::ClassesRoot, u"Other", u"", u"kept"), S_OK);
  ASSERT_EQ(Read(&before), S_OK);
  ASSERT_EQ(SetString(Root::ClassesRoot, u"CLSID\\{X}\\InprocServer32", u"ThreadingModel", u"Apartment"), S_OK);
  EXPECT_EQ(DeleteTree(Root::ClassesRoot, u"CLSID\\{X}"), S_OK);
  EXPECT_EQ(DeleteTree(Root::ClassesRoot, u"CLSID\\{X}"), S_FALSE);
  Tree after;
  ASSERT_EQ(Read(&after), S_OK);
  EXPECT_TRUE(before == after);
}

TEST_F(ComRegistry, DamagedFileGivesBadDbAndIsNotOverwritten) {
  const char* damaged[] = {
      "<registry><root name=\"HKEY_CLASSES_ROOT\"><key name=\"a\">",
      "not xml at all",
      "<other/>",
      "<registry><root name=\"HKEY_CLASSES_ROOT\"><value type=\"dword\">12x</value></root></registry>",
      "<registry><root name=\"HKEY_CLASSES_ROOT\"><key/></root></registry>",
      "<registry><root name=\"HKEY_NOWHERE\"/></registry>",
      "<registry><root name=\"HKEY_CLASSES_ROOT\"><key name=\"a\"/><key name=\"A\"/></root></registry>",
  };
  for (const char* text : damaged) {
    WriteRaw(text);
    Tree t;
    EXPECT_EQ(Read(&t), HResultFromWin32(ERROR_BADDB)) << text;
    ComError e = ComError::FromLastCall(HResultFromWin32(ERROR_BADDB));
    EXPECT_NE(std::string(e.what()).find(file_), std::string::npos) << e.what();
    EXPECT_EQ(SetString(Root::ClassesRoot, u"k", u"", u"v"), HResultFromWin32(ERROR_BADDB));
    std::ifstream in(file_);
    std::string now((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(now, text);
  }
}

TEST_F(ComRegistry, WritesLeaveNoTemporaryFiles) {
  for (int i = 0; i < 5; ++i) ASSERT_EQ(SetDword(Root::CurrentUser, u"k", u"n", static_cast<std::uint32_t>(i)), S_OK);
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(file_).parent_path()))
    EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
}
