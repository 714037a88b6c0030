// GUIDs, BSTRs, VARIANTs and their conversions, SAFEARRAYs, error information.
#include <gtest/gtest.h>

#include <thread>

#include "com/bstr.h"
#include "com/dispatch.h"
#include "com/error_info.h"
#include "com/guid.h"
#include "com/object.h"
#include "com/safearray.h"
#include "com/variant.h"

using namespace com;

TEST(ComGuid, ParsesAndFormatsTheBracedForm) {
  constexpr GUID g = MakeGuid("{d017ddb8-dfd7-4e89-9465-f5fb4bab4799}");
  EXPECT_EQ(g.Data1, 0xD017DDB8u);
  EXPECT_EQ(g.Data4[7], 0x99);
  EXPECT_EQ(GuidToString(g), "{D017DDB8-DFD7-4E89-9465-F5FB4BAB4799}");
  CLSID c;
  EXPECT_EQ(CLSIDFromString(u"{D017DDB8-DFD7-4E89-9465-F5FB4BAB4799}", &c), S_OK);
  EXPECT_EQ(c, g);
  for (const char16_t* bad : {u"", u"{D017DDB8-DFD7-4E89-9465-F5FB4BAB479}", u"{D017DDB8-DFD7-4E89-9465-F5FB4BAB479G}",
                              u"D017DDB8-DFD7-4E89-9465-F5FB4BAB4799", u"{D017DDB8_DFD7-4E89-9465-F5FB4BAB4799}"})
    EXPECT_EQ(CLSIDFromString(bad, &c), CO_E_CLASSSTRING) << std::u16string(bad).size();
  EXPECT_EQ(CLSIDFromString(nullptr, &c), E_POINTER);
  OLECHAR buf[39];
  EXPECT_EQ(StringFromGUID2(g, buf, 39), 39);
  EXPECT_EQ(StringFromGUID2(g, buf, 38), 0);
}

TEST(ComBstr, IsLengthPrefixedAndConvertsGbk) {
  BSTR s = SysAllocStringLen(u"a\0b", 3);
  EXPECT_EQ(SysStringLen(s), 3u);
  EXPECT_EQ(SysStringByteLen(s), 6u);
  EXPECT_EQ(s[3], 0);
  SysFreeString(s);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  SysFreeString(nullptr);
  Bstr school = Bstr::FromAnsi("\xD1\xA7\xD0\xA3");  // 学校 in GBK
  EXPECT_EQ(school.View(), u"学校");
  EXPECT_EQ(school.ToAnsi(), "\xD1\xA7\xD0\xA3");
  Bstr copy = school;
  EXPECT_EQ(copy, school);
  EXPECT_NE(copy.Get(), school.Get());
}

struct ChangeCase {
  Variant from;
  VARTYPE to;
  HRESULT hr;
  Variant expected;
};

TEST(ComVariant, ChangeTypeCoercesAsAutomationDoes) {
  const ChangeCase cases[] = {
      {Variant(std::int16_t{2}), VT_I4, S_OK, Variant(2)},
      {Variant(u"2"), VT_I4, S_OK, Variant(2)},
      {Variant(u" -7 "), VT_I4, S_OK, Variant(-7)},
      {Variant(u"2.5"), VT_I4, S_OK, Variant(2)},  // half to even
      {Variant(u"3.5"), VT_I4, S_OK, Variant(4)},
      {Variant(2.5), VT_I2, S_OK, Variant(std::int16_t{2})},
      {Variant(u"abc"), VT_I4, DISP_E_TYPEMISMATCH, Variant()},
      {Variant(u""), VT_I4, DISP_E_TYPEMISMATCH, Variant()},
      {Variant(u"2147483648"), VT_I4, DISP_E_OVERFLOW, Variant()},
      {Variant(40000), VT_I2, DISP_E_OVERFLOW, Variant()},
      {Variant(1e300), VT_I4, DISP_E_OVERFLOW, Variant()},
      {Variant(), VT_I4, S_OK, Variant(0)},
      {Variant::Null(), VT_I4, DISP_E_TYPEMISMATCH, Variant()},
      {Variant::Missing(), VT_I4, DISP_E_TYPEMISMATCH, Variant()},
      {Variant(true), VT_I4, S_OK, Variant(-1)},
      {Variant(5), VT_BOOL, S_OK, Variant(true)},
      {Variant(u"false"), VT_BOOL, S_OK, Variant(false)},
      {Variant(100.0), VT_BSTR, S_OK, Variant(u"100")},
      {Variant(0.1), VT_BSTR, S_OK, Variant(u"0.1")},
      {Variant(1e20), VT_BSTR, S_OK, Variant(u"1E+20")},
      {Variant(-2147483647 - 1), VT_BSTR, S_OK, Variant(u"-2147483648")},
      {Variant(u"1.5e3"), VT_R8, S_OK, Variant(1500.0)},
      {Variant(3), VT_DISPATCH, DISP_E_TYPEMISMATCH, Variant()},
  };
  for (const auto& c : cases) {
    Variant out;
    HRESULT hr = VariantChangeType(&out, &c.from, 0, c.to);
    EXPECT_EQ(hr, c.hr) << "from vt " << c.from.vt << " to " << c.to;
    if (SUCCEEDED(hr)) {
      ASSERT_EQ(out.vt, c.expected.vt);
      if (out.vt == VT_BSTR)
        EXPECT_EQ(BstrView(out.bstrVal), BstrView(c.expected.bstrVal));
      else
        EXPECT_EQ(out.llVal, c.expected.llVal) << "from vt " << c.from.vt;
    }
  }
  Variant b(true), text;
  EXPECT_EQ(VariantChangeType(&text, &b, VARIANT_ALPHABOOL, VT_BSTR), S_OK);
  EXPECT_EQ(BstrView(text.bstrVal), u"True");
  EXPECT_EQ(VariantChangeType(&text, &b, 0, VT_BSTR), S_OK);
  EXPECT_EQ(BstrView(text.bstrVal), u"-1");
}

TEST(ComVariant, ByReferenceIsFollowedAndInPlaceChangeWorks) {
  std::int32_t storage = 42;
  Variant ref = Variant::ByRef(VT_I4, &storage);
  Variant out;
  EXPECT_EQ(VariantChangeType(&out, &ref, 0, VT_BSTR), S_OK);
  EXPECT_EQ(BstrView(out.bstrVal), u"42");
  EXPECT_EQ(out.ChangeType(VT_R8), S_OK);
  EXPECT_EQ(out.dblVal, 42.0);
  VARIANT bad;
  VariantInit(&bad);
  bad.vt = 0x0FFF;
  EXPECT_EQ(VariantClear(&bad), DISP_E_BADVARTYPE);
  EXPECT_EQ(VariantChangeType(&out, &bad, 0, VT_I4), DISP_E_BADVARTYPE);
  EXPECT_EQ(VariantChangeType(nullptr, &out, 0, VT_I4), E_INVALIDARG);
}

TEST(ComSafeArray, HoldsVariantsAndCopiesDeeply) {
  SAFEARRAY* a = SafeArrayCreateVector(VT_VARIANT, 0, 2);
  ASSERT_NE(a, nullptr);
  Variant first(u"one"), second(2);
  LONG i = 0;
  EXPECT_EQ(SafeArrayPutElement(a, &i, &first), S_OK);
  i = 1;
  EXPECT_EQ(SafeArrayPutElement(a, &i, &second), S_OK);
  i = 2;
  EXPECT_EQ(SafeArrayPutElement(a, &i, &second), DISP_E_BADINDEX);
  Variant holder;
  holder.vt = VT_ARRAY | VT_VARIANT;
  holder.parray = a;
  Variant copy(holder);
  EXPECT_NE(copy.parray, a);
  Variant got;
  i = 0;
  EXPECT_EQ(SafeArrayGetElement(copy.parray, &i, got.Put()), S_OK);
  EXPECT_EQ(BstrView(got.bstrVal), u"one");
  LONG ub;
  EXPECT_EQ(SafeArrayGetUBound(copy.parray, 1, &ub), S_OK);
  EXPECT_EQ(ub, 1);
  EXPECT_EQ(SafeArrayGetUBound(copy.parray, 2, &ub), DISP_E_BADINDEX);
}

TEST(ComErrorInfo, IsPerThreadAndTakenOnce) {
  EXPECT_EQ(ReportError(CTL_E_OVERFLOW, IUnknown::iid, u"Test.Source", u"Overflow"), CTL_E_OVERFLOW);
  ComPtr<IErrorInfo> info;
  EXPECT_EQ(GetErrorInfo(0, info.Put()), S_OK);
  ASSERT_TRUE(info);
  Bstr d, s;
  info->GetDescription(d.Put());
  info->GetSource(s.Put());
  EXPECT_EQ(d.View(), u"Overflow");
  EXPECT_EQ(s.View(), u"Test.Source");
  EXPECT_EQ(GetErrorInfo(0, info.Put()), S_FALSE);
  EXPECT_FALSE(info);

  ReportError(E_FAIL, GUID_NULL, u"", u"from another thread");
  std::thread([] {
    ComPtr<IErrorInfo> none;
    EXPECT_EQ(GetErrorInfo(0, none.Put()), S_FALSE);
  }).join();
  ComError e = ComError::FromLastCall(E_FAIL);
  EXPECT_STREQ(e.what(), "from another thread");
  ComError plain = ComError::FromLastCall(E_NOINTERFACE);
  EXPECT_STREQ(plain.what(), "No such interface supported.");
}

TEST(ComErrorInfo, GuardCallTurnsExceptionsIntoHResults) {
  HRESULT hr = GuardCall(GUID_NULL, u"Src", []() -> HRESULT { throw std::runtime_error("boom"); });
  EXPECT_EQ(hr, E_FAIL);
  EXPECT_STREQ(ComError::FromLastCall(hr).what(), "boom");
  hr = GuardCall(GUID_NULL, u"Src", []() -> HRESULT { throw ComError(CTL_E_OVERFLOW, u"Overflow"); });
  EXPECT_EQ(hr, CTL_E_OVERFLOW);
}

namespace {
class Counted final : public Object<IErrorInfo> {
 public:
  HRESULT GetGUID(GUID*) override { return E_NOTIMPL; }
  HRESULT GetSource(BSTR*) override { return E_NOTIMPL; }
  HRESULT GetDescription(BSTR*) override { return E_NOTIMPL; }
  HRESULT GetHelpFile(BSTR*) override { return E_NOTIMPL; }
  HRESULT GetHelpContext(DWORD*) override { return E_NOTIMPL; }
};
}  // namespace

TEST(ComObject, CountsReferencesAndAnswersItsInterfaces) {
  long before = ModuleObjectCount();
  {
    ComPtr<Counted> obj = MakeObject<Counted>();
    EXPECT_EQ(ModuleObjectCount(), before + 1);
    ComPtr<IUnknown> unk;
    EXPECT_EQ(obj->QueryInterface(IUnknown::iid, unk.PutVoid()), S_OK);
    EXPECT_EQ(obj->RefCount(), 2u);
    ComPtr<IDispatch> none;
    EXPECT_EQ(obj.As(&none), E_NOINTERFACE);
    EXPECT_EQ(obj->QueryInterface(IUnknown::iid, nullptr), E_POINTER);
  }
  EXPECT_EQ(ModuleObjectCount(), before);
  EXPECT_TRUE(ModuleCanUnload());
}
