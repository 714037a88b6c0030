#include "addin/text/module_directory.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "platform/win/library_loader.h"
#include "platform/win/path.h"

namespace {

namespace fs = std::filesystem;

using Probe = const char* (*)();

fs::path ProgramDir() { return fs::read_symlink("/proc/self/exe").parent_path(); }

std::string Ansi(const fs::path& path) { return win::FromSystemPath(path.string()); }

TEST(ModuleDirectory, IsTheFolderOfTheLibraryThatHoldsTheCode) {
  // In this program the code lies in the program itself.
  EXPECT_EQ(velmora::getFilePath(), Ansi(ProgramDir()) + "/");
  EXPECT_EQ(velmora::getXmlPath(), velmora::getFilePath());

  // In a library, the library's folder, whoever loaded it.
  const fs::path probe_file = ProgramDir() / "module_dir" / "module_dir_probe.dll";
  win::HMODULE probe = win::LoadLibrary(probe_file.string());
  ASSERT_NE(probe, nullptr);
  auto file_path = reinterpret_cast<Probe>(win::GetProcAddress(probe, "velmora_probe_file_path"));
  ASSERT_NE(file_path, nullptr);
  EXPECT_EQ(std::string(file_path()), Ansi(probe_file.parent_path()) + "/");
  win::FreeLibrary(probe);
}

TEST(ModuleDirectory, IsNeverCutHoweverLongThePath) {
  std::string pattern = (fs::temp_directory_path() / "velmora-module-dir-XXXXXX").string();
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  fs::path dir = pattern;
  for (int i = 0; i < 10; ++i) dir /= "学校经费统计学校经费统计";
  fs::create_directories(dir);
  fs::copy_file(ProgramDir() / "module_dir" / "module_dir_probe.dll", dir / "velmora.dll");

  win::HMODULE probe = win::LoadLibrary(Ansi(dir / "velmora.dll"));
  ASSERT_NE(probe, nullptr);
  auto file_path = reinterpret_cast<Probe>(win::GetProcAddress(probe, "velmora_probe_file_path"));
  ASSERT_NE(file_path, nullptr);
  const std::string expected = Ansi(dir) + "/";
  ASSERT_GT(expected.size(), 256u);
  EXPECT_EQ(std::string(file_path()), expected);
  // A data file is found by appending its name.
  EXPECT_TRUE(win::FileExists(std::string(file_path()) + "velmora.dll"));
  win::FreeLibrary(probe);
  fs::remove_all(pattern);
}

}  // namespace
