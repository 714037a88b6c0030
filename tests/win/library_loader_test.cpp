#include "platform/win/library_loader.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/win/code_page.h"
#include "platform/win/last_error.h"
#include "platform/win/path.h"

namespace {

namespace fs = std::filesystem;

struct DllMainCall {
  std::string library;
  void* module;
  unsigned reason;
};
std::vector<DllMainCall>& Calls() {
  static std::vector<DllMainCall> calls;
  return calls;
}

}  // namespace

// Called by the test libraries' DllMain.
extern "C" __attribute__((visibility("default"))) void velmora_test_dllmain_hook(
    const char* library, void* module, unsigned reason) {
  Calls().push_back({library, module, reason});
}

namespace {

// The folder of this program, where the test libraries lie.
fs::path ProgramDir() { return fs::read_symlink("/proc/self/exe").parent_path(); }

// True while the process has the library mapped, whoever loaded it.
bool InProcess(const fs::path& path) {
  void* handle = ::dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
  if (handle != nullptr) ::dlclose(handle);
  return handle != nullptr;
}

class LibraryLoader : public ::testing::Test {
 protected:
  void SetUp() override { Calls().clear(); }
  const fs::path ok_ = ProgramDir() / "loader_test_ok.dll";
};

TEST_F(LibraryLoader, BareNameTwiceGivesOneLibraryLoadedUntilBothFrees) {
  ASSERT_FALSE(InProcess(ok_));
  win::HMODULE first = win::LoadLibrary("loader_test_ok.dll");
  ASSERT_NE(first, nullptr) << win::GetLastErrorText();
  win::HMODULE second = win::LoadLibrary("loader_test_ok.dll");
  EXPECT_EQ(second, first);
  EXPECT_EQ(win::LoadCount(first), 2);

  using Value = int (*)();
  auto value = reinterpret_cast<Value>(win::GetProcAddress(first, "velmora_test_value"));
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value(), 42);

  EXPECT_TRUE(win::FreeLibrary(first));
  EXPECT_EQ(win::LoadCount(first), 1);
  EXPECT_TRUE(InProcess(ok_));
  EXPECT_EQ(value(), 42);  // still callable: one load is left

  EXPECT_TRUE(win::FreeLibrary(second));
  EXPECT_EQ(win::LoadCount(first), 0);
  EXPECT_FALSE(InProcess(ok_));
  EXPECT_FALSE(win::FreeLibrary(first));  // nothing left to free
  EXPECT_EQ(win::GetLastError(), win::ERROR_INVALID_HANDLE);

  // DllMain saw one attach and one detach, with the library's handle.
  ASSERT_EQ(Calls().size(), 2u);
  EXPECT_EQ(Calls()[0].reason, win::DLL_PROCESS_ATTACH);
  EXPECT_EQ(Calls()[1].reason, win::DLL_PROCESS_DETACH);
  EXPECT_EQ(Calls()[0].module, first);
}

TEST_F(LibraryLoader, NamesThatReachTheSameLibrary) {
  // A path written with "\", the bare name, the bare name in other letter case
  // and without ".dll" all give the one library.
  std::string backslashed = ok_.string();
  for (char& c : backslashed) c = c == '/' ? '\\' : c;
  win::HMODULE by_path = win::LoadLibrary(backslashed);
  ASSERT_NE(by_path, nullptr) << win::GetLastErrorText();
  for (const char* name : {"loader_test_ok.dll", "LOADER_TEST_OK.DLL", "loader_test_ok"}) {
    EXPECT_EQ(win::LoadLibrary(name), by_path) << name;
  }
  EXPECT_EQ(win::LoadCount(by_path), 4);
  EXPECT_EQ(win::GetModuleHandle("loader_test_ok.dll"), by_path);
  EXPECT_EQ(win::LoadCount(by_path), 4);  // GetModuleHandle raises no count
  EXPECT_EQ(win::GetModuleFileName(by_path), win::FromSystemPath(ok_.string()));
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(win::FreeLibrary(by_path));
  EXPECT_FALSE(InProcess(ok_));
  EXPECT_EQ(win::GetModuleHandle("loader_test_ok.dll"), nullptr);
  EXPECT_EQ(Calls().size(), 2u);
}

TEST_F(LibraryLoader, BareNameMatchesTheSonameOfALoadedLibrary) {
  const fs::path file = ProgramDir() / "libloader_soname.so";
  EXPECT_EQ(win::LoadLibrary("soname_test.dll"), nullptr);  // no such file, not loaded yet
  win::HMODULE by_path = win::LoadLibrary(file.string());
  ASSERT_NE(by_path, nullptr) << win::GetLastErrorText();
  EXPECT_EQ(win::LoadLibrary("soname_test.dll"), by_path);
  EXPECT_EQ(win::LoadLibrary("libloader_soname.so"), by_path);
  EXPECT_EQ(win::LoadCount(by_path), 3);
  for (int i = 0; i < 3; ++i) win::FreeLibrary(by_path);
  EXPECT_FALSE(InProcess(file));
}

TEST_F(LibraryLoader, ALibraryTheProcessLoadedAtStartIsFoundAndStays) {
  const std::string own = win::GetModuleFileName(reinterpret_cast<const void*>(&win::LoadCount));
  ASSERT_FALSE(own.empty());
  const std::string name = win::ExtractFileName(own);  // libvelmora_win.so
  win::HMODULE module = win::LoadLibrary(name);
  ASSERT_NE(module, nullptr) << win::GetLastErrorText();
  EXPECT_EQ(win::GetModuleFileName(module), own);
  EXPECT_NE(win::GetProcAddress(module, "_ZN3win9LoadCountEPv"), nullptr);
  EXPECT_TRUE(win::FreeLibrary(module));
  EXPECT_TRUE(InProcess(win::ToSystemPath(own)));  // linked in: the last free does not unmap it
}

TEST_F(LibraryLoader, MissingLibrariesFailCleanly) {
  for (const char* name : {"no_such_library.dll", "no_such_library", "/no/such/folder/x.dll",
                           "\\no\\such\\x.dll", ""}) {
    win::SetLastError(win::ERROR_SUCCESS);
    EXPECT_EQ(win::LoadLibrary(name), nullptr) << name;
    EXPECT_EQ(win::GetLastError(), win::ERROR_MOD_NOT_FOUND) << name;
  }
  EXPECT_TRUE(Calls().empty());
}

TEST_F(LibraryLoader, MissingExportsGiveNothing) {
  win::HMODULE plain = win::LoadLibrary("loader_test_plain.dll");
  ASSERT_NE(plain, nullptr) << win::GetLastErrorText();
  EXPECT_NE(win::GetProcAddress(plain, "velmora_plain_value"), nullptr);
  EXPECT_EQ(win::GetProcAddress(plain, "no_such_export"), nullptr);
  EXPECT_EQ(win::GetLastError(), win::ERROR_PROC_NOT_FOUND);
  EXPECT_EQ(win::GetProcAddress(plain, ""), nullptr);
  // The library it depends on exports these; the library itself does not.
  EXPECT_EQ(win::GetProcAddress(plain, "velmora_test_value"), nullptr);
  EXPECT_EQ(win::GetProcAddress(plain, "DllMain"), nullptr);
  EXPECT_TRUE(Calls().empty());  // only libraries loaded through the loader are initialised by it
  EXPECT_TRUE(win::FreeLibrary(plain));

  int not_a_library = 0;
  EXPECT_EQ(win::GetProcAddress(&not_a_library, "velmora_test_value"), nullptr);
  EXPECT_EQ(win::GetLastError(), win::ERROR_INVALID_HANDLE);
  EXPECT_FALSE(win::FreeLibrary(&not_a_library));
}

TEST_F(LibraryLoader, ADllMainThatRefusesMakesTheLoadFail) {
  const fs::path refuses = ProgramDir() / "loader_test_refuses.dll";
  EXPECT_EQ(win::LoadLibrary("loader_test_refuses.dll"), nullptr);
  EXPECT_EQ(win::GetLastError(), win::ERROR_DLL_INIT_FAILED);
  EXPECT_FALSE(InProcess(refuses));
  ASSERT_EQ(Calls().size(), 2u);
  EXPECT_EQ(Calls()[0].library, "refuses");
  EXPECT_EQ(Calls()[0].reason, win::DLL_PROCESS_ATTACH);
  EXPECT_EQ(Calls()[1].reason, win::DLL_PROCESS_DETACH);
  // Every try is a fresh first load.
  EXPECT_EQ(win::LoadLibrary(refuses.string()), nullptr);
  EXPECT_EQ(Calls().size(), 4u);
}

TEST_F(LibraryLoader, ModuleFileNames) {
  const std::string program = win::FromSystemPath(fs::read_symlink("/proc/self/exe").string());
  EXPECT_EQ(win::GetModuleFileName(static_cast<win::HMODULE>(nullptr)), program);
  EXPECT_EQ(win::GetModuleFileName(reinterpret_cast<const void*>(&ProgramDir)), program);
  EXPECT_EQ(win::GetModuleFileName(static_cast<const void*>(nullptr)), "");

  win::HMODULE ok = win::LoadLibrary(ok_.string());
  ASSERT_NE(ok, nullptr);
  void* export_address = win::GetProcAddress(ok, "velmora_test_value");
  EXPECT_EQ(win::GetModuleFileName(static_cast<const void*>(export_address)),
            win::FromSystemPath(ok_.string()));
  win::FreeLibrary(ok);
}

// A library in a folder with a long name of Chinese characters: loaded by its
// GBK path, and its module file name comes back whole, in GBK.
TEST_F(LibraryLoader, LongGbkPathsLoadAndComeBackWhole) {
  std::string pattern = (fs::temp_directory_path() / "velmora-loader-XXXXXX").string();
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  fs::path dir = fs::path(pattern);
  for (int i = 0; i < 12; ++i) dir /= "测试目录测试目录测试目录";  // well over 256 bytes in all
  fs::create_directories(dir);
  fs::copy_file(ok_, dir / "copy.dll");

  const std::string ansi = win::FromSystemPath((dir / "copy.dll").string());
  ASSERT_GT(ansi.size(), 300u);
  win::HMODULE module = win::LoadLibrary(ansi);
  ASSERT_NE(module, nullptr) << win::GetLastErrorText();
  EXPECT_EQ(win::GetModuleFileName(module), ansi);
  EXPECT_EQ(win::GetModuleFileName(
                static_cast<const void*>(win::GetProcAddress(module, "velmora_test_value"))),
            ansi);
  EXPECT_EQ(win::LoadLibrary("copy.dll"), module);
  win::FreeLibrary(module);
  win::FreeLibrary(module);
  fs::remove_all(pattern);
}

}  // namespace
