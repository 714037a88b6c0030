// Range and Interior: cells of a sheet.
#include "excel/com/objects.h"

namespace excel::detail {

namespace {

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

}  // namespace

ComPtr<Range> MakeRange(const App& app, const Book& book, xlsx::Worksheet* sheet, int r1, int c1, int r2, int c2) {
  if (r2 < r1) std::swap(r1, r2);
  if (c2 < c1) std::swap(c1, c2);
  return com::MakeObject<RangeObject>(app, book, sheet, Area{r1, c1, r2, c2});
}

bool RangeArea(Range* range, xlsx::Worksheet** sheet, Area* area) {
  auto* ours = dynamic_cast<RangeObject*>(range);
  if (!ours) return false;
  *sheet = ours->sheet();
  *area = ours->area();
  return true;
}

}  // namespace excel::detail
