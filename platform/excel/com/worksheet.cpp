// Worksheet: one sheet of a workbook.
#include "excel/com/objects.h"
#include "excel/preview/show_preview.h"

namespace excel::detail {

namespace {

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
      *setup = MakePageSetup(book_, sheet_).Detach();
    });
  }
  HRESULT PrintPreview(VARIANT) override {
    return Call("Worksheet.PrintPreview", kIid, [&] {
      Live(book_);
      if (PreviewHandler()) {
        PreviewHandler()(this);
        return;
      }
      preview::ShowPrintPreview(*sheet_);
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
      xlsx::Worksheet* sheet = nullptr;
      Area area{};
      if (!r || !RangeArea(r.Get(), &sheet, &area)) throw ExcelError(kTypeMismatch, "Type mismatch");
      if (sheet != sheet_) throw ExcelError(kExcelError, "Method 'Range' of object '_Worksheet' failed");
      return area;
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

}  // namespace

ComPtr<_Worksheet> MakeWorksheet(const App& app, const Book& book, xlsx::Worksheet* sheet) {
  return com::MakeObject<WorksheetObject>(app, book, sheet);
}

}  // namespace excel::detail
