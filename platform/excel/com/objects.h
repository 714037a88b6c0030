#pragma once
// What the object model's COM objects share: the state of the open
// workbooks, the calling convention (fault injection first, then Excel's
// rules; a refusal becomes its HRESULT with error information), argument
// helpers, the IDispatch base and the objects' factories.
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "com/error_info.h"
#include "com/object.h"
#include "excel/com/excel.h"
#include "excel/fault.h"
#include "excel/rules.h"
#include "excel/xlsx/model.h"

namespace excel::detail {

using com::ComPtr;
using com::REFIID;
using com::S_OK;

constexpr char16_t kSource[] = u"Microsoft Excel";
constexpr HRESULT RPC_E_DISCONNECTED = com::MakeHResult(0x80010108);
constexpr HRESULT kNotSupported = com::MakeHResult(0x800A01B6);  // "Object doesn't support this property or method"
constexpr long kMaxCellsTouched = 1 << 20;

// ---------------------------------------------------------------- state

struct BookState {
  std::unique_ptr<xlsx::Workbook> book;
  std::string path;  // as opened, "/" separators
  std::string name;  // its file name
  std::map<const xlsx::Worksheet*, SheetSession> sessions;
  bool open = true;
  bool saved = true;
  SheetSession& Session(const xlsx::Worksheet& s) { return sessions[&s]; }
};
using Book = std::shared_ptr<BookState>;

struct AppState {
  std::vector<Book> books;
  Book active;
  ComPtr<com::IDispatch> command_bars;
};
using App = std::shared_ptr<AppState>;

PrintPreviewHandler& PreviewHandler();

// ---------------------------------------------------------------- calls

struct Disconnected {};

template <class Body>
HRESULT Call(const char* operation, REFIID iid, Body&& body) noexcept {
  std::int32_t hr = 0;
  std::string description;
  if (fault::Check(operation, hr, description))
    return com::ReportError(hr, iid, kSource, com::Bstr::FromUtf8(description).View());
  try {
    body();
    return S_OK;
  } catch (const ExcelError& e) {
    return com::ReportError(e.hr(), iid, kSource, com::Bstr::FromUtf8(e.what()).View());
  } catch (const xlsx::Error& e) {
    return com::ReportError(kExcelError, iid, kSource, com::Bstr::FromUtf8(e.what()).View());
  } catch (const Disconnected&) {
    return com::ReportError(RPC_E_DISCONNECTED, iid, kSource, u"The object invoked has disconnected from its clients.");
  } catch (const std::bad_alloc&) {
    return com::ReportError(com::E_OUTOFMEMORY, iid, kSource, u"Out of memory");
  } catch (const std::exception& e) {
    return com::ReportError(com::E_FAIL, iid, kSource, com::Bstr::FromUtf8(e.what()).View());
  }
}

inline void Out(void* p) {
  if (!p) throw ExcelError(com::E_POINTER, "Invalid pointer");
}

// VARIANT arguments.
inline bool IsMissing(const VARIANT& v) {
  return v.vt == com::VT_EMPTY || (v.vt == com::VT_ERROR && v.scode == com::DISP_E_PARAMNOTFOUND);
}

inline com::Variant Deref(const VARIANT& v) {
  com::Variant out;
  com::VariantCopyInd(&out, &v);
  return out;
}

inline bool ArgBool(const VARIANT& v, bool fallback, const std::string& what) {
  if (IsMissing(v)) return fallback;
  com::Variant d = Deref(v);
  HRESULT hr = 0;
  bool b = d.ToBool(&hr);
  if (com::FAILED(hr)) throw ExcelError(kTypeMismatch, what + ": type mismatch");
  return b;
}

inline long ArgLong(const VARIANT& v, const std::string& what) {
  com::Variant d = Deref(v);
  HRESULT hr = 0;
  long n = d.ToInt32(&hr);
  if (com::FAILED(hr)) throw ExcelError(kTypeMismatch, what + ": type mismatch");
  return n;
}

inline std::string ArgText(const VARIANT& v) {
  if (IsMissing(v)) return {};
  com::Variant d = Deref(v);
  HRESULT hr = 0;
  std::string s = d.ToUtf8(&hr);
  if (com::FAILED(hr)) throw ExcelError(kTypeMismatch, "Type mismatch");
  return s;
}

inline VARIANT_BOOL VBool(bool b) { return b ? com::VARIANT_TRUE : com::VARIANT_FALSE; }

// ---------------------------------------------------------------- base

// The part of IDispatch the stand-in answers: nothing but the default member.
template <class I, class... More>
class Automation : public com::Object<I, com::ISupportErrorInfo, More...> {
 public:
  static constexpr const com::IID& kIid = I::iid;
  HRESULT GetTypeInfoCount(unsigned* count) override {
    if (!count) return com::E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT GetTypeInfo(unsigned, com::LCID, com::ITypeInfo** info) override {
    if (info) *info = nullptr;
    return com::E_NOTIMPL;
  }
  HRESULT GetIDsOfNames(REFIID, com::OLECHAR** names, unsigned count, com::LCID, com::DISPID* ids) override {
    if (!names || !ids) return com::E_POINTER;
    HRESULT hr = S_OK;
    for (unsigned i = 0; i < count; ++i) {
      std::u16string_view n = names[i] ? names[i] : u"";
      ids[i] = (i == 0 && (n == u"Value" || n == u"value" || n == u"VALUE")) && HasDefault() ? com::DISPID_VALUE
                                                                                           : com::DISPID_UNKNOWN;
      if (ids[i] == com::DISPID_UNKNOWN) hr = com::DISP_E_UNKNOWNNAME;
    }
    return hr;
  }
  HRESULT Invoke(com::DISPID id, REFIID, com::LCID, com::WORD flags, com::DISPPARAMS* params, VARIANT* result,
                 com::EXCEPINFO* excep, unsigned*) override {
    if (id != com::DISPID_VALUE || !HasDefault()) return com::DISP_E_MEMBERNOTFOUND;
    HRESULT hr;
    if (flags & com::DISPATCH_PROPERTYPUT) {
      if (!params || params->cArgs != 1) return com::DISP_E_BADPARAMCOUNT;
      hr = PutDefault(params->rgvarg[0]);
    } else {
      if (params && params->cArgs != 0) return com::DISP_E_BADPARAMCOUNT;
      com::Variant v;
      hr = GetDefault(v.Put());
      if (com::SUCCEEDED(hr) && result) *result = v.Detach();
    }
    if (com::FAILED(hr) && excep) {
      ComPtr<com::IErrorInfo> info;
      if (com::GetErrorInfo(0, info.Put()) == S_OK && info) {
        *excep = com::EXCEPINFO{};
        info->GetSource(&excep->bstrSource);
        info->GetDescription(&excep->bstrDescription);
        excep->scode = hr;
        return com::DISP_E_EXCEPTION;
      }
    }
    return hr;
  }
  HRESULT InterfaceSupportsErrorInfo(REFIID riid) override { return riid == kIid ? S_OK : com::S_FALSE; }

 protected:
  virtual bool HasDefault() const { return false; }
  virtual HRESULT GetDefault(VARIANT*) { return com::DISP_E_MEMBERNOTFOUND; }
  virtual HRESULT PutDefault(const VARIANT&) { return com::DISP_E_MEMBERNOTFOUND; }
};

ComPtr<_Workbook> MakeWorkbook(const App& app, const Book& book);
ComPtr<_Worksheet> MakeWorksheet(const App& app, const Book& book, xlsx::Worksheet* sheet);
ComPtr<Range> MakeRange(const App& app, const Book& book, xlsx::Worksheet* sheet, int r1, int c1, int r2, int c2);
ComPtr<PageSetup> MakePageSetup(const Book& book, xlsx::Worksheet* sheet);
ComPtr<Sheets> MakeSheets(const App& app, const Book& book, bool worksheets_only);
ComPtr<Workbooks> MakeWorkbooks(const App& app);

inline void Live(const Book& book) {
  if (!book || !book->open) throw Disconnected{};
}

inline bool IsActiveSheet(const App& app, const Book& book, const xlsx::Worksheet* sheet) {
  return app->active == book && book->book->SheetCount() > 0 &&
         &book->book->Sheet(book->book->active_sheet()) == sheet;
}

struct Area {
  int r1, c1, r2, c2;
  long Count() const { return long(r2 - r1 + 1) * long(c2 - c1 + 1); }
  bool Single() const { return r1 == r2 && c1 == c2; }
};
// The sheet and the cells of one of our ranges; false for another object.
bool RangeArea(Range* range, xlsx::Worksheet** sheet, Area* area);

}  // namespace excel::detail
