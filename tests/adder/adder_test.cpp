// Velmadd through the COM runtime, as its clients use it: registration,
// creation by ProgID, the vtable and the late-bound call of MyAdd, errors,
// unloading.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "com/activation.h"
#include "com/error_info.h"
#include "com/registry.h"
#include "com/server.h"
#include "com/typeinfo.h"
#include "platform/win/code_page.h"
#include "platform/win/library_loader.h"
#include "velmadd_tlb.h"

using namespace com;
namespace fs = std::filesystem;

namespace {

constexpr DISPID kMyAdd = 0x60030000;

std::string BinDir() {
  const char* dir = std::getenv("VELMORA_BIN_DIR");
  return dir ? dir : "bin";
}

class VelmaddServer : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("velmadd-" + std::to_string(::getpid()) + "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    setenv("VELMORA_REGISTRY", (dir_ / "registry.xml").c_str(), 1);
    dll_ = fs::canonical(fs::path(BinDir()) / "velmadd.dll").string();
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
  }
  void TearDown() override {
    CoUninitialize();
    fs::remove_all(dir_);
  }

  // Calls an export of a library the way regsvr32 does.
  HRESULT CallExport(const std::string& path, const char* name) {
    win::HMODULE m = win::LoadLibrary(path);
    if (!m) return E_FAIL;
    auto fn = reinterpret_cast<HRESULT (*)()>(win::GetProcAddress(m, name));
    HRESULT hr = fn ? fn() : E_FAIL;
    win::FreeLibrary(m);
    return hr;
  }
  HRESULT Register() { return CallExport(dll_, "DllRegisterServer"); }
  HRESULT Unregister() { return CallExport(dll_, "DllUnregisterServer"); }

  ComPtr<IDispatch> Create() {
    ComPtr<IDispatch> disp;
    EXPECT_EQ(CreateInstanceByName(u"Velmadd.Class1", IDispatch::iid, disp.PutVoid()), S_OK);
    return disp;
  }

  fs::path dir_;
  std::string dll_;
};

// Every key path with its values, one line each, for exact comparison.
void Flatten(const registry::Key& key, const std::u16string& path, std::vector<std::string>* out) {
  for (const auto& [name, v] : key.values)
    out->push_back(win::WideToUtf8(path + u" [" + name + u"] = " +
                                   (v.type == registry::Value::Type::Dword ? u"dword" : v.text)));
  for (const auto& [name, sub] : key.subkeys) {
    out->push_back(win::WideToUtf8(path + u"\\" + sub->name));
    Flatten(*sub, path + u"\\" + sub->name, out);
  }
}

std::vector<std::string> Snapshot() {
  registry::Tree tree;
  EXPECT_EQ(registry::Read(&tree), S_OK);
  std::vector<std::string> lines;
  Flatten(tree.classes_root, u"HKCR", &lines);
  Flatten(tree.current_user, u"HKCU", &lines);
  std::sort(lines.begin(), lines.end());
  return lines;
}

DISPPARAMS Params(std::vector<Variant>& reversed) {
  return DISPPARAMS{reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<unsigned>(reversed.size()), 0};
}

}  // namespace

TEST_F(VelmaddServer, RegistrationWritesExactlyTheServerKeysAndRemovesThemAll) {
  // Something else in the registry stays as it is.
  ASSERT_EQ(registry::SetString(registry::Root::ClassesRoot, u"CLSID\\{00000000-1111-2222-3333-444444444444}", u"", u"other"), S_OK);
  const auto before = Snapshot();
  ASSERT_EQ(Register(), S_OK);
  std::vector<std::string> added;
  const auto after = Snapshot();
  std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::back_inserter(added));
  const std::string clsid = "HKCR\\CLSID\\{A92D017D-C840-41AC-8D97-853C8D9F1060}";
  const std::string libid = "HKCR\\TypeLib\\{FAC17CD2-E13B-45A5-BED1-DDF94793280E}";
  const std::string iid = "HKCR\\Interface\\{D017DDB8-DFD7-4E89-9465-F5FB4BAB4799}";
  const std::string dir = dll_.substr(0, dll_.rfind('/'));
  std::vector<std::string> expected = {
      clsid, clsid + " [] = Class1",
      clsid + "\\InprocServer32", clsid + "\\InprocServer32 [] = " + dll_, clsid + "\\InprocServer32 [ThreadingModel] = Apartment",
      clsid + "\\ProgID", clsid + "\\ProgID [] = Velmadd.Class1",
      clsid + "\\TypeLib", clsid + "\\TypeLib [] = {FAC17CD2-E13B-45A5-BED1-DDF94793280E}",
      clsid + "\\Version", clsid + "\\Version [] = 1.0",
      "HKCR\\Velmadd.Class1", "HKCR\\Velmadd.Class1 [] = Class1",
      "HKCR\\Velmadd.Class1\\Clsid", "HKCR\\Velmadd.Class1\\Clsid [] = {A92D017D-C840-41AC-8D97-853C8D9F1060}",
      "HKCR\\TypeLib", libid, libid + "\\1.0", libid + "\\1.0 [] = Velmadd",
      libid + "\\1.0\\409", libid + "\\1.0\\409\\win32", libid + "\\1.0\\409\\win32 [] = " + dll_,
      libid + "\\1.0\\FLAGS", libid + "\\1.0\\FLAGS [] = 0", libid + "\\1.0\\HELPDIR", libid + "\\1.0\\HELPDIR [] = " + dir,
      "HKCR\\Interface", iid, iid + " [] = _Class1",
      iid + "\\ProxyStubClsid", iid + "\\ProxyStubClsid [] = {00020424-0000-0000-C000-000000000046}",
      iid + "\\ProxyStubClsid32", iid + "\\ProxyStubClsid32 [] = {00020424-0000-0000-C000-000000000046}",
      iid + "\\TypeLib", iid + "\\TypeLib [] = {FAC17CD2-E13B-45A5-BED1-DDF94793280E}", iid + "\\TypeLib [Version] = 1.0",
  };
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(added, expected);
  ASSERT_EQ(Unregister(), S_OK);
  EXPECT_EQ(Snapshot(), before);
  // Unregistering again changes nothing and does not fail.
  EXPECT_EQ(Unregister(), S_OK);
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(VelmaddServer, CreationByProgIdNeedsRegistration) {
  ComPtr<IDispatch> disp;
  CLSID clsid;
  EXPECT_EQ(CLSIDFromProgID(u"Velmadd.Class1", &clsid), CO_E_CLASSSTRING);
  EXPECT_EQ(CreateInstanceByName(u"Velmadd.Class1", IDispatch::iid, disp.PutVoid()), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(CoCreateInstance(Velmadd::CLSID_Class1, nullptr, CLSCTX_INPROC_SERVER, IDispatch::iid, disp.PutVoid()),
            REGDB_E_CLASSNOTREG);
  ASSERT_EQ(Register(), S_OK);
  EXPECT_EQ(CLSIDFromProgID(u"Velmadd.Class1", &clsid), S_OK);
  EXPECT_EQ(clsid, Velmadd::CLSID_Class1);
  EXPECT_EQ(CreateInstanceByName(u"Velmadd.Class1", IDispatch::iid, disp.PutVoid()), S_OK);
  EXPECT_TRUE(disp);
  disp.Reset();
  ASSERT_EQ(Unregister(), S_OK);
  EXPECT_EQ(CreateInstanceByName(u"Velmadd.Class1", IDispatch::iid, disp.PutVoid()), REGDB_E_CLASSNOTREG);
}

struct AddCase {
  std::int32_t a, b;
  HRESULT hr;
  std::int32_t sum;
};
const AddCase kCases[] = {
    {2, 3, S_OK, 5},
    {-7, 7, S_OK, 0},
    {2147483647, -2147483647 - 1, S_OK, -1},
    {2147483647, 1, CTL_E_OVERFLOW, 0},
    {-2147483647 - 1, -1, CTL_E_OVERFLOW, 0},
};

TEST_F(VelmaddServer, VtableClientAddsAndReportsOverflow) {
  ASSERT_EQ(Register(), S_OK);
  ComPtr<Velmadd::_Class1> adder;
  ASSERT_EQ(CreateInstanceByName(u"Velmadd.Class1", Velmadd::_Class1::iid, adder.PutVoid()), S_OK);
  for (const auto& c : kCases) {
    std::int32_t result = 12345;
    EXPECT_EQ(adder->MyAdd(c.a, c.b, &result), c.hr) << c.a << " + " << c.b;
    if (c.hr == S_OK) {
      EXPECT_EQ(result, c.sum);
    } else {
      EXPECT_EQ(result, 12345) << "the result must stay untouched";
      ComPtr<ISupportErrorInfo> support;
      ASSERT_EQ(adder.As(&support), S_OK);
      EXPECT_EQ(support->InterfaceSupportsErrorInfo(Velmadd::_Class1::iid), S_OK);
      ComError e = ComError::FromLastCall(c.hr);
      EXPECT_EQ(e.Description(), u"Overflow");
      EXPECT_EQ(e.Source(), u"Velmadd.Class1");
    }
  }
  EXPECT_EQ(adder->MyAdd(1, 2, nullptr), E_POINTER);
  // MyAdd released the reference it held during the call.
  adder->AddRef();
  EXPECT_EQ(adder->Release(), 1u);
}

TEST_F(VelmaddServer, LateBoundClientFindsMyAddInAnyCaseAndCoercesArguments) {
  ASSERT_EQ(Register(), S_OK);
  ComPtr<IDispatch> disp = Create();
  ASSERT_TRUE(disp);
  for (const char16_t* name : {u"MyAdd", u"myadd", u"MYADD"}) {
    DISPID id = 0;
    OLECHAR* names[] = {const_cast<OLECHAR*>(name)};
    EXPECT_EQ(disp->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
    EXPECT_EQ(id, kMyAdd);
  }
  // The same table with I4 arguments, with I2 ones where they fit, and with texts.
  for (int form = 0; form < 3; ++form) {
    for (const auto& c : kCases) {
      auto arg = [&](std::int32_t v) {
        if (form == 1 && v >= -32768 && v <= 32767) return Variant(static_cast<std::int16_t>(v));
        if (form == 2) return Variant(win::Utf8ToWide(std::to_string(v)));
        return Variant(v);
      };
      std::vector<Variant> args{arg(c.b), arg(c.a)};  // last first
      DISPPARAMS params = Params(args);
      Variant result(u"untouched");
      EXCEPINFO info;
      unsigned arg_err = 99;
      HRESULT hr = disp->Invoke(kMyAdd, IID_NULL, 0, DISPATCH_METHOD, &params, &result, &info, &arg_err);
      if (c.hr == S_OK) {
        EXPECT_EQ(hr, S_OK) << c.a << " + " << c.b << " form " << form;
        EXPECT_EQ(result.vt, VT_I4);
        EXPECT_EQ(result.lVal, c.sum);
      } else {
        EXPECT_EQ(hr, DISP_E_EXCEPTION);
        EXPECT_EQ(info.scode, CTL_E_OVERFLOW);
        EXPECT_EQ(BstrView(info.bstrDescription), u"Overflow");
        EXPECT_EQ(BstrView(info.bstrSource), u"Velmadd.Class1");
        ClearExcepInfo(&info);
        EXPECT_EQ(result.vt, VT_BSTR) << "the result must stay untouched";
        ComError e = ComError::FromLastCall(CTL_E_OVERFLOW);
        EXPECT_EQ(e.Description(), u"Overflow");
        // Without an EXCEPINFO the failure itself comes back.
        EXPECT_EQ(disp->Invoke(kMyAdd, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, nullptr), CTL_E_OVERFLOW);
      }
    }
  }
  // The text "2" and the I2 3 together.
  std::vector<Variant> args{Variant(std::int16_t{3}), Variant(u"2")};
  DISPPARAMS params = Params(args);
  Variant result;
  EXPECT_EQ(disp->Invoke(kMyAdd, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, nullptr), S_OK);
  EXPECT_EQ(result.lVal, 5);
}

TEST_F(VelmaddServer, NamedArgumentsGoToTheirParameters) {
  ASSERT_EQ(Register(), S_OK);
  ComPtr<IDispatch> disp = Create();
  OLECHAR* names[] = {const_cast<OLECHAR*>(u"MyAdd"), const_cast<OLECHAR*>(u"b"), const_cast<OLECHAR*>(u"A")};
  DISPID ids[3];
  ASSERT_EQ(disp->GetIDsOfNames(IID_NULL, names, 3, 0, ids), S_OK);
  EXPECT_EQ(ids[1], 1);
  EXPECT_EQ(ids[2], 0);
  // MyAdd(B:=2147483647, A:=-1): named arguments come first in rgvarg.
  std::vector<Variant> args{Variant(2147483647), Variant(-1)};
  DISPID named[] = {1, 0};
  DISPPARAMS params{args.data(), named, 2, 2};
  Variant result;
  EXPECT_EQ(disp->Invoke(kMyAdd, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, nullptr), S_OK);
  EXPECT_EQ(result.lVal, 2147483646);
}

TEST_F(VelmaddServer, BadCallsGiveTheDocumentedResults) {
  ASSERT_EQ(Register(), S_OK);
  ComPtr<IDispatch> disp = Create();
  DISPID id = 0;
  OLECHAR* unknown[] = {const_cast<OLECHAR*>(u"MySubtract")};
  EXPECT_EQ(disp->GetIDsOfNames(IID_NULL, unknown, 1, 0, &id), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(id, DISPID_UNKNOWN);
  OLECHAR* bad_param[] = {const_cast<OLECHAR*>(u"MyAdd"), const_cast<OLECHAR*>(u"C")};
  DISPID two[2];
  EXPECT_EQ(disp->GetIDsOfNames(IID_NULL, bad_param, 2, 0, two), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(disp->GetIDsOfNames(IID_NULL, nullptr, 1, 0, &id), E_INVALIDARG);

  struct Case {
    std::vector<Variant> args;  // last first
    HRESULT hr;
    const char* what;
  };
  std::vector<Case> cases;
  cases.push_back({{Variant(1)}, DISP_E_BADPARAMCOUNT, "one argument"});
  cases.push_back({{}, DISP_E_BADPARAMCOUNT, "no argument"});
  cases.push_back({{Variant(1), Variant(2), Variant(3)}, DISP_E_BADPARAMCOUNT, "three arguments"});
  cases.push_back({{Variant(1), Variant(u"two")}, DISP_E_TYPEMISMATCH, "a text that is no number"});
  cases.push_back({{Variant(1), Variant(5e9)}, DISP_E_OVERFLOW, "a number beyond 32 bits"});
  cases.push_back({{Variant(1), Variant::Null()}, DISP_E_TYPEMISMATCH, "Null"});
  cases.push_back({{Variant(1), Variant::Missing()}, DISP_E_PARAMNOTOPTIONAL, "a missing argument"});
  cases.push_back({{Variant(1), Variant(disp.Get())}, DISP_E_TYPEMISMATCH, "an object without a value"});
  for (auto& c : cases) {
    DISPPARAMS params = Params(c.args);
    Variant result;
    unsigned arg_err = 99;
    EXPECT_EQ(disp->Invoke(kMyAdd, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, &arg_err), c.hr) << c.what;
    EXPECT_TRUE(result.IsEmpty()) << c.what;
    if (c.hr == DISP_E_TYPEMISMATCH || c.hr == DISP_E_OVERFLOW) {
      EXPECT_EQ(arg_err, 1u) << c.what;
    }
  }
  std::vector<Variant> ok{Variant(1), Variant(2)};
  DISPPARAMS params = Params(ok);
  EXPECT_EQ(disp->Invoke(0x1234, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(disp->Invoke(kMyAdd, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(disp->Invoke(kMyAdd, IUnknown::iid, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr), DISP_E_UNKNOWNINTERFACE);
  EXPECT_EQ(disp->Invoke(kMyAdd, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr), E_INVALIDARG);
  DISPPARAMS broken{nullptr, nullptr, 2, 0};
  EXPECT_EQ(disp->Invoke(kMyAdd, IID_NULL, 0, DISPATCH_METHOD, &broken, nullptr, nullptr, nullptr), E_INVALIDARG);
  // Without a result variant the call still happens.
  EXPECT_EQ(disp->Invoke(kMyAdd, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr), S_OK);

  unsigned count = 0;
  EXPECT_EQ(disp->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 1u);
  ComPtr<ITypeInfo> info;
  EXPECT_EQ(disp->GetTypeInfo(1, 0, info.Put()), DISP_E_BADINDEX);
  EXPECT_EQ(disp->GetTypeInfo(0, 0, nullptr), E_POINTER);

  // The class factory refuses aggregation; the library has one class only.
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(CoGetClassObject(Velmadd::CLSID_Class1, CLSCTX_INPROC_SERVER, nullptr, IClassFactory::iid, factory.PutVoid()), S_OK);
  ComPtr<IUnknown> obj;
  EXPECT_EQ(factory->CreateInstance(disp.Get(), IUnknown::iid, obj.PutVoid()), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(factory->CreateInstance(nullptr, IClassFactory::iid, obj.PutVoid()), E_NOINTERFACE);
  EXPECT_EQ(factory->CreateInstance(nullptr, IUnknown::iid, nullptr), E_POINTER);
  win::HMODULE m = win::GetModuleHandle(dll_);
  ASSERT_NE(m, nullptr);
  auto get = reinterpret_cast<HRESULT (*)(REFCLSID, REFIID, void**)>(win::GetProcAddress(m, "DllGetClassObject"));
  EXPECT_EQ(get(Velmadd::LIBID_Velmadd, IClassFactory::iid, obj.PutVoid()), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(get(Velmadd::CLSID_Class1, IClassFactory::iid, nullptr), E_POINTER);
}

TEST_F(VelmaddServer, ApartmentRulesAreKept) {
  ASSERT_EQ(Register(), S_OK);
  ComPtr<Velmadd::_Class1> adder;
  ASSERT_EQ(CreateInstanceByName(u"Velmadd.Class1", Velmadd::_Class1::iid, adder.PutVoid()), S_OK);
  std::thread([&] {
    ComPtr<IUnknown> other;
    // Not initialised: no creation.
    EXPECT_EQ(CreateInstanceByName(u"Velmadd.Class1", IUnknown::iid, other.PutVoid()), CO_E_NOTINITIALIZED);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), E_NOTIMPL);
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
    CoUninitialize();
    // The object belongs to the creating thread's apartment.
    std::int32_t result = 7;
    EXPECT_EQ(adder->MyAdd(2, 3, &result), RPC_E_WRONG_THREAD);
    EXPECT_EQ(result, 7);
    std::vector<Variant> args{Variant(3), Variant(2)};
    DISPPARAMS params = Params(args);
    EXPECT_EQ(adder->Invoke(kMyAdd, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr), RPC_E_WRONG_THREAD);
    // An object made in this thread's own apartment works here.
    ComPtr<Velmadd::_Class1> own;
    ASSERT_EQ(CreateInstanceByName(u"Velmadd.Class1", Velmadd::_Class1::iid, own.PutVoid()), S_OK);
    EXPECT_EQ(own->MyAdd(2, 3, &result), S_OK);
    EXPECT_EQ(result, 5);
    own.Reset();
    CoUninitialize();
  }).join();
}

TEST_F(VelmaddServer, LibraryUnloadsAfterTheLastObjectIsReleased) {
  ASSERT_EQ(Register(), S_OK);
  ComPtr<IDispatch> disp = Create();
  ASSERT_TRUE(disp);
  win::HMODULE m = win::GetModuleHandle(dll_);
  ASSERT_NE(m, nullptr);
  auto can_unload = reinterpret_cast<HRESULT (*)()>(win::GetProcAddress(m, "DllCanUnloadNow"));
  ASSERT_NE(can_unload, nullptr);
  EXPECT_EQ(can_unload(), S_FALSE);
  CoFreeUnusedLibraries();
  EXPECT_EQ(LoadedServerCount(), 1u);
  // A server lock keeps it too.
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(CoGetClassObject(Velmadd::CLSID_Class1, CLSCTX_INPROC_SERVER, nullptr, IClassFactory::iid, factory.PutVoid()), S_OK);
  factory->LockServer(1);
  disp.Reset();
  EXPECT_EQ(can_unload(), S_FALSE);
  factory->LockServer(0);
  factory.Reset();
  EXPECT_EQ(can_unload(), S_OK);
  CoFreeUnusedLibraries();
  EXPECT_EQ(LoadedServerCount(), 0u);
  EXPECT_EQ(win::GetModuleHandle(dll_), nullptr);
  // And it comes back when needed.
  disp = Create();
  EXPECT_TRUE(disp);
}

TEST_F(VelmaddServer, TypeLibraryCarriesTheClassDescription) {
  ComPtr<ITypeLib> lib;
  ASSERT_EQ(LoadTypeLib(win::AnsiToWide(dll_).c_str(), lib.Put()), S_OK);
  TLIBATTR* la = nullptr;
  ASSERT_EQ(lib->GetLibAttr(&la), S_OK);
  EXPECT_EQ(la->guid, Velmadd::LIBID_Velmadd);
  EXPECT_EQ(la->wMajorVerNum, 1);
  EXPECT_EQ(la->wMinorVerNum, 0);
  EXPECT_EQ(la->lcid, 0x409u);
  Bstr name, doc;
  lib->GetDocumentation(-1, name.Put(), doc.Put(), nullptr, nullptr);
  EXPECT_EQ(name.View(), u"Velmadd");
  EXPECT_TRUE(doc.Empty());
  ComPtr<ITypeInfo> itf;
  ASSERT_EQ(lib->GetTypeInfoOfGuid(Velmadd::_Class1::iid, itf.Put()), S_OK);
  TYPEATTR* ta = nullptr;
  ASSERT_EQ(itf->GetTypeAttr(&ta), S_OK);
  EXPECT_EQ(ta->wTypeFlags, TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FOLEAUTOMATION |
                                TYPEFLAG_FDISPATCHABLE);
  EXPECT_EQ(ta->cFuncs, 1);
  EXPECT_EQ(ta->cbSizeVft, 8 * sizeof(void*));
  FUNCDESC* fd = nullptr;
  ASSERT_EQ(itf->GetFuncDesc(0, &fd), S_OK);
  EXPECT_EQ(fd->memid, kMyAdd);
  EXPECT_EQ(fd->cParams, 3);
  EXPECT_EQ(fd->lprgelemdescParam[0].tdesc.vt, VT_I4);
  EXPECT_EQ(fd->lprgelemdescParam[2].paramdesc.wParamFlags, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL);
  EXPECT_EQ(fd->lprgelemdescParam[2].tdesc.vt, VT_PTR);
  EXPECT_EQ(fd->lprgelemdescParam[2].tdesc.lptdesc->vt, VT_I4);
  EXPECT_EQ(fd->oVft, 7 * static_cast<short>(sizeof(void*)));
  ComPtr<ITypeInfo> cls;
  ASSERT_EQ(lib->GetTypeInfoOfGuid(Velmadd::CLSID_Class1, cls.Put()), S_OK);
  ASSERT_EQ(cls->GetTypeAttr(&ta), S_OK);
  EXPECT_EQ(ta->typekind, TKIND_COCLASS);
  EXPECT_EQ(ta->wTypeFlags, TYPEFLAG_FCANCREATE);
  int flags = 0;
  EXPECT_EQ(cls->GetImplTypeFlags(0, &flags), S_OK);
  EXPECT_EQ(flags, IMPLTYPEFLAG_FDEFAULT);
  // Registered, the library is found by LIBID and version.
  ASSERT_EQ(Register(), S_OK);
  ComPtr<ITypeLib> by_id;
  EXPECT_EQ(LoadRegTypeLib(Velmadd::LIBID_Velmadd, 1, 0, 0x409, by_id.Put()), S_OK);
  EXPECT_EQ(LoadRegTypeLib(Velmadd::LIBID_Velmadd, 2, 0, 0x409, by_id.Put()), TYPE_E_LIBNOTREGISTERED);
  ASSERT_EQ(Unregister(), S_OK);
  EXPECT_EQ(LoadRegTypeLib(Velmadd::LIBID_Velmadd, 1, 0, 0x409, by_id.Put()), TYPE_E_LIBNOTREGISTERED);
}

TEST_F(VelmaddServer, DamagedTypeLibraryMakesTheLibraryRefuseToInitialise) {
  // A copy of velmadd.dll whose embedded type library is cut short.
  std::ifstream in(dll_, std::ios::binary);
  std::string image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::size_t at = image.find("VLTB");
  ASSERT_NE(at, std::string::npos);
  image[at + 6] = '\xff';  // the payload length now exceeds the resource
  fs::path copy = dir_ / "velmadd.dll";
  std::ofstream(copy, std::ios::binary) << image;
  ComPtr<ITypeLib> lib;
  EXPECT_EQ(LoadTypeLib(copy.u16string().c_str(), lib.Put()), TYPE_E_INVDATAREAD);
  // Not a library at all, and a library without a type library.
  std::ofstream(dir_ / "junk.dll") << "junk";
  EXPECT_EQ(LoadTypeLib((dir_ / "junk.dll").u16string().c_str(), lib.Put()), TYPE_E_CANTLOADLIBRARY);
  EXPECT_EQ(LoadTypeLib((dir_ / "missing.dll").u16string().c_str(), lib.Put()), TYPE_E_CANTLOADLIBRARY);
  std::string velcom = fs::canonical(fs::path(BinDir()) / "libvelcom.so").string();
  EXPECT_EQ(LoadTypeLib(win::AnsiToWide(velcom).c_str(), lib.Put()), TYPE_E_CANTLOADLIBRARY);

  // Registered under the damaged copy, the class cannot be created: its
  // library fails to initialise.
  ASSERT_EQ(Register(), S_OK);
  ASSERT_EQ(registry::SetString(registry::Root::ClassesRoot,
                                u"CLSID\\{A92D017D-C840-41AC-8D97-853C8D9F1060}\\InprocServer32", u"", copy.u16string()),
            S_OK);
  ComPtr<IDispatch> disp;
  EXPECT_EQ(CreateInstanceByName(u"Velmadd.Class1", IDispatch::iid, disp.PutVoid()),
            HResultFromWin32(ERROR_DLL_INIT_FAILED));
  EXPECT_EQ(registry::SetString(registry::Root::ClassesRoot,
                                u"CLSID\\{A92D017D-C840-41AC-8D97-853C8D9F1060}\\InprocServer32", u"",
                                (dir_ / "missing.dll").u16string()),
            S_OK);
  EXPECT_EQ(CreateInstanceByName(u"Velmadd.Class1", IDispatch::iid, disp.PutVoid()), HResultFromWin32(ERROR_MOD_NOT_FOUND));
  EXPECT_NE(ComError::FromLastCall(E_FAIL).Description().find(u"missing.dll"), std::u16string::npos);
}

TEST_F(VelmaddServer, BrokenRegistryFileIsReportedNotCrashedOn) {
  std::ofstream(dir_ / "registry.xml") << "<registry><root name=";
  ComPtr<IDispatch> disp;
  EXPECT_EQ(CreateInstanceByName(u"Velmadd.Class1", IDispatch::iid, disp.PutVoid()), HResultFromWin32(ERROR_BADDB));
  EXPECT_EQ(Register(), SELFREG_E_TYPELIB);
  EXPECT_EQ(Unregister(), SELFREG_E_CLASS);
}

namespace {
struct CommandResult {
  int status;
  std::string out;
};
CommandResult Velmora(const std::string& args, const fs::path& dir) {
  std::string cmd = (fs::path(BinDir()) / "velmora").string() + " " + args + " > " + (dir / "out.txt").string() + " 2>&1";
  int raw = std::system(cmd.c_str());
  std::ifstream in(dir / "out.txt");
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1,
          std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>())};
}
}  // namespace

TEST_F(VelmaddServer, Regsvr32CommandRegistersAndReportsInWords) {
  const auto before = Snapshot();
  CommandResult r = Velmora("regsvr32 " + dll_, dir_);
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("DllRegisterServer in " + dll_ + " succeeded."), std::string::npos) << r.out;
  EXPECT_TRUE(registry::KeyExists(registry::Root::ClassesRoot, u"Velmadd.Class1\\Clsid"));
  r = Velmora("regsvr32 -u " + dll_, dir_);
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("DllUnregisterServer in " + dll_ + " succeeded."), std::string::npos) << r.out;
  EXPECT_EQ(Snapshot(), before);

  r = Velmora("regsvr32 " + (dir_ / "missing.dll").string(), dir_);
  EXPECT_EQ(r.status, 3);
  EXPECT_NE(r.out.find("failed to load"), std::string::npos) << r.out;
  const std::string velcom = fs::canonical(fs::path(BinDir()) / "libvelcom.so").string();
  r = Velmora("regsvr32 " + velcom, dir_);
  EXPECT_EQ(r.status, 4);
  EXPECT_NE(r.out.find("entry-point DllRegisterServer was not found"), std::string::npos) << r.out;
  std::ofstream(dir_ / "registry.xml") << "<registry>";
  r = Velmora("regsvr32 " + dll_, dir_);
  EXPECT_EQ(r.status, 5);
  EXPECT_NE(r.out.find("0x80040200"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("damaged"), std::string::npos) << r.out;
}
