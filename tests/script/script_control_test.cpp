// The ScriptControl class late-bound, as the validator reaches it: Language,
// Eval, the Error object and failures as DISP_E_EXCEPTION; its registration
// by DllRegisterServer and creation by ProgID.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "com/activation.h"
#include "com/error_info.h"
#include "com/registry.h"
#include "platform/win/library_loader.h"
#include "script/control/automation.h"
#include "script/control/script_control.h"
#include "script_test_util.h"

namespace vbs::testing {
namespace {

using com::ComPtr;
using com::IDispatch;
using com::Variant;

com::DISPID IdOf(IDispatch* object, std::u16string name) {
  com::OLECHAR* names[] = {name.data()};
  com::DISPID id = com::DISPID_UNKNOWN;
  EXPECT_EQ(object->GetIDsOfNames(com::IID_NULL, names, 1, 0, &id), com::S_OK) << Utf8(name);
  return id;
}

com::HRESULT PutProperty(IDispatch* object, const char16_t* name, Variant value) {
  com::DISPID named = com::DISPID_PROPERTYPUT;
  com::DISPPARAMS params{&value, &named, 1, 1};
  return object->Invoke(IdOf(object, name), com::IID_NULL, 0, com::DISPATCH_PROPERTYPUT, &params,
                        nullptr, nullptr, nullptr);
}

struct CallResult {
  com::HRESULT hr;
  Variant value;
  com::HRESULT scode = 0;
  std::u16string source, description;
};

CallResult Call(IDispatch* object, const char16_t* name, com::WORD flags,
                std::u16string_view argument, bool with_argument = true) {
  Variant arg(argument);
  com::DISPPARAMS params{&arg, nullptr, with_argument ? 1u : 0u, 0};
  CallResult r;
  com::EXCEPINFO info;
  r.hr = object->Invoke(IdOf(object, name), com::IID_NULL, 0, flags, &params, r.value.Put(), &info,
                        nullptr);
  if (r.hr == com::DISP_E_EXCEPTION) {
    r.scode = info.scode;
    r.source = std::u16string(com::BstrView(info.bstrSource));
    r.description = std::u16string(com::BstrView(info.bstrDescription));
    com::ClearExcepInfo(&info);
  }
  return r;
}

CallResult Eval(IDispatch* control, std::u16string_view expression) {
  return Call(control, u"Eval", com::DISPATCH_METHOD, expression);
}

Variant Get(IDispatch* object, const char16_t* name) {
  return Call(object, name, com::DISPATCH_PROPERTYGET, {}, false).value;
}

class ScriptControlTest : public ::testing::Test {
 protected:
  ComPtr<IDispatch> control = control::MakeScriptControl();
};

TEST_F(ScriptControlTest, LanguageAcceptsVBScriptInAnyLetterCase) {
  EXPECT_EQ(Get(control.Get(), u"Language").ToWide(), u"");
  EXPECT_EQ(PutProperty(control.Get(), u"language", Variant(u"vbscript")), com::S_OK);
  EXPECT_EQ(Get(control.Get(), u"LANGUAGE").ToWide(), u"vbscript");
  EXPECT_EQ(PutProperty(control.Get(), u"Language", Variant(u"VBScript")), com::S_OK);
}

TEST_F(ScriptControlTest, OtherLanguagesAreRefusedClearly) {
  com::DISPID named = com::DISPID_PROPERTYPUT;
  Variant value(u"JScript");
  com::DISPPARAMS params{&value, &named, 1, 1};
  com::EXCEPINFO info;
  EXPECT_EQ(control->Invoke(IdOf(control.Get(), u"Language"), com::IID_NULL, 0,
                            com::DISPATCH_PROPERTYPUT, &params, nullptr, &info, nullptr),
            com::DISP_E_EXCEPTION);
  EXPECT_NE(std::u16string(com::BstrView(info.bstrDescription)).find(u"'JScript' is not supported"),
            std::u16string::npos);
  com::ClearExcepInfo(&info);
  EXPECT_EQ(Eval(control.Get(), u"1+1").hr, com::DISP_E_EXCEPTION);  // still no language
}

TEST_F(ScriptControlTest, EvalGivesTheValueAsAVariant) {
  ASSERT_EQ(PutProperty(control.Get(), u"Language", Variant(u"VBScript")), com::S_OK);
  CallResult r = Eval(control.Get(), u"5+7=12");
  ASSERT_EQ(r.hr, com::S_OK);
  EXPECT_EQ(r.value.vt, com::VT_BOOL);
  EXPECT_EQ(r.value.boolVal, com::VARIANT_TRUE);
  r = Eval(control.Get(), u"1/3");
  EXPECT_EQ(r.value.vt, com::VT_R8);
  r = Eval(control.Get(), u"32767+1");
  EXPECT_EQ(r.value.vt, com::VT_I4);
  EXPECT_EQ(r.value.lVal, 32768);
  r = Eval(control.Get(), u"\"中\" & \"文\"");
  EXPECT_EQ(r.value.ToWide(), u"中文");
  r = Eval(control.Get(), u"Empty");
  EXPECT_EQ(r.value.vt, com::VT_EMPTY);
}

TEST_F(ScriptControlTest, ResultTextIsTheSameThroughTheVariantConversion) {
  // The validator turns the result into text with the platform's conversion;
  // it must read as CStr reads it.
  ASSERT_EQ(PutProperty(control.Get(), u"Language", Variant(u"VBScript")), com::S_OK);
  Engine engine;
  for (const char16_t* e :
       {u"5+7=12", u"5+7=13", u"0.1+0.2", u"1/3", u"1E20", u"123456789012345678",
        u"1.41111111133534E+16", u"100>=99.5", u"0.00001", u"-2.5", u"Empty", u"12.4+3.3"}) {
    Variant v = Eval(control.Get(), e).value;
    ASSERT_EQ(com::VariantChangeType(&v, &v, com::VARIANT_ALPHABOOL, com::VT_BSTR), com::S_OK)
        << Utf8(e);
    EXPECT_EQ(v.ToWide(), ToString(engine.Eval(e))) << Utf8(e);
  }
}

TEST_F(ScriptControlTest, ErrorsAreExceptionsWithTheVBScriptError) {
  ASSERT_EQ(PutProperty(control.Get(), u"Language", Variant(u"VBScript")), com::S_OK);
  CallResult r = Eval(control.Get(), u"12==12");
  EXPECT_EQ(r.hr, com::DISP_E_EXCEPTION);
  EXPECT_EQ(r.scode, com::MakeHResult(0x800A03EA));
  EXPECT_EQ(r.description, u"Syntax error");
  EXPECT_EQ(r.source, u"Microsoft VBScript compilation error");

  r = Eval(control.Get(), u"1/0");
  EXPECT_EQ(r.scode, com::MakeHResult(0x800A000B));
  EXPECT_EQ(r.description, u"Division by zero");
  EXPECT_EQ(r.source, u"Microsoft VBScript runtime error");

  Variant error = Get(control.Get(), u"Error");
  ASSERT_EQ(error.vt, com::VT_DISPATCH);
  EXPECT_EQ(Get(error.pdispVal, u"Number").ToInt32(), 11);
  EXPECT_EQ(Get(error.pdispVal, u"Description").ToWide(), u"Division by zero");
  ASSERT_EQ(Eval(control.Get(), u"1+1").hr, com::S_OK);
  EXPECT_EQ(Get(error.pdispVal, u"Number").ToInt32(), 0);  // the last error: none

  Eval(control.Get(), u"F1(JB1_1,A01,1)+1");
  EXPECT_EQ(Get(error.pdispVal, u"Number").ToInt32(), 13);
  EXPECT_EQ(Call(error.pdispVal, u"Clear", com::DISPATCH_METHOD, {}, false).hr, com::S_OK);
  EXPECT_EQ(Get(error.pdispVal, u"Number").ToInt32(), 0);
}

TEST_F(ScriptControlTest, WithoutExcepInfoTheErrorIsTheReturnValueAndTheErrorInfo) {
  ASSERT_EQ(PutProperty(control.Get(), u"Language", Variant(u"VBScript")), com::S_OK);
  Variant arg(u"32767*CInt(40000)");
  com::DISPPARAMS params{&arg, nullptr, 1, 0};
  Variant result;
  const com::HRESULT hr =
      control->Invoke(IdOf(control.Get(), u"Eval"), com::IID_NULL, 0, com::DISPATCH_METHOD, &params,
                      result.Put(), nullptr, nullptr);
  EXPECT_EQ(hr, com::CTL_E_OVERFLOW);
  EXPECT_EQ(Utf8(com::ComError::FromLastCall(hr).Description()), "Overflow");
}

TEST_F(ScriptControlTest, UnknownNamesAndWrongCallsAreRefused) {
  std::u16string name = u"Execute";
  com::OLECHAR* names[] = {name.data()};
  com::DISPID id;
  EXPECT_EQ(control->GetIDsOfNames(com::IID_NULL, names, 1, 0, &id), com::DISP_E_UNKNOWNNAME);
  ASSERT_EQ(PutProperty(control.Get(), u"Language", Variant(u"VBScript")), com::S_OK);
  EXPECT_EQ(Call(control.Get(), u"Eval", com::DISPATCH_METHOD, {}, false).hr,
            com::DISP_E_BADPARAMCOUNT);
}

// Registration into a registry of the test's own, then creation by ProgID.
class Registered : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("script_registry_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "_" + std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    std::filesystem::create_directories(dir_);
    setenv("VELMORA_REGISTRY", (dir_ / "registry.xml").c_str(), 1);
    ASSERT_TRUE(com::SUCCEEDED(com::CoInitialize(nullptr)));
    const char* bin = std::getenv("VELMORA_BIN_DIR");
    ASSERT_NE(bin, nullptr);
    bin_ = bin;
  }
  void TearDown() override {
    com::CoUninitialize();
    std::filesystem::remove_all(dir_);
  }
  // Calls an export of a library in the build's bin folder.
  com::HRESULT CallExport(const std::string& library, const char* name) {
    const win::HMODULE module = win::LoadLibrary(bin_ + "/" + library);
    if (!module) return com::E_FAIL;
    auto fn = reinterpret_cast<com::HRESULT (*)()>(win::GetProcAddress(module, name));
    const com::HRESULT hr = fn ? fn() : com::E_FAIL;
    win::FreeLibrary(module);
    return hr;
  }
  std::filesystem::path dir_;
  std::string bin_;
};

TEST_F(Registered, DllRegisterServerMakesTheProgIdCreatable) {
  Engine engine(control::CreateAutomationObject);
  EXPECT_EQ(Evaluate(engine, "CreateObject(\"MSScriptControl.ScriptControl\").Language").text,
            "error 429");
  ASSERT_EQ(CallExport("velscript.dll", "DllRegisterServer"), com::S_OK);
  std::u16string clsid;
  ASSERT_EQ(com::registry::GetString(com::registry::Root::ClassesRoot,
                                     u"MSScriptControl.ScriptControl\\CLSID", u"", &clsid),
            com::S_OK);
  EXPECT_EQ(clsid, com::GuidToWide(control::kScriptControlClsid));
  EXPECT_EQ(Evaluate(engine, "TypeName(CreateObject(\"MSScriptControl.ScriptControl\"))").text,
            "Object");
  EXPECT_EQ(Evaluate(engine, "CreateObject(\"MSScriptControl.ScriptControl\").Language").text, "");
  // Eval of a control whose language is not set fails with the control's own error.
  EXPECT_NE(Evaluate(engine, "CreateObject(\"MSScriptControl.ScriptControl\").Eval(\"1\")").text,
            "1");
  ASSERT_EQ(CallExport("velscript.dll", "DllUnregisterServer"), com::S_OK);
  EXPECT_FALSE(
      com::registry::KeyExists(com::registry::Root::ClassesRoot, u"MSScriptControl.ScriptControl"));
}

TEST_F(Registered, ScriptsUseTheSystemsOwnAutomationServer) {
  if (!std::filesystem::exists(bin_ + "/velmadd.dll")) GTEST_SKIP() << "velmadd.dll is not built";
  ASSERT_EQ(CallExport("velmadd.dll", "DllRegisterServer"), com::S_OK);
  Engine engine(control::CreateAutomationObject);
  EXPECT_EQ(Evaluate(engine, "CreateObject(\"Velmadd.Class1\").MyAdd(2, 3)").text, "5");
  EXPECT_EQ(Evaluate(engine, "CreateObject(\"velmadd.class1\").myadd(-7, 7) = 0").text, "True");
  try {
    engine.Eval(u"CreateObject(\"Velmadd.Class1\").MyAdd(2147483647, 1)");
    FAIL() << "no overflow";
  } catch (const ScriptError& e) {
    EXPECT_EQ(e.number(), err::kOverflow);
    EXPECT_EQ(e.description(), u"Overflow");
  }
  EXPECT_EQ(Evaluate(engine, "CreateObject(\"Velmadd.Class1\").NoSuchMethod(1)").text, "error 438");
  EXPECT_EQ(Evaluate(engine, "CreateObject(\"Velmadd.Class1\").MyAdd(1)").text, "error 450");
}

}  // namespace
}  // namespace vbs::testing
