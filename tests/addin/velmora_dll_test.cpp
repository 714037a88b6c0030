// velmora.dll itself: its type library, its registration, the failing
// initialisation, the form dispatch showform and the dialog loader that
// reaches it by the library's file name.
#include <gtest/gtest.h>

#include "addin/addin_module.h"
#include "addin/my_outlook_addin.h"
#include "addin_designer_tlb.h"
#include "addin_test_support.h"
#include "com/registry.h"
#include "com/typeinfo.h"
#include "platform/forms/class_registry.h"
#include "platform/forms/form_driver.h"
#include "platform/forms/modal_session.h"
#include "platform/forms/scripted_driver.h"
#include "platform/win/code_page.h"
#include "platform/win/last_error.h"

namespace {

using namespace addin_test;
using com::ComPtr;

constexpr com::CLSID kClsid = com::MakeGuid("{1E5A62AC-F771-42D2-B3E4-4EFAD9F2F9B7}");
constexpr com::GUID kLibid = com::MakeGuid("{22D8288F-7CA4-48B2-A441-44ABD9F52BDA}");

class VelmoraDllTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UseFreshRegistry();
    ASSERT_EQ(RegisterDesignerLibrary(), com::S_OK);
  }
  void TearDown() override {
    if (library) win::FreeLibrary(library);
  }
  // The add-in library loaded as the host's COM runtime loads it.
  void Load() {
    library = win::LoadLibrary(dll);
    ASSERT_NE(library, nullptr) << win::GetLastErrorText();
    showform = reinterpret_cast<bool (*)(const char*)>(win::GetProcAddress(library, "showform"));
    ASSERT_NE(showform, nullptr);
  }
  std::string dll = BinPath("velmora.dll");
  win::HMODULE library = nullptr;
  bool (*showform)(const char*) = nullptr;
  std::shared_ptr<forms::ScriptedDriver> driver = std::make_shared<forms::ScriptedDriver>();
  forms::ScriptedDriver::Install installed{driver};
};

TEST_F(VelmoraDllTest, TheTypeLibraryCarriesTheAddInsIdentity) {
  ComPtr<com::ITypeLib> lib;
  ASSERT_EQ(com::LoadTypeLibFromFile(dll, lib.Put()), com::S_OK);
  com::TLIBATTR* attr = nullptr;
  ASSERT_EQ(lib->GetLibAttr(&attr), com::S_OK);
  EXPECT_EQ(attr->guid, kLibid);
  EXPECT_EQ(attr->wMajorVerNum, 1);
  EXPECT_EQ(attr->wMinorVerNum, 0);
  EXPECT_EQ(attr->lcid, 0x409u);
  EXPECT_EQ(attr->syskind, com::SYS_WIN32);
  lib->ReleaseTLibAttr(attr);
  com::Bstr name, help;
  lib->GetDocumentation(-1, name.Put(), help.Put(), nullptr, nullptr);
  EXPECT_EQ(name.ToUtf8(), "Velmora");
  EXPECT_EQ(help.ToUtf8(), "Velmora Library");

  ComPtr<com::ITypeInfo> coclass;
  ASSERT_EQ(lib->GetTypeInfoOfGuid(kClsid, coclass.Put()), com::S_OK);
  com::TYPEATTR* type = nullptr;
  ASSERT_EQ(coclass->GetTypeAttr(&type), com::S_OK);
  EXPECT_EQ(type->typekind, com::TKIND_COCLASS);
  EXPECT_TRUE(type->wTypeFlags & com::TYPEFLAG_FCANCREATE);
  EXPECT_EQ(type->wMajorVerNum, 1);
  EXPECT_EQ(type->wMinorVerNum, 0);
  EXPECT_EQ(type->cImplTypes, 1);
  coclass->ReleaseTypeAttr(type);
  coclass->GetDocumentation(com::MEMBERID_NIL, name.Put(), help.Put(), nullptr, nullptr);
  EXPECT_EQ(name.ToUtf8(), "MyOutLookAddIn");
  EXPECT_EQ(help.ToUtf8(), "MyOutLookAddIn");
  int flags = 0;
  coclass->GetImplTypeFlags(0, &flags);
  EXPECT_EQ(flags, com::IMPLTYPEFLAG_FDEFAULT);
  com::HREFTYPE ref = 0;
  ASSERT_EQ(coclass->GetRefTypeOfImplType(0, &ref), com::S_OK);
  ComPtr<com::ITypeInfo> default_interface;  // from the imported designer library
  ASSERT_EQ(coclass->GetRefTypeInfo(ref, default_interface.Put()), com::S_OK);
  ASSERT_EQ(default_interface->GetTypeAttr(&type), com::S_OK);
  EXPECT_EQ(type->guid, AddInDesignerObjects::IDTExtensibility2::iid);
  default_interface->ReleaseTypeAttr(type);
}

TEST_F(VelmoraDllTest, RegistrationWritesExactlyTheServersKeysAndUnregistrationRemovesThem) {
  com::registry::Tree before;
  ASSERT_EQ(com::registry::Read(&before), com::S_OK);
  ASSERT_EQ(CallServerExport(dll, "DllRegisterServer"), com::S_OK);
  using com::registry::Root;
  std::u16string clsid = u"CLSID\\{1E5A62AC-F771-42D2-B3E4-4EFAD9F2F9B7}";
  struct Key {
    std::u16string key, name, value;
  };
  for (const Key& k : {Key{clsid, u"", u"MyOutLookAddIn"}, Key{clsid + u"\\InprocServer32", u"", win::AnsiToWide(dll)},
                       Key{clsid + u"\\InprocServer32", u"ThreadingModel", u"Apartment"},
                       Key{clsid + u"\\ProgID", u"", u"Velmora.MyOutLookAddIn"}, Key{clsid + u"\\Version", u"", u"1.0"},
                       Key{clsid + u"\\TypeLib", u"", u"{22D8288F-7CA4-48B2-A441-44ABD9F52BDA}"},
                       Key{u"Velmora.MyOutLookAddIn", u"", u"MyOutLookAddIn"},
                       Key{u"Velmora.MyOutLookAddIn\\Clsid", u"", u"{1E5A62AC-F771-42D2-B3E4-4EFAD9F2F9B7}"},
                       Key{u"TypeLib\\{22D8288F-7CA4-48B2-A441-44ABD9F52BDA}\\1.0", u"", u"Velmora Library"}}) {
    std::u16string value;
    EXPECT_EQ(com::registry::GetString(Root::ClassesRoot, k.key, k.name, &value), com::S_OK) << win::WideToUtf8(k.key);
    EXPECT_EQ(value, k.value) << win::WideToUtf8(k.key);
  }
  // The DLL does not list itself as an add-in: that is the installer's job.
  EXPECT_FALSE(com::registry::KeyExists(Root::CurrentUser, u"Software\\Microsoft\\Office\\Excel\\Addins"));

  ASSERT_EQ(CallServerExport(dll, "DllUnregisterServer"), com::S_OK);
  com::registry::Tree after;
  ASSERT_EQ(com::registry::Read(&after), com::S_OK);
  EXPECT_EQ(com::registry::ToXml(after), com::registry::ToXml(before));
}

TEST_F(VelmoraDllTest, InitialisationFailsWithoutTheDesignerLibrary) {
  ASSERT_EQ(CallServerExport(BinPath("MSADDNDR.DLL"), "DllUnregisterServer"), com::S_OK);
  EXPECT_EQ(win::LoadLibrary(dll), nullptr);
  EXPECT_EQ(win::GetLastError(), static_cast<std::uint32_t>(com::ERROR_DLL_INIT_FAILED));
  EXPECT_EQ(win::GetModuleHandle("velmora.dll"), nullptr);
}

TEST_F(VelmoraDllTest, TheClassFactoryMakesANewObjectPerRequest) {
  Load();
  auto get = reinterpret_cast<com::HRESULT (*)(const com::CLSID&, const com::IID&, void**)>(
      win::GetProcAddress(library, "DllGetClassObject"));
  auto can_unload = reinterpret_cast<com::HRESULT (*)()>(win::GetProcAddress(library, "DllCanUnloadNow"));
  ComPtr<com::IClassFactory> factory;
  ASSERT_EQ(get(kClsid, com::IClassFactory::iid, factory.PutVoid()), com::S_OK);
  ComPtr<com::IUnknown> other;
  EXPECT_EQ(get(kLibid, com::IClassFactory::iid, other.PutVoid()), com::CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(can_unload(), com::S_OK);  // the factory alone does not keep the library
  ComPtr<AddInDesignerObjects::IDTExtensibility2> a, b;
  ASSERT_EQ(factory->CreateInstance(nullptr, AddInDesignerObjects::IDTExtensibility2::iid, a.PutVoid()), com::S_OK);
  ASSERT_EQ(factory->CreateInstance(nullptr, AddInDesignerObjects::IDTExtensibility2::iid, b.PutVoid()), com::S_OK);
  EXPECT_NE(a.Get(), b.Get());
  EXPECT_EQ(can_unload(), com::S_FALSE);
  a = nullptr;
  b = nullptr;
  EXPECT_EQ(can_unload(), com::S_OK);
}

TEST_F(VelmoraDllTest, ShowformFindsTheDialogByItsFormNameInAnyLetterCase) {
  Load();
  struct Case {
    const char* name;
    bool shown;
    const char* caption;
  };
  for (const Case& c : {Case{"about", true, "关于"}, Case{"ABOUT", true, "关于"}, Case{"About", true, "关于"},
                        Case{"FrmZDYBBCX", true, "自定义报表查询"}, Case{"frmzdybbcx", true, "自定义报表查询"},
                        Case{"", false, ""}, Case{"about2", false, ""}, Case{"bout", false, ""},
                        Case{"TAbout", false, ""}}) {
    SCOPED_TRACE(c.name);
    std::size_t forms_before = driver->Forms().size();
    EXPECT_EQ(showform(c.name), c.shown);
    ASSERT_EQ(driver->Forms().size(), forms_before + (c.shown ? 1 : 0));
    if (c.shown) {
      EXPECT_EQ(driver->Forms().back().shown.caption, c.caption);
    }
  }
  EXPECT_TRUE(driver->MessageBoxes().empty());
}

TEST_F(VelmoraDllTest, ShowformRefusesAClassThatIsNoFormAndRegistersItsClassesOnce) {
  Load();
  forms::RegisterClass<forms::Component>("TNotAForm");
  EXPECT_FALSE(showform("NotAForm"));
  EXPECT_TRUE(driver->Forms().empty());
  showform("about");
  auto names = forms::RegisteredClassNames();
  showform("about");
  EXPECT_EQ(forms::RegisteredClassNames(), names);
  forms::UnregisterClass("TNotAForm");
  // Unloaded, the library takes its classes out of the registry.
  win::FreeLibrary(library);
  library = nullptr;
  EXPECT_EQ(forms::FindClass("TAbout"), nullptr);
}

class DialogLoaderTest : public VelmoraDllTest {
 protected:
  void SetUp() override {
    VelmoraDllTest::SetUp();
    ASSERT_TRUE(velmora::InitializeModule(win::GetModuleFileName(static_cast<win::HMODULE>(nullptr))));
    ASSERT_EQ(velmora::AddInFactory()->CreateInstance(nullptr, AddInDesignerObjects::IDTExtensibility2::iid,
                                                      object.PutVoid()),
              com::S_OK);
    addin = static_cast<velmora::TMyOutLookAddIn*>(object.Get());
    Load();
  }
  void TearDown() override {
    object = nullptr;
    velmora::FinalizeModule();
    VelmoraDllTest::TearDown();
  }
  int Count() { return win::LoadCount(win::GetModuleHandle("velmora.dll")); }

  ComPtr<AddInDesignerObjects::IDTExtensibility2> object;
  velmora::TMyOutLookAddIn* addin = nullptr;
};

TEST_F(DialogLoaderTest, AMissingLibraryGivesExactlyOneBox) {
  addin->RunDllForm("nosuch.dll", "about", "showform");
  ASSERT_EQ(driver->MessageBoxes().size(), 1u);
  EXPECT_EQ(driver->MessageBoxes()[0].text, "没有找到nosuch.dllDLL文件！");
  EXPECT_EQ(driver->MessageBoxes()[0].caption, "加载DLL失败");
  EXPECT_EQ(driver->MessageBoxes()[0].buttons, ui::Buttons::Ok);
  EXPECT_TRUE(driver->Forms().empty());
}

TEST_F(DialogLoaderTest, AMissingExportDoesNothingAndTheLoadCountStaysBalanced) {
  int before = Count();
  ASSERT_GE(before, 1);
  addin->RunDllForm("velmora.dll", "about", "nosuchexport");
  EXPECT_TRUE(driver->MessageBoxes().empty());
  EXPECT_TRUE(driver->Forms().empty());
  EXPECT_EQ(Count(), before);
  addin->RunDllForm("VELMORA.DLL", "about", "showform");  // the bare name, letter case aside
  ASSERT_EQ(driver->Forms().size(), 1u);
  EXPECT_EQ(driver->Forms()[0].shown.caption, "关于");
  EXPECT_EQ(Count(), before);
  addin->RunDllForm("velmora.dll", "nosuchform", "showform");  // showform's false is not looked at
  EXPECT_TRUE(driver->MessageBoxes().empty());
  EXPECT_EQ(Count(), before);
}

// A driver that fails to show any form.
class FailingDriver : public forms::FormDriver {
 public:
  void ShowModal(forms::ModalSession&) override { throw std::runtime_error(win::Utf8ToAnsi("窗体无法显示")); }
  std::optional<std::string> ExecuteSaveDialog(const forms::SaveDialogRequest&) override { return std::nullopt; }
};

TEST_F(DialogLoaderTest, AnErrorWhileShowingIsShownInAPlainBoxAndTheLoadCountStaysBalanced) {
  int before = Count();
  {
    forms::ScopedFormDriver failing(std::make_shared<FailingDriver>());
    addin->RunDllForm("velmora.dll", "about", "showform");
  }
  ASSERT_EQ(driver->MessageBoxes().size(), 1u);
  EXPECT_EQ(driver->MessageBoxes()[0].text, "窗体无法显示");
  EXPECT_EQ(Count(), before);
}

TEST_F(DialogLoaderTest, TheMenuEntriesOpenTheirDialogs) {
  com::VARIANT_BOOL cancel = com::VARIANT_FALSE;
  addin->AboutClick(nullptr, cancel);
  addin->ProductInfoClick(nullptr, cancel);
  addin->SchoolInfoClick(nullptr, cancel);
  ASSERT_EQ(driver->Forms().size(), 3u);
  EXPECT_EQ(driver->Forms()[0].shown.caption, "关于");
  EXPECT_EQ(driver->Forms()[1].shown.caption, "自定义报表查询");
  EXPECT_EQ(driver->Forms()[2].shown.caption, "设置学校信息");
  EXPECT_TRUE(driver->MessageBoxes().empty());
}

}  // namespace
