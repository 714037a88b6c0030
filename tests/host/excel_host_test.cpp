// The spreadsheet host loading the real add-in library by its ProgID from
// the registry, connecting it, and letting it go at close.
#include <gtest/gtest.h>

#include <cstdlib>

#include "com/activation.h"
#include "com/registry.h"
#include "com/server.h"
#include "host/app/button_handlers.h"
#include "host/app/excel_host.h"
#include "platform/forms/scripted_driver.h"
#include "platform/win/library_loader.h"

namespace {

std::string BinPath(const std::string& name) {
  const char* bin = std::getenv("VELMORA_BIN_DIR");
  return std::string(bin ? bin : ".") + "/" + name;
}

com::HRESULT CallServer(const std::string& path, const char* name) {
  win::HMODULE library = win::LoadLibrary(path);
  if (!library) return com::E_FAIL;
  auto proc = reinterpret_cast<com::HRESULT (*)()>(win::GetProcAddress(library, name));
  com::HRESULT hr = proc ? proc() : com::E_FAIL;
  win::FreeLibrary(library);
  return hr;
}

void List(const std::u16string& progid, std::uint32_t behavior) {
  ASSERT_EQ(com::registry::SetDword(com::registry::Root::CurrentUser,
                                    std::u16string(velmora::host::kAddInsKey) + u"\\" + progid, u"LoadBehavior",
                                    behavior),
            com::S_OK);
}

class ExcelHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/velmora-host-test-XXXXXX";
    setenv("VELMORA_REGISTRY", (std::string(mkdtemp(pattern)) + "/registry.xml").c_str(), 1);
    ASSERT_EQ(CallServer(BinPath("MSADDNDR.DLL"), "DllRegisterServer"), com::S_OK);
    ASSERT_EQ(CallServer(BinPath("velmora.dll"), "DllRegisterServer"), com::S_OK);
  }
  std::shared_ptr<forms::ScriptedDriver> driver = std::make_shared<forms::ScriptedDriver>();
  forms::ScriptedDriver::Install installed{driver};
};

TEST_F(ExcelHostTest, TheListedAddInIsLoadedConnectedAndLetGoAtClose) {
  List(u"Velmora.MyOutLookAddIn", velmora::host::kLoadAtStartup);
  {
    velmora::host::ExcelHost excel;
    ASSERT_EQ(excel.AddIns().size(), 1u);
    EXPECT_EQ(excel.AddIns()[0].progid, "Velmora.MyOutLookAddIn");
    EXPECT_TRUE(excel.AddIns()[0].object) << excel.AddIns()[0].error;
    EXPECT_NE(win::GetModuleHandle("velmora.dll"), nullptr);

    auto bars = excel.CommandBars().View();
    EXPECT_EQ(bars.back().name, "Kelvara");
    EXPECT_EQ(bars[0].controls.back().caption, "Vostrel软件");
    // Every one of the eleven buttons has its sink and handler.
    auto handlers = velmora::host::ButtonHandlers();
    EXPECT_EQ(handlers.size(), 11u);
    EXPECT_EQ(handlers[bars.back().controls[0].identity.Get()], "ValidateClick");

    auto click = excel.CommandBars().Click("关于");
    EXPECT_EQ(click.sinks_called, 1u);
    ASSERT_EQ(driver->Forms().size(), 1u);
    EXPECT_EQ(driver->Forms()[0].shown.caption, "关于");
    EXPECT_TRUE(driver->MessageBoxes().empty());

    excel.Close();
    for (const auto& bar : excel.CommandBars().View()) EXPECT_NE(bar.name, "Kelvara");
    EXPECT_EQ(bars.size(), excel.CommandBars().View().size() + 1);
  }
  // The sinks are gone, so the library could be freed.
  EXPECT_EQ(win::GetModuleHandle("velmora.dll"), nullptr);
  EXPECT_EQ(com::LoadedServerCount(), 0u);
}

TEST_F(ExcelHostTest, OnlyAddInsThatLoadAtStartUpAreLoadedAndAFailingOneIsLeftOut) {
  List(u"Velmora.MyOutLookAddIn", 0);            // listed, switched off
  List(u"Nobody.Registered", velmora::host::kLoadAtStartup);
  velmora::host::ExcelHost excel;
  ASSERT_EQ(excel.AddIns().size(), 1u);
  EXPECT_EQ(excel.AddIns()[0].progid, "Nobody.Registered");
  EXPECT_FALSE(excel.AddIns()[0].object);
  EXPECT_FALSE(excel.AddIns()[0].error.empty());
  EXPECT_EQ(win::GetModuleHandle("velmora.dll"), nullptr);
  for (const auto& bar : excel.CommandBars().View()) EXPECT_NE(bar.name, "Kelvara");
}

TEST_F(ExcelHostTest, AnAddInThatCannotInitialiseIsReported) {
  List(u"Velmora.MyOutLookAddIn", velmora::host::kLoadAtStartup);
  ASSERT_EQ(CallServer(BinPath("MSADDNDR.DLL"), "DllUnregisterServer"), com::S_OK);
  velmora::host::ExcelHost excel;
  ASSERT_EQ(excel.AddIns().size(), 1u);
  EXPECT_FALSE(excel.AddIns()[0].object);
  EXPECT_NE(excel.AddIns()[0].error.find("0x8007045A"), std::string::npos) << excel.AddIns()[0].error;
}

}  // namespace
