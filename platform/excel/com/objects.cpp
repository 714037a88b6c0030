// The object model's COM objects: thin views over the open workbooks. Each
// method asks the fault injector first, then applies Excel's rules
// (excel/rules.h) to the model; a refusal becomes its HRESULT with error
// information carrying Excel's description.
#include <algorithm>
#include <climits>
#include <limits>
#include <cstdlib>
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

namespace excel {

namespace {

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

PrintPreviewHandler& PreviewHandler() {
  static PrintPreviewHandler handler;
  return handler;
}

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

void Out(void* p) {
  if (!p) throw ExcelError(com::E_POINTER, "Invalid pointer");
}

// VARIANT arguments.
bool IsMissing(const VARIANT& v) {
  return v.vt == com::VT_EMPTY || (v.vt == com::VT_ERROR && v.scode == com::DISP_E_PARAMNOTFOUND);
}

com::Variant Deref(const VARIANT& v) {
  com::Variant out;
  com::VariantCopyInd(&out, &v);
  return out;
}

bool ArgBool(const VARIANT& v, bool fallback, const std::string& what) {
  if (IsMissing(v)) return fallback;
  com::Variant d = Deref(v);
  HRESULT hr = 0;
  bool b = d.ToBool(&hr);
  if (com::FAILED(hr)) throw ExcelError(kTypeMismatch, what + ": type mismatch");
  return b;
}

long ArgLong(const VARIANT& v, const std::string& what) {
  com::Variant d = Deref(v);
  HRESULT hr = 0;
  long n = d.ToInt32(&hr);
  if (com::FAILED(hr)) throw ExcelError(kTypeMismatch, what + ": type mismatch");
  return n;
}

std::string ArgText(const VARIANT& v) {
  if (IsMissing(v)) return {};
  com::Variant d = Deref(v);
  HRESULT hr = 0;
  std::string s = d.ToUtf8(&hr);
  if (com::FAILED(hr)) throw ExcelError(kTypeMismatch, "Type mismatch");
  return s;
}

VARIANT_BOOL VBool(bool b) { return b ? com::VARIANT_TRUE : com::VARIANT_FALSE; }

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

void Live(const Book& book) {
  if (!book || !book->open) throw Disconnected{};
}

bool IsActiveSheet(const App& app, const Book& book, const xlsx::Worksheet* sheet) {
  return app->active == book && book->book->SheetCount() > 0 &&
         &book->book->Sheet(book->book->active_sheet()) == sheet;
}

// ---------------------------------------------------------------- Range

struct Area {
  int r1, c1, r2, c2;
  long Count() const { return long(r2 - r1 + 1) * long(c2 - c1 + 1); }
  bool Single() const { return r1 == r2 && c1 == c2; }
};

class RangeObject final : public Automation<Range> {
 public:
  RangeObject(App app, Book book, xlsx::Worksheet* sheet, Area a)
      : app_(std::move(app)), book_(std::move(book)), sheet_(sheet), a_(a) {}

  HRESULT get_Value(VARIANT* value) override {
    return Call("Range.Value.get", kIid, [&] {
      Out(value);
      Live(book_);
      if (!a_.Single()) throw ExcelError(kExcelError, "The stand-in reads the value of one cell at a time.");
      xlsx::Value v = sheet_->GetValue(a_.r1, a_.c1);
      com::Variant out;
      switch (v.type) {
        case xlsx::ValueType::Empty: break;
        case xlsx::ValueType::Text: out = com::Variant::FromUtf8(v.text); break;
        case xlsx::ValueType::Number: out = com::Variant(v.number); break;
        case xlsx::ValueType::Boolean: out = com::Variant(v.boolean); break;
        case xlsx::ValueType::Error: {
          int code = ErrorCode(v.text);
          out = com::Variant::Error(com::MakeHResult(0x800A0000u + static_cast<unsigned>(code ? code : 2042)));
          break;
        }
      }
      *value = out.Detach();
    });
  }

  HRESULT put_Value(VARIANT value) override {
    return Call("Range.Value.put", kIid, [&] {
      Live(book_);
      Touchable();
      com::Variant v = Deref(value);
      if (v.vt == com::VT_DISPATCH && v.pdispVal) {
        ComPtr<Range> other = com::QueryAs<Range>(v.pdispVal);
        if (!other) throw ExcelError(kTypeMismatch, "Type mismatch");
        com::Variant inner;
        com::ThrowIfFailed(other->get_Value(inner.Put()));
        v = std::move(inner);
      }
      SheetSession& session = book_->Session(*sheet_);
      // Refused as a whole before anything is written.
      for (int r = a_.r1; r <= a_.r2; ++r)
        for (int c = a_.c1; c <= a_.c2; ++c)
          if (ContentsHeld(*sheet_, session, Actor::Automation) && sheet_->Locked(r, c))
            throw ExcelError(kExcelError, UnableToSet("Value", "Range"));
      for (int r = a_.r1; r <= a_.r2; ++r)
        for (int c = a_.c1; c <= a_.c2; ++c) Write(session, r, c, v);
      book_->saved = false;
    });
  }

  HRESULT get_Locked(VARIANT* value) override {
    return Call("Range.Locked.get", kIid, [&] {
      Out(value);
      Live(book_);
      Touchable();
      int state = -1;
      for (int r = a_.r1; r <= a_.r2 && state != 2; ++r)
        for (int c = a_.c1; c <= a_.c2; ++c) {
          int l = sheet_->Locked(r, c) ? 1 : 0;
          if (state == -1) state = l;
          else if (state != l) { state = 2; break; }
        }
      *value = (state == 2 ? com::Variant::Null() : com::Variant(state == 1)).Detach();
    });
  }

  HRESULT put_Locked(VARIANT value) override {
    return Call("Range.Locked.put", kIid, [&] {
      Live(book_);
      Touchable();
      bool locked = ArgBool(value, true, UnableToSet("Locked", "Range"));
      SheetSession& session = book_->Session(*sheet_);
      if (ContentsHeld(*sheet_, session, Actor::Automation)) throw ExcelError(kExcelError, UnableToSet("Locked", "Range"));
      for (int r = a_.r1; r <= a_.r2; ++r)
        for (int c = a_.c1; c <= a_.c2; ++c) WriteLocked(*sheet_, session, r, c, locked);
      book_->saved = false;
    });
  }

  HRESULT get_NumberFormat(VARIANT* value) override {
    return Call("Range.NumberFormat.get", kIid, [&] {
      Out(value);
      Live(book_);
      Touchable();
      std::string first = sheet_->NumberFormat(a_.r1, a_.c1);
      for (int r = a_.r1; r <= a_.r2; ++r)
        for (int c = a_.c1; c <= a_.c2; ++c)
          if (sheet_->NumberFormat(r, c) != first) {
            *value = com::Variant::Null().Detach();
            return;
          }
      *value = com::Variant::FromUtf8(first).Detach();
    });
  }

  HRESULT put_NumberFormat(VARIANT value) override {
    return Call("Range.NumberFormat.put", kIid, [&] {
      Live(book_);
      Touchable();
      std::string code = ArgText(value);
      SheetSession& session = book_->Session(*sheet_);
      if (ContentsHeld(*sheet_, session, Actor::Automation))
        throw ExcelError(kExcelError, UnableToSet("NumberFormat", "Range"));
      for (int r = a_.r1; r <= a_.r2; ++r)
        for (int c = a_.c1; c <= a_.c2; ++c) WriteNumberFormat(*sheet_, session, r, c, code);
      book_->saved = false;
    });
  }

  // Automation may select any cell of the active sheet, locked or not: the
  // sheet's EnableSelection holds back the user's hands, not programs.
  HRESULT Select(VARIANT* result) override {
    return Call("Range.Select", kIid, [&] {
      Live(book_);
      if (!IsActiveSheet(app_, book_, sheet_)) throw ExcelError(kExcelError, MethodFailed("Select", "Range"));
      sheet_->Select(a_.r1, a_.c1, a_.r2, a_.c2);
      if (result) *result = com::Variant(true).Detach();
    });
  }

  HRESULT Activate(VARIANT* result) override {
    return Call("Range.Activate", kIid, [&] {
      Live(book_);
      if (!IsActiveSheet(app_, book_, sheet_)) throw ExcelError(kExcelError, MethodFailed("Activate", "Range"));
      if (InSelection()) sheet_->SetActiveCell(a_.r1, a_.c1);
      else sheet_->Select(a_.r1, a_.c1, a_.r2, a_.c2);
      if (result) *result = com::Variant(true).Detach();
    });
  }

  HRESULT get_Row(LONG* row) override {
    return Call("Range.Row.get", kIid, [&] {
      Out(row);
      Live(book_);
      *row = a_.r1;
    });
  }
  HRESULT get_Column(LONG* column) override {
    return Call("Range.Column.get", kIid, [&] {
      Out(column);
      Live(book_);
      *column = a_.c1;
    });
  }
  HRESULT get_Count(LONG* count) override {
    return Call("Range.Count.get", kIid, [&] {
      Out(count);
      Live(book_);
      constexpr long kMax = std::numeric_limits<LONG>::max();  // a whole sheet has more cells
      *count = a_.Count() > kMax ? static_cast<LONG>(kMax) : static_cast<LONG>(a_.Count());
    });
  }

  HRESULT get_Interior(Interior** interior) override;

  HRESULT get_Item(VARIANT row, VARIANT column, VARIANT* cell) override {
    return Call("Range.Item.get", kIid, [&] {
      Out(cell);
      Live(book_);
      long r = ArgLong(row, kObjectDefinedMessage);
      long c = IsMissing(column) ? 1 : ArgLong(column, kObjectDefinedMessage);
      long rr = a_.r1 + r - 1, cc = a_.c1 + c - 1;
      if (r < 1 || c < 1 || rr > xlsx::kMaxRows || cc > xlsx::kMaxColumns)
        throw ExcelError(kExcelError, kObjectDefinedMessage);
      auto range = MakeRange(app_, book_, sheet_, int(rr), int(cc), int(rr), int(cc));
      *cell = com::Variant(static_cast<com::IDispatch*>(range.Get())).Detach();
    });
  }

  HRESULT get_Address(BSTR* address) override {
    return Call("Range.Address.get", kIid, [&] {
      Out(address);
      Live(book_);
      *address = com::Bstr::FromUtf8(AddressText()).Detach();
    });
  }

  HRESULT get_Worksheet(_Worksheet** sheet) override {
    return Call("Range.Worksheet.get", kIid, [&] {
      Out(sheet);
      Live(book_);
      *sheet = MakeWorksheet(app_, book_, sheet_).Detach();
    });
  }

  // For the Interior.
  void WriteColor(int color_index) {
    Touchable();
    SheetSession& session = book_->Session(*sheet_);
    if (ContentsHeld(*sheet_, session, Actor::Automation))
      throw ExcelError(kExcelError, UnableToSet("ColorIndex", "Interior"));
    for (int r = a_.r1; r <= a_.r2; ++r)
      for (int c = a_.c1; c <= a_.c2; ++c) WriteColorIndex(*sheet_, session, r, c, color_index);
    book_->saved = false;
  }
  com::Variant ReadColor() {
    Touchable();
    int first = sheet_->ColorIndex(a_.r1, a_.c1);
    for (int r = a_.r1; r <= a_.r2; ++r)
      for (int c = a_.c1; c <= a_.c2; ++c)
        if (sheet_->ColorIndex(r, c) != first) return com::Variant::Null();
    return com::Variant(static_cast<std::int32_t>(first));
  }
  const Book& book() const { return book_; }
  xlsx::Worksheet* sheet() const { return sheet_; }
  Area area() const { return a_; }

 protected:
  bool HasDefault() const override { return true; }
  HRESULT GetDefault(VARIANT* v) override { return get_Value(v); }
  HRESULT PutDefault(const VARIANT& v) override { return put_Value(v); }

 private:
  // Cell by cell work is bounded; the add-in touches a few cells at a time.
  void Touchable() const {
    if (sheet_->IsWorksheet() == false) throw ExcelError(kNotSupported, "Object doesn't support this property or method");
    if (a_.Count() > kMaxCellsTouched)
      throw ExcelError(kExcelError, "The stand-in changes or reads at most " + std::to_string(kMaxCellsTouched) +
                                        " cells at a time.");
  }

  void Write(SheetSession& session, int r, int c, const com::Variant& v) {
    switch (v.vt) {
      case com::VT_EMPTY:
      case com::VT_NULL: WriteValue(*sheet_, session, r, c, xlsx::Value{}, Actor::Automation); return;
      case com::VT_BSTR: WriteText(*sheet_, session, r, c, v.ToUtf8(), Actor::Automation); return;
      case com::VT_BOOL: WriteValue(*sheet_, session, r, c, xlsx::Value::Bool(v.boolVal != 0), Actor::Automation); return;
      case com::VT_ERROR: {
        std::string text = ErrorText(static_cast<int>(static_cast<std::uint32_t>(v.scode) - 0x800A0000u));
        if (text.empty()) text = "#N/A";
        WriteValue(*sheet_, session, r, c, xlsx::Value::Err(text), Actor::Automation);
        return;
      }
      default: {
        HRESULT hr = 0;
        double d = v.ToDouble(&hr);
        if (com::FAILED(hr)) throw ExcelError(kTypeMismatch, "Type mismatch");
        WriteValue(*sheet_, session, r, c, xlsx::Value::Number(d), Actor::Automation);
      }
    }
  }

  bool InSelection() const {
    // The first area of the sheet's selection.
    std::string sel = sheet_->selection();
    sel = sel.substr(0, sel.find(' '));
    int r1, c1, r2, c2;
    auto colon = sel.find(':');
    if (!xlsx::ParseCellName(sel.substr(0, colon), r1, c1)) return false;
    if (colon == std::string::npos) {
      r2 = r1;
      c2 = c1;
    } else if (!xlsx::ParseCellName(sel.substr(colon + 1), r2, c2)) {
      return false;
    }
    return a_.Single() && a_.r1 >= r1 && a_.r1 <= r2 && a_.c1 >= c1 && a_.c1 <= c2;
  }

  std::string AddressText() const {
    auto one = [](int r, int c) { return "$" + xlsx::ColumnName(c) + "$" + std::to_string(r); };
    return a_.Single() ? one(a_.r1, a_.c1) : one(a_.r1, a_.c1) + ":" + one(a_.r2, a_.c2);
  }

  App app_;
  Book book_;
  xlsx::Worksheet* sheet_;
  Area a_;
};

class InteriorObject final : public Automation<Interior> {
 public:
  explicit InteriorObject(ComPtr<RangeObject> range) : range_(std::move(range)) {}
  HRESULT get_ColorIndex(VARIANT* value) override {
    return Call("Interior.ColorIndex.get", kIid, [&] {
      Out(value);
      Live(range_->book());
      *value = range_->ReadColor().Detach();
    });
  }
  HRESULT put_ColorIndex(VARIANT value) override {
    return Call("Interior.ColorIndex.put", kIid, [&] {
      Live(range_->book());
      range_->WriteColor(static_cast<int>(ArgLong(value, UnableToSet("ColorIndex", "Interior"))));
    });
  }

 private:
  ComPtr<RangeObject> range_;
};

HRESULT RangeObject::get_Interior(Interior** interior) {
  return Call("Range.Interior.get", kIid, [&] {
    Out(interior);
    Live(book_);
    *interior = com::MakeObject<InteriorObject>(ComPtr<RangeObject>(this)).Detach();
  });
}

ComPtr<Range> MakeRange(const App& app, const Book& book, xlsx::Worksheet* sheet, int r1, int c1, int r2, int c2) {
  if (r2 < r1) std::swap(r1, r2);
  if (c2 < c1) std::swap(c1, c2);
  return com::MakeObject<RangeObject>(app, book, sheet, Area{r1, c1, r2, c2});
}

// ---------------------------------------------------------------- PageSetup

class PageSetupObject final : public Automation<PageSetup> {
 public:
  PageSetupObject(Book book, xlsx::Worksheet* sheet) : book_(std::move(book)), sheet_(sheet) {}

  HRESULT get_PaperSize(LONG* size) override {
    return Get("PageSetup.PaperSize.get", size, [&] { return sheet_->page_setup().paper_size ? sheet_->page_setup().paper_size : xlPaperA4; });
  }
  HRESULT put_PaperSize(LONG size) override {
    return Put("PageSetup.PaperSize.put", [&] {
      if (size < 1 || size > 118) throw ExcelError(kExcelError, UnableToSet("PaperSize", "PageSetup"));
      sheet_->page_setup().paper_size = size;
    });
  }
  HRESULT get_Zoom(VARIANT* zoom) override {
    return Call("PageSetup.Zoom.get", kIid, [&] {
      Out(zoom);
      Live(book_);
      const auto& ps = sheet_->page_setup();
      *zoom = (ps.fit_to_page ? com::Variant(false) : com::Variant(static_cast<std::int32_t>(ps.scale))).Detach();
    });
  }
  HRESULT put_Zoom(VARIANT zoom) override {
    return Put("PageSetup.Zoom.put", [&] {
      com::Variant v = Deref(zoom);
      if (v.vt == com::VT_BOOL) {
        if (v.boolVal) throw ExcelError(kExcelError, UnableToSet("Zoom", "PageSetup"));
        sheet_->page_setup().fit_to_page = true;
        return;
      }
      long z = ArgLong(v, UnableToSet("Zoom", "PageSetup"));
      if (z < 10 || z > 400) throw ExcelError(kExcelError, UnableToSet("Zoom", "PageSetup"));
      sheet_->page_setup().scale = static_cast<int>(z);
      sheet_->page_setup().fit_to_page = false;
    });
  }
  HRESULT get_Orientation(LONG* orientation) override {
    return Get("PageSetup.Orientation.get", orientation,
               [&] { return sheet_->page_setup().orientation == xlsx::Orientation::Landscape ? xlLandscape : xlPortrait; });
  }
  HRESULT put_Orientation(LONG orientation) override {
    return Put("PageSetup.Orientation.put", [&] {
      if (orientation != xlPortrait && orientation != xlLandscape)
        throw ExcelError(kExcelError, UnableToSet("Orientation", "PageSetup"));
      sheet_->page_setup().orientation =
          orientation == xlLandscape ? xlsx::Orientation::Landscape : xlsx::Orientation::Portrait;
    });
  }
  HRESULT get_CenterHorizontally(VARIANT_BOOL* center) override {
    return Get("PageSetup.CenterHorizontally.get", center, [&] { return VBool(sheet_->page_setup().center_horizontally); });
  }
  HRESULT put_CenterHorizontally(VARIANT_BOOL center) override {
    return Put("PageSetup.CenterHorizontally.put", [&] { sheet_->page_setup().center_horizontally = center != 0; });
  }
  HRESULT get_CenterVertically(VARIANT_BOOL* center) override {
    return Get("PageSetup.CenterVertically.get", center, [&] { return VBool(sheet_->page_setup().center_vertically); });
  }
  HRESULT put_CenterVertically(VARIANT_BOOL center) override {
    return Put("PageSetup.CenterVertically.put", [&] { sheet_->page_setup().center_vertically = center != 0; });
  }

 private:
  template <class T, class F>
  HRESULT Get(const char* op, T* out, F f) {
    return Call(op, kIid, [&] {
      Out(out);
      Live(book_);
      *out = static_cast<T>(f());
    });
  }
  template <class F>
  HRESULT Put(const char* op, F f) {
    return Call(op, kIid, [&] {
      Live(book_);
      f();
      book_->saved = false;
    });
  }
  Book book_;
  xlsx::Worksheet* sheet_;
};

// ---------------------------------------------------------------- Worksheet

class WorksheetObject final : public Automation<_Worksheet> {
 public:
  WorksheetObject(App app, Book book, xlsx::Worksheet* sheet)
      : app_(std::move(app)), book_(std::move(book)), sheet_(sheet) {}

  HRESULT get_Name(BSTR* name) override {
    return Call("Worksheet.Name.get", kIid, [&] {
      Out(name);
      Live(book_);
      *name = com::Bstr::FromUtf8(sheet_->name()).Detach();
    });
  }
  HRESULT get_Index(LONG* index) override {
    return Call("Worksheet.Index.get", kIid, [&] {
      Out(index);
      Live(book_);
      *index = book_->book->PositionOf(*sheet_);
    });
  }
  HRESULT get_Parent(_Workbook** book) override {
    return Call("Worksheet.Parent.get", kIid, [&] {
      Out(book);
      Live(book_);
      *book = MakeWorkbook(app_, book_).Detach();
    });
  }
  HRESULT get_Cells(Range** cells) override {
    return Call("Worksheet.Cells.get", kIid, [&] {
      Out(cells);
      Live(book_);
      Cellular();
      *cells = MakeRange(app_, book_, sheet_, 1, 1, xlsx::kMaxRows, xlsx::kMaxColumns).Detach();
    });
  }
  HRESULT get_Range(VARIANT cell1, VARIANT cell2, Range** range) override {
    return Call("Worksheet.Range.get", kIid, [&] {
      Out(range);
      Live(book_);
      Cellular();
      Area a = AreaOf(cell1);
      if (!IsMissing(cell2)) {
        Area b = AreaOf(cell2);
        a = {std::min(a.r1, b.r1), std::min(a.c1, b.c1), std::max(a.r2, b.r2), std::max(a.c2, b.c2)};
      }
      *range = MakeRange(app_, book_, sheet_, a.r1, a.c1, a.r2, a.c2).Detach();
    });
  }
  HRESULT get_UsedRange(Range** range) override {
    return Call("Worksheet.UsedRange.get", kIid, [&] {
      Out(range);
      Live(book_);
      Cellular();
      int r1 = 1, c1 = 1, r2 = 1, c2 = 1;
      sheet_->UsedRange(r1, c1, r2, c2);
      *range = MakeRange(app_, book_, sheet_, r1, c1, r2, c2).Detach();
    });
  }
  HRESULT Activate() override {
    return Call("Worksheet.Activate", kIid, [&] {
      Live(book_);
      if (sheet_->visibility() != xlsx::Visibility::Visible)
        throw ExcelError(kExcelError, MethodFailed("Activate", "Worksheet"));
      MakeActive();
    });
  }
  HRESULT Select(VARIANT) override {
    return Call("Worksheet.Select", kIid, [&] {
      Live(book_);
      if (sheet_->visibility() != xlsx::Visibility::Visible)
        throw ExcelError(kExcelError, MethodFailed("Select", "Worksheet"));
      MakeActive();
    });
  }
  HRESULT Unprotect(VARIANT password) override {
    return Call("Worksheet.Unprotect", kIid, [&] {
      Live(book_);
      excel::Unprotect(*sheet_, book_->Session(*sheet_), ArgText(password));
      book_->saved = false;
    });
  }
  HRESULT Protect(VARIANT password, VARIANT drawing_objects, VARIANT contents, VARIANT scenarios,
                  VARIANT user_interface_only) override {
    return Call("Worksheet.Protect", kIid, [&] {
      Live(book_);
      const std::string failed = MethodFailed("Protect", "Worksheet");
      excel::Protect(*sheet_, book_->Session(*sheet_), ArgText(password), ArgBool(drawing_objects, true, failed),
                     ArgBool(contents, true, failed), ArgBool(scenarios, true, failed),
                     ArgBool(user_interface_only, false, failed));
      book_->saved = false;
    });
  }
  HRESULT get_ProtectContents(VARIANT_BOOL* value) override {
    return Flag("Worksheet.ProtectContents.get", value, [&] { return sheet_->IsProtected(); });
  }
  HRESULT get_ProtectDrawingObjects(VARIANT_BOOL* value) override {
    return Flag("Worksheet.ProtectDrawingObjects.get", value,
                [&] { return sheet_->IsProtected() && sheet_->protection().objects; });
  }
  HRESULT get_ProtectScenarios(VARIANT_BOOL* value) override {
    return Flag("Worksheet.ProtectScenarios.get", value,
                [&] { return sheet_->IsProtected() && sheet_->protection().scenarios; });
  }
  HRESULT get_ProtectionMode(VARIANT_BOOL* value) override {
    return Flag("Worksheet.ProtectionMode.get", value,
                [&] { return sheet_->IsProtected() && book_->Session(*sheet_).user_interface_only; });
  }
  HRESULT get_EnableSelection(LONG* value) override {
    return Call("Worksheet.EnableSelection.get", kIid, [&] {
      Out(value);
      Live(book_);
      *value = excel::EnableSelection(*sheet_);
    });
  }
  HRESULT put_EnableSelection(LONG value) override {
    return Call("Worksheet.EnableSelection.put", kIid, [&] {
      Live(book_);
      excel::SetEnableSelection(*sheet_, static_cast<int>(value));
      book_->saved = false;
    });
  }
  HRESULT get_Visible(LONG* value) override {
    return Call("Worksheet.Visible.get", kIid, [&] {
      Out(value);
      Live(book_);
      auto v = sheet_->visibility();
      *value = v == xlsx::Visibility::Visible ? xlSheetVisible : v == xlsx::Visibility::Hidden ? xlSheetHidden
                                                                                               : xlSheetVeryHidden;
    });
  }
  HRESULT put_Visible(LONG value) override {
    return Call("Worksheet.Visible.put", kIid, [&] {
      Live(book_);
      xlsx::Visibility v;
      if (value == xlSheetVisible || value == 1) v = xlsx::Visibility::Visible;
      else if (value == xlSheetHidden) v = xlsx::Visibility::Hidden;
      else if (value == xlSheetVeryHidden) v = xlsx::Visibility::VeryHidden;
      else throw ExcelError(kExcelError, UnableToSet("Visible", "Worksheet"));
      xlsx::Workbook& wb = *book_->book;
      int position = wb.PositionOf(*sheet_);
      if (v != xlsx::Visibility::Visible) {
        // At least one sheet stays visible; the active one hands over to a visible neighbour.
        int other = 0;
        for (int i = position + 1; i <= wb.SheetCount() && !other; ++i)
          if (wb.Sheet(i).visibility() == xlsx::Visibility::Visible) other = i;
        for (int i = position - 1; i >= 1 && !other; --i)
          if (wb.Sheet(i).visibility() == xlsx::Visibility::Visible) other = i;
        if (!other) throw ExcelError(kExcelError, UnableToSet("Visible", "Worksheet"));
        sheet_->SetVisibility(v);
        if (wb.active_sheet() == position) wb.SetActiveSheet(other);
      } else {
        sheet_->SetVisibility(v);
      }
      book_->saved = false;
    });
  }
  HRESULT get_PageSetup(PageSetup** setup) override {
    return Call("Worksheet.PageSetup.get", kIid, [&] {
      Out(setup);
      Live(book_);
      Cellular();
      *setup = com::MakeObject<PageSetupObject>(book_, sheet_).Detach();
    });
  }
  HRESULT PrintPreview(VARIANT) override {
    return Call("Worksheet.PrintPreview", kIid, [&] {
      Live(book_);
      if (PreviewHandler()) PreviewHandler()(this);
    });
  }

 private:
  void Cellular() const {
    if (!sheet_->IsWorksheet()) throw ExcelError(kNotSupported, "Object doesn't support this property or method");
  }
  void MakeActive() {
    app_->active = book_;
    book_->book->SetActiveSheet(book_->book->PositionOf(*sheet_));
  }
  template <class F>
  HRESULT Flag(const char* op, VARIANT_BOOL* out, F f) {
    return Call(op, kIid, [&] {
      Out(out);
      Live(book_);
      *out = VBool(f());
    });
  }
  Area AreaOf(const VARIANT& arg) {
    com::Variant v = Deref(arg);
    if (v.vt == com::VT_DISPATCH && v.pdispVal) {
      ComPtr<Range> r = com::QueryAs<Range>(v.pdispVal);
      if (!r) throw ExcelError(kTypeMismatch, "Type mismatch");
      auto* range = static_cast<RangeObject*>(r.Get());
      if (range->sheet() != sheet_) throw ExcelError(kExcelError, "Method 'Range' of object '_Worksheet' failed");
      return range->area();
    }
    if (v.vt == com::VT_BSTR) return Parse(v.ToUtf8());
    throw ExcelError(kExcelError, "Method 'Range' of object '_Worksheet' failed");
  }
  static Area Parse(std::string text) {
    std::string clean;
    for (char c : text)
      if (c != '$') clean += c;
    auto colon = clean.find(':');
    int r1, c1, r2, c2;
    if (!xlsx::ParseCellName(clean.substr(0, colon), r1, c1))
      throw ExcelError(kExcelError, "Method 'Range' of object '_Worksheet' failed");
    if (colon == std::string::npos) return {r1, c1, r1, c1};
    if (!xlsx::ParseCellName(clean.substr(colon + 1), r2, c2))
      throw ExcelError(kExcelError, "Method 'Range' of object '_Worksheet' failed");
    return {std::min(r1, r2), std::min(c1, c2), std::max(r1, r2), std::max(c1, c2)};
  }

  App app_;
  Book book_;
  xlsx::Worksheet* sheet_;
};

ComPtr<_Worksheet> MakeWorksheet(const App& app, const Book& book, xlsx::Worksheet* sheet) {
  return com::MakeObject<WorksheetObject>(app, book, sheet);
}

// ---------------------------------------------------------------- Sheets

class SheetsObject final : public Automation<Sheets> {
 public:
  SheetsObject(App app, Book book, bool worksheets_only)
      : app_(std::move(app)), book_(std::move(book)), worksheets_only_(worksheets_only) {}

  HRESULT get_Count(LONG* count) override {
    return Call(Op(".Count.get"), kIid, [&] {
      Out(count);
      Live(book_);
      *count = static_cast<LONG>(List().size());
    });
  }
  HRESULT get_Item(VARIANT index, _Worksheet** sheet) override {
    return Call(Op(".Item.get"), kIid, [&] {
      Out(sheet);
      Live(book_);
      auto list = List();
      com::Variant v = Deref(index);
      xlsx::Worksheet* found = nullptr;
      if (v.vt == com::VT_BSTR) {
        xlsx::Worksheet* s = book_->book->FindSheet(v.ToUtf8());
        for (auto* x : list)
          if (x == s) found = s;
      } else {
        HRESULT hr = 0;
        long n = v.ToInt32(&hr);
        if (com::FAILED(hr)) throw ExcelError(kTypeMismatch, "Type mismatch");
        if (n >= 1 && static_cast<std::size_t>(n) <= list.size()) found = list[static_cast<std::size_t>(n - 1)];
      }
      if (!found) throw ExcelError(kBadIndex, "Subscript out of range");
      *sheet = MakeWorksheet(app_, book_, found).Detach();
    });
  }

 private:
  const char* Op(const char* member) {
    op_ = std::string(worksheets_only_ ? "Worksheets" : "Sheets") + member;
    return op_.c_str();
  }
  std::vector<xlsx::Worksheet*> List() const {
    std::vector<xlsx::Worksheet*> out;
    for (int i = 1; i <= book_->book->SheetCount(); ++i)
      if (!worksheets_only_ || book_->book->Sheet(i).IsWorksheet()) out.push_back(&book_->book->Sheet(i));
    return out;
  }
  App app_;
  Book book_;
  bool worksheets_only_;
  std::string op_;
};

// ---------------------------------------------------------------- Workbook

class WorkbookObject final : public Automation<_Workbook> {
 public:
  WorkbookObject(App app, Book book) : app_(std::move(app)), book_(std::move(book)) {}

  HRESULT get_Name(BSTR* name) override {
    return Call("Workbook.Name.get", kIid, [&] {
      Out(name);
      Live(book_);
      *name = com::Bstr::FromUtf8(book_->name).Detach();
    });
  }
  HRESULT get_FullName(BSTR* name) override {
    return Call("Workbook.FullName.get", kIid, [&] {
      Out(name);
      Live(book_);
      *name = com::Bstr::FromUtf8(book_->path).Detach();
    });
  }
  HRESULT get_Sheets(Sheets** sheets) override {
    return Call("Workbook.Sheets.get", kIid, [&] {
      Out(sheets);
      Live(book_);
      *sheets = com::MakeObject<SheetsObject>(app_, book_, false).Detach();
    });
  }
  HRESULT get_Worksheets(Sheets** sheets) override {
    return Call("Workbook.Worksheets.get", kIid, [&] {
      Out(sheets);
      Live(book_);
      *sheets = com::MakeObject<SheetsObject>(app_, book_, true).Detach();
    });
  }
  HRESULT get_ActiveSheet(_Worksheet** sheet) override {
    return Call("Workbook.ActiveSheet.get", kIid, [&] {
      Out(sheet);
      Live(book_);
      *sheet = MakeWorksheet(app_, book_, &book_->book->Sheet(book_->book->active_sheet())).Detach();
    });
  }
  HRESULT Activate() override {
    return Call("Workbook.Activate", kIid, [&] {
      Live(book_);
      app_->active = book_;
    });
  }
  HRESULT Save() override {
    return Call("Workbook.Save", kIid, [&] {
      Live(book_);
      book_->book->Save(book_->path);
      book_->saved = true;
    });
  }
  HRESULT get_Saved(VARIANT_BOOL* saved) override {
    return Call("Workbook.Saved.get", kIid, [&] {
      Out(saved);
      Live(book_);
      *saved = VBool(book_->saved);
    });
  }
  HRESULT Close(VARIANT save_changes, VARIANT, VARIANT) override {
    return Call("Workbook.Close", kIid, [&] {
      Live(book_);
      if (ArgBool(save_changes, false, MethodFailed("Close", "Workbook"))) {
        book_->book->Save(book_->path);
        book_->saved = true;
      }
      auto& books = app_->books;
      books.erase(std::remove(books.begin(), books.end(), book_), books.end());
      book_->open = false;
      if (app_->active == book_) app_->active = books.empty() ? nullptr : books.back();
    });
  }

 private:
  App app_;
  Book book_;
};

ComPtr<_Workbook> MakeWorkbook(const App& app, const Book& book) { return com::MakeObject<WorkbookObject>(app, book); }

// ---------------------------------------------------------------- Workbooks

std::string BaseName(const std::string& path) {
  auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Lower(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string CanonicalPath(const std::string& path) {
  char* real = ::realpath(path.c_str(), nullptr);
  if (!real) return path;
  std::string out = real;
  std::free(real);
  return out;
}

class WorkbooksObject final : public Automation<Workbooks> {
 public:
  explicit WorkbooksObject(App app) : app_(std::move(app)) {}

  HRESULT get_Count(LONG* count) override {
    return Call("Workbooks.Count.get", kIid, [&] {
      Out(count);
      *count = static_cast<LONG>(app_->books.size());
    });
  }
  HRESULT get_Item(VARIANT index, _Workbook** book) override {
    return Call("Workbooks.Item.get", kIid, [&] {
      Out(book);
      com::Variant v = Deref(index);
      Book found;
      if (v.vt == com::VT_BSTR) {
        for (auto& b : app_->books)
          if (Lower(b->name) == Lower(v.ToUtf8())) found = b;
      } else {
        HRESULT hr = 0;
        long n = v.ToInt32(&hr);
        if (com::FAILED(hr)) throw ExcelError(kTypeMismatch, "Type mismatch");
        if (n >= 1 && static_cast<std::size_t>(n) <= app_->books.size()) found = app_->books[static_cast<std::size_t>(n - 1)];
      }
      if (!found) throw ExcelError(kBadIndex, "Subscript out of range");
      *book = MakeWorkbook(app_, found).Detach();
    });
  }
  HRESULT Open(BSTR file_name, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT,
               VARIANT, VARIANT, VARIANT, _Workbook** book) override {
    return Call("Workbooks.Open", kIid, [&] {
      Out(book);
      std::string path = com::Bstr(com::BstrView(file_name)).ToUtf8();
      for (auto& c : path)
        if (c == '\\') c = '/';
      if (path.empty()) throw ExcelError(kExcelError, "'' could not be found. Check the spelling of the file name, "
                                                      "and verify that the file location is correct.");
      std::string canonical = CanonicalPath(path);
      std::string name = BaseName(path);
      for (auto& b : app_->books)
        if (CanonicalPath(b->path) == canonical || Lower(b->name) == Lower(name))
          throw ExcelError(kExcelError, "A document with the name '" + name +
                                            "' is already open. You cannot open two documents with the same name, "
                                            "even if the documents are in different folders.");
      auto state = std::make_shared<BookState>();
      state->book = xlsx::Workbook::Load(path);
      if (state->book->SheetCount() == 0) throw ExcelError(kExcelError, "'" + name + "' has no sheet.");
      state->path = path;
      state->name = name;
      app_->books.push_back(state);
      app_->active = state;
      *book = MakeWorkbook(app_, state).Detach();
    });
  }

 private:
  App app_;
};

// ---------------------------------------------------------------- Application

class ApplicationObject final : public Automation<_Application, IApplicationHost> {
 public:
  ApplicationObject() : app_(std::make_shared<AppState>()) {}
  ~ApplicationObject() override {
    for (auto& b : app_->books) b->open = false;
    app_->command_bars = nullptr;  // they may hold objects of this application
  }

  HRESULT get_ActiveWorkbook(_Workbook** book) override {
    return Call("Application.ActiveWorkbook.get", kIid, [&] {
      Out(book);
      *book = app_->active ? MakeWorkbook(app_, app_->active).Detach() : nullptr;
    });
  }
  HRESULT get_ActiveSheet(_Worksheet** sheet) override {
    return Call("Application.ActiveSheet.get", kIid, [&] {
      Out(sheet);
      *sheet = nullptr;
      if (auto b = app_->active) *sheet = MakeWorksheet(app_, b, &b->book->Sheet(b->book->active_sheet())).Detach();
    });
  }
  HRESULT get_ActiveCell(Range** cell) override {
    return Call("Application.ActiveCell.get", kIid, [&] {
      Out(cell);
      *cell = nullptr;
      if (auto b = app_->active) {
        xlsx::Worksheet& s = b->book->Sheet(b->book->active_sheet());
        if (s.IsWorksheet())
          *cell = MakeRange(app_, b, &s, s.active_row(), s.active_column(), s.active_row(), s.active_column()).Detach();
      }
    });
  }
  HRESULT get_Selection(com::IDispatch** selection) override {
    return Call("Application.Selection.get", kIid, [&] {
      Out(selection);
      *selection = nullptr;
      auto b = app_->active;
      if (!b) return;
      xlsx::Worksheet& s = b->book->Sheet(b->book->active_sheet());
      if (!s.IsWorksheet()) return;
      std::string sel = s.selection();
      sel = sel.substr(0, sel.find(' '));
      auto colon = sel.find(':');
      int r1 = s.active_row(), c1 = s.active_column(), r2 = r1, c2 = c1;
      if (xlsx::ParseCellName(sel.substr(0, colon), r1, c1)) {
        r2 = r1;
        c2 = c1;
        if (colon != std::string::npos && !xlsx::ParseCellName(sel.substr(colon + 1), r2, c2)) {
          r2 = r1;
          c2 = c1;
        }
      }
      *selection = MakeRange(app_, b, &s, r1, c1, r2, c2).Detach();
    });
  }
  HRESULT get_Workbooks(Workbooks** books) override {
    return Call("Application.Workbooks.get", kIid, [&] {
      Out(books);
      *books = com::MakeObject<WorkbooksObject>(app_).Detach();
    });
  }
  HRESULT get_Worksheets(Sheets** sheets) override {
    return Call("Application.Worksheets.get", kIid, [&] {
      Out(sheets);
      if (!app_->active) throw ExcelError(kExcelError, "Method 'Worksheets' of object '_Global' failed");
      *sheets = com::MakeObject<SheetsObject>(app_, app_->active, true).Detach();
    });
  }
  HRESULT get_CommandBars(com::IDispatch** bars) override {
    return Call("Application.CommandBars.get", kIid, [&] {
      Out(bars);
      *bars = nullptr;
      app_->command_bars.CopyTo(bars);
    });
  }
  HRESULT SetCommandBars(com::IDispatch* bars) override {
    app_->command_bars = bars;
    return S_OK;
  }

 private:
  App app_;
};

}  // namespace

com::ComPtr<_Application> CreateApplication() { return com::MakeObject<ApplicationObject>(); }

HRESULT SetCommandBars(_Application* app, com::IDispatch* bars) {
  ComPtr<IApplicationHost> host = com::QueryAs<IApplicationHost>(app);
  if (!host) return com::E_NOINTERFACE;
  return host->SetCommandBars(bars);
}

void SetPrintPreviewHandler(PrintPreviewHandler handler) { PreviewHandler() = std::move(handler); }

}  // namespace excel
