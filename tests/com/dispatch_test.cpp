// Dispatch through type information over a richer type library (properties,
// optional and default arguments, by-reference arguments, enums, interface
// arguments and results), connection points, the compiler's diagnostics and
// the loader's defence against damaged type libraries.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "com/auto_object.h"
#include "com/connection_point.h"
#include "com/registry.h"
#include "com/safearray.h"
#include "platform/win/code_page.h"
#include "platform/win/library_loader.h"
#include "sample_tlb.h"

using namespace com;
using namespace Sample;

namespace {

class ImportedObject final : public Object<IImported> {
 public:
  HRESULT GetTypeInfoCount(unsigned*) override { return E_NOTIMPL; }
  HRESULT GetTypeInfo(unsigned, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT GetIDsOfNames(REFIID, OLECHAR**, unsigned, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, unsigned*) override { return E_NOTIMPL; }
  HRESULT Ping(std::int32_t* value) override {
    *value = 42;
    return S_OK;
  }
};

class SampleImpl final : public AutoObject<ISample, IConnectionPointContainer> {
 public:
  using AutoObject::AutoObject;
  HRESULT get_Value(BSTR* value) override {
    *value = value_.Copy();
    return S_OK;
  }
  HRESULT put_Value(BSTR value) override {
    value_ = Bstr(BstrView(value));
    return S_OK;
  }
  HRESULT Describe(double x, VARIANT extra, std::int32_t count, BSTR* text) override {
    std::u16string out = FormatDouble(x) + u"|";
    Variant e(extra);
    out += e.IsMissing() ? u"missing" : e.ToWide();
    out += u"|" + win::Utf8ToWide(std::to_string(count));
    *text = Bstr(out).Detach();
    return S_OK;
  }
  HRESULT Twice(std::int32_t* number, VARIANT* any) override {
    *number *= 2;
    Variant doubled(Variant(*any).ToInt32() * 2);
    VariantCopy(any, &doubled);
    return S_OK;
  }
  HRESULT Use(Mode mode, IImported* other, std::int32_t* result) override {
    std::int32_t ping = 0;
    if (other) other->Ping(&ping);
    *result = mode * 100 + ping;
    return S_OK;
  }
  HRESULT Self(ISample** me) override {
    *me = this;
    AddRef();
    return S_OK;
  }
  HRESULT EnumConnectionPoints(IEnumConnectionPoints** points) override {
    if (points) *points = nullptr;
    return E_NOTIMPL;
  }
  HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** point) override {
    return FindConnectionPointIn({&events_}, riid, point);
  }
  EventSource& Events() { return events_; }

 private:
  Bstr value_;
  EventSource events_{this, DIID__SampleEvents};
};

// A sink answering the event interface with its IDispatch.
class Sink final : public Object<IDispatch> {
 public:
  HRESULT GetTypeInfoCount(unsigned* n) override { return *n = 0, S_OK; }
  HRESULT GetTypeInfo(unsigned, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT GetIDsOfNames(REFIID, OLECHAR**, unsigned, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, unsigned*) override {
    last_id = id;
    args.clear();
    for (unsigned i = params->cArgs; i-- > 0;) args.push_back(Variant(params->rgvarg[i]));
    if (params->cArgs == 2 && params->rgvarg[0].vt == (VT_BYREF | VT_BOOL)) *params->rgvarg[0].pboolVal = VARIANT_TRUE;
    ++calls;
    return S_OK;
  }
  int calls = 0;
  DISPID last_id = 0;
  std::vector<Variant> args;

 protected:
  void* QueryExtra(REFIID riid) override { return riid == DIID__SampleEvents ? static_cast<IDispatch*>(this) : nullptr; }
};

std::shared_ptr<const AutoClass> SampleClass() {
  HRESULT hr;
  auto cls = AutoClass::Load(win::GetModuleFileName(reinterpret_cast<const void*>(&SampleClass)), CLSID_SampleObject,
                             u"Sample.SampleObject", &hr);
  EXPECT_EQ(hr, S_OK);
  return cls;
}

HRESULT Call(IDispatch* d, DISPID id, WORD flags, std::vector<Variant> args_in_order, Variant* result,
             std::vector<DISPID> named = {}) {
  std::vector<Variant> reversed(args_in_order.rbegin(), args_in_order.rend());
  DISPPARAMS p{reversed.data(), named.empty() ? nullptr : named.data(), static_cast<unsigned>(reversed.size()),
               static_cast<unsigned>(named.size())};
  return d->Invoke(id, IID_NULL, 0, flags, &p, result, nullptr, nullptr);
}

}  // namespace

TEST(ComDispatch, PropertiesOptionalAndDefaultArguments) {
  auto obj = MakeObject<SampleImpl>(SampleClass());
  ComPtr<IDispatch> d;
  ASSERT_EQ(obj.As(&d), S_OK);
  Variant result;
  // A property put passes its value as the named argument DISPID_PROPERTYPUT.
  EXPECT_EQ(Call(d.Get(), 0, DISPATCH_PROPERTYPUT, {Variant(u"学校")}, nullptr, {DISPID_PROPERTYPUT}), S_OK);
  EXPECT_EQ(Call(d.Get(), 0, DISPATCH_PROPERTYGET | DISPATCH_METHOD, {}, &result), S_OK);
  EXPECT_EQ(result.ToWide(), u"学校");
  // A positional value is taken as well; no value at all is not.
  EXPECT_EQ(Call(d.Get(), 0, DISPATCH_PROPERTYPUT, {Variant(u"x")}, nullptr), S_OK);
  EXPECT_EQ(Call(d.Get(), 0, DISPATCH_PROPERTYPUT, {}, nullptr), DISP_E_PARAMNOTOPTIONAL);
  EXPECT_EQ(Call(d.Get(), 0, DISPATCH_PROPERTYPUT, {Variant(u"学校")}, nullptr, {DISPID_PROPERTYPUT}), S_OK);
  // The object's value converts: VariantChangeType asks for DISPID 0.
  Variant object(d.Get());
  EXPECT_EQ(object.ToWide(), u"学校");

  EXPECT_EQ(Call(d.Get(), 2, DISPATCH_METHOD, {Variant(1.5)}, &result), S_OK);
  EXPECT_EQ(result.ToWide(), u"1.5|missing|7");
  EXPECT_EQ(Call(d.Get(), 2, DISPATCH_METHOD, {Variant(u"2.5"), Variant(u"x"), Variant(u"3")}, &result), S_OK);
  EXPECT_EQ(result.ToWide(), u"2.5|x|3");
  EXPECT_EQ(Call(d.Get(), 2, DISPATCH_METHOD, {Variant(1.0), Variant::Missing(), Variant::Missing()}, &result), S_OK);
  EXPECT_EQ(result.ToWide(), u"1|missing|7");
  EXPECT_EQ(Call(d.Get(), 2, DISPATCH_METHOD, {}, &result), DISP_E_BADPARAMCOUNT);
  OLECHAR* names[] = {const_cast<OLECHAR*>(u"DESCRIBE"), const_cast<OLECHAR*>(u"count")};
  DISPID ids[2];
  ASSERT_EQ(d->GetIDsOfNames(IID_NULL, names, 2, 0, ids), S_OK);
  EXPECT_EQ(ids[0], 2);
  EXPECT_EQ(ids[1], 2);
  // Describe(4, count:=9): the named argument comes first in rgvarg.
  EXPECT_EQ(Call(d.Get(), 2, DISPATCH_METHOD, {Variant(4.0), Variant(9)}, &result, {2}), S_OK);
  EXPECT_EQ(result.ToWide(), u"4|missing|9");
}

TEST(ComDispatch, ByReferenceEnumsAndInterfaces) {
  auto obj = MakeObject<SampleImpl>(SampleClass());
  ComPtr<IDispatch> d;
  ASSERT_EQ(obj.As(&d), S_OK);
  std::int32_t number = 21;
  Variant any(5);
  Variant result;
  EXPECT_EQ(Call(d.Get(), 3, DISPATCH_METHOD, {Variant::ByRef(VT_I4, &number), Variant::ByRef(VT_VARIANT, &any)}, &result), S_OK);
  EXPECT_EQ(number, 42);
  EXPECT_EQ(any.lVal, 10);
  // A by-reference parameter wants a reference of its own type.
  EXPECT_EQ(Call(d.Get(), 3, DISPATCH_METHOD, {Variant(1), Variant(2)}, &result), DISP_E_TYPEMISMATCH);

  auto imported = MakeObject<ImportedObject>();
  ComPtr<IDispatch> other;
  ASSERT_EQ(imported.As(&other), S_OK);
  EXPECT_EQ(Call(d.Get(), 4, DISPATCH_METHOD, {Variant(std::int16_t{2}), Variant(other.Get())}, &result), S_OK);
  EXPECT_EQ(result.lVal, 242);
  // An object that lacks the interface does not fit the parameter.
  EXPECT_EQ(Call(d.Get(), 4, DISPATCH_METHOD, {Variant(1), Variant(d.Get())}, &result), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Call(d.Get(), 4, DISPATCH_METHOD, {Variant(1), Variant()}, &result), S_OK);  // Nothing
  EXPECT_EQ(result.lVal, 100);

  EXPECT_EQ(Call(d.Get(), 5, DISPATCH_METHOD, {}, &result), S_OK);
  ASSERT_EQ(result.vt, VT_DISPATCH);
  EXPECT_EQ(static_cast<void*>(result.pdispVal), static_cast<void*>(static_cast<ISample*>(obj.Get())));
  ComPtr<ITypeInfo> cls;
  ComPtr<IProvideClassInfo> provide;
  ASSERT_EQ(obj.As(&provide), S_OK);
  ASSERT_EQ(provide->GetClassInfo(cls.Put()), S_OK);
  Bstr doc;
  cls->GetDocumentation(MEMBERID_NIL, nullptr, doc.Put(), nullptr, nullptr);
  EXPECT_EQ(doc.View(), u"A sample object");
}

TEST(ComConnectionPoints, AdviseFireUnadvise) {
  auto obj = MakeObject<SampleImpl>(SampleClass());
  ComPtr<IConnectionPointContainer> container;
  ASSERT_EQ(obj.As(&container), S_OK);
  ComPtr<IConnectionPoint> cp;
  EXPECT_EQ(container->FindConnectionPoint(IDispatch::iid, cp.Put()), CONNECT_E_NOCONNECTION);
  ASSERT_EQ(container->FindConnectionPoint(DIID__SampleEvents, cp.Put()), S_OK);
  IID iid;
  EXPECT_EQ(cp->GetConnectionInterface(&iid), S_OK);
  EXPECT_EQ(iid, DIID__SampleEvents);

  auto first = MakeObject<Sink>(), second = MakeObject<Sink>();
  DWORD c1 = 0, c2 = 0;
  ASSERT_EQ(cp->Advise(first->Unknown(), &c1), S_OK);
  ASSERT_EQ(cp->Advise(second->Unknown(), &c2), S_OK);
  EXPECT_NE(c1, c2);
  EXPECT_NE(c1, 0u);
  VARIANT_BOOL cancel = VARIANT_FALSE;
  std::vector<Variant> args{Variant(5), Variant::ByRef(VT_BOOL, &cancel)};
  EXPECT_EQ(obj->Events().Fire(1, args), 2u);
  EXPECT_EQ(first->last_id, 1);
  ASSERT_EQ(first->args.size(), 2u);
  EXPECT_EQ(first->args[0].lVal, 5);  // declaration order
  EXPECT_EQ(cancel, VARIANT_TRUE);    // by-reference arguments come back

  EXPECT_EQ(cp->Unadvise(c1), S_OK);
  EXPECT_EQ(cp->Unadvise(c1), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(obj->Events().Fire(1, args), 1u);
  EXPECT_EQ(first->calls, 1);
  EXPECT_EQ(second->calls, 2);

  // A sink without the event interface cannot connect.
  auto imported = MakeObject<ImportedObject>();
  DWORD c3 = 7;
  EXPECT_EQ(cp->Advise(imported->Unknown(), &c3), CONNECT_E_CANNOTCONNECT);
  EXPECT_EQ(c3, 0u);
  EXPECT_EQ(cp->Advise(nullptr, &c3), E_POINTER);
  EXPECT_EQ(cp->Advise(first->Unknown(), nullptr), E_POINTER);
  ComPtr<IConnectionPointContainer> back;
  EXPECT_EQ(cp->GetConnectionPointContainer(back.Put()), S_OK);
  EXPECT_EQ(back.Get(), container.Get());
  back.Reset();
  container.Reset();
  // The connection point outlives its object but no longer reaches it.
  obj.Reset();
  EXPECT_EQ(cp->GetConnectionPointContainer(back.Put()), E_UNEXPECTED);
  EXPECT_EQ(cp->Unadvise(c2), CONNECT_E_NOCONNECTION);
}

TEST(ComTypeLib, DamagedBytesNeverCrashTheLoader) {
  // Imports of damaged libraries are looked up in a registry of nothing.
  auto nowhere = std::filesystem::temp_directory_path() / ("velcom-none-" + std::to_string(::getpid())) / "registry.xml";
  setenv("VELMORA_REGISTRY", nowhere.c_str(), 1);
  std::ifstream in(std::string(VELCOM_SAMPLE_TLB), std::ios::binary);
  std::vector<std::uint8_t> good((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(good.size(), 100u);
  ComPtr<ITypeLib> lib;
  ASSERT_EQ(LoadTypeLibFromMemory(good.data(), good.size(), lib.Put()), S_OK);
  EXPECT_EQ(lib->GetTypeInfoCount(), 5u);
  for (std::size_t cut = 0; cut < good.size(); cut += 3)
    EXPECT_NE(LoadTypeLibFromMemory(good.data(), cut, lib.Put()), S_OK) << "cut at " << cut;
  for (std::size_t i = 0; i < good.size(); ++i) {
    for (std::uint8_t flip : {0xFF, 0x01, 0x80}) {
      auto bad = good;
      bad[i] ^= flip;
      HRESULT hr = LoadTypeLibFromMemory(bad.data(), bad.size(), lib.Put());
      if (SUCCEEDED(hr)) {
        // What loads must be usable.
        for (unsigned t = 0; t < lib->GetTypeInfoCount(); ++t) {
          ComPtr<ITypeInfo> info;
          TYPEATTR* attr = nullptr;
          if (SUCCEEDED(lib->GetTypeInfo(t, info.Put())) && SUCCEEDED(info->GetTypeAttr(&attr)))
            for (unsigned f = 0; f < attr->cFuncs; ++f) {
              FUNCDESC* fd = nullptr;
              info->GetFuncDesc(f, &fd);
            }
        }
      } else {
        EXPECT_TRUE(hr == TYPE_E_INVDATAREAD || hr == TYPE_E_UNSUPFORMAT) << std::hex << hr;
      }
    }
  }
}

TEST(ComTypeLibCompiler, ReportsFaultsWithTheirLine) {
  struct Case {
    const char* source;
    const char* message;
  };
  const Case cases[] = {
      {"library L {};", "needs a uuid"},
      {"[uuid(1-2)] library L {};", "malformed uuid"},
      {"[uuid(6F4E2B10-1D2C-4B3A-8E9F-0A1B2C3D4E5F)] library L {\n[uuid(6F4E2B11-1D2C-4B3A-8E9F-0A1B2C3D4E5F), dual]\n"
       "interface I : IDispatch { HRESULT F(); };\n};",
       ":3: member F of an automation interface needs an id"},
      {"[uuid(6F4E2B10-1D2C-4B3A-8E9F-0A1B2C3D4E5F)] library L {\n[uuid(6F4E2B11-1D2C-4B3A-8E9F-0A1B2C3D4E5F), dual]\n"
       "interface I : IDispatch { [id(1)] long F(); };\n};",
       "must return HRESULT"},
      {"[uuid(6F4E2B10-1D2C-4B3A-8E9F-0A1B2C3D4E5F)] library L {\n[uuid(6F4E2B11-1D2C-4B3A-8E9F-0A1B2C3D4E5F)]\n"
       "interface I : IDispatch { [id(1)] HRESULT F([out, retval] long* a, [in] long b); };\n};",
       "retval must be the last"},
      {"[uuid(6F4E2B10-1D2C-4B3A-8E9F-0A1B2C3D4E5F)] library L {\n[uuid(6F4E2B11-1D2C-4B3A-8E9F-0A1B2C3D4E5F)]\n"
       "interface I : IDispatch { [id(1)] HRESULT F([in] Unknown x); };\n};",
       "unknown type \"Unknown\""},
      {"[uuid(6F4E2B10-1D2C-4B3A-8E9F-0A1B2C3D4E5F), shiny] library L {};", "attribute \"shiny\" not allowed"},
  };
  auto dir = std::filesystem::temp_directory_path() / ("velcom-tlc-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  for (const auto& c : cases) {
    auto src = dir / "bad.ridl";
    std::ofstream(src) << c.source;
    std::string cmd = std::string(VELCOM_TLC) + " " + src.string() + " --tlb " + (dir / "out.tlb").string() + " 2> " +
                      (dir / "err.txt").string();
    EXPECT_NE(std::system(cmd.c_str()), 0) << c.source;
    std::ifstream err(dir / "err.txt");
    std::string text((std::istreambuf_iterator<char>(err)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find(c.message), std::string::npos) << text;
  }
  std::filesystem::remove_all(dir);
}

TEST(ComTypeLib, ImportsAreResolvedThroughTheRegistry) {
  auto dir = std::filesystem::temp_directory_path() / ("velcom-import-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  setenv("VELMORA_REGISTRY", (dir / "registry.xml").c_str(), 1);
  const std::string importer = VELCOM_IMPORTER_TLB;
  const CLSID imported = MakeGuid("{6F4E2B22-1D2C-4B3A-8E9F-0A1B2C3D4E5F}");
  HRESULT hr;
  // The Sample library (2.1) is not registered yet: the class cannot be described.
  EXPECT_EQ(AutoClass::Load(importer, imported, u"Importer.Imported", &hr), nullptr);
  EXPECT_EQ(hr, TYPE_E_LIBNOTREGISTERED);

  ComPtr<ITypeLib> sample;
  const std::string self = win::GetModuleFileName(reinterpret_cast<const void*>(&SampleClass));
  ASSERT_EQ(LoadTypeLibFromFile(self, sample.Put()), S_OK);
  ASSERT_EQ(RegisterTypeLib(sample.Get(), win::AnsiToWide(self).c_str(), nullptr), S_OK);
  auto cls = AutoClass::Load(importer, imported, u"Importer.Imported", &hr);
  ASSERT_EQ(hr, S_OK);
  ASSERT_NE(cls, nullptr);
  EXPECT_EQ(cls->default_iid, ISample::iid);

  // An interface deriving from an imported one continues its vtable.
  ComPtr<ITypeInfo> more;
  ASSERT_EQ(cls->type_lib->GetTypeInfoOfGuid(MakeGuid("{6F4E2B21-1D2C-4B3A-8E9F-0A1B2C3D4E5F}"), more.Put()), S_OK);
  FUNCDESC* fd = nullptr;
  ASSERT_EQ(more->GetFuncDesc(0, &fd), S_OK);
  EXPECT_EQ(fd->oVft, static_cast<short>((7 + 6) * sizeof(void*)));
  OLECHAR* names[] = {const_cast<OLECHAR*>(u"more")};
  DISPID id = 0;
  EXPECT_EQ(more->GetIDsOfNames(names, 1, &id), S_OK);
  EXPECT_EQ(id, 10);

  // Unregistered again, the registry is as it was.
  TLIBATTR* la = nullptr;
  ASSERT_EQ(sample->GetLibAttr(&la), S_OK);
  EXPECT_EQ(UnRegisterTypeLib(la->guid, la->wMajorVerNum, la->wMinorVerNum, la->lcid, la->syskind), S_OK);
  registry::Tree tree;
  ASSERT_EQ(registry::Read(&tree), S_OK);
  EXPECT_TRUE(tree.classes_root.Empty());
  std::filesystem::remove_all(dir);
}
