// PageSetup: the page set-up of a worksheet.
#include "excel/com/objects.h"

namespace excel::detail {

namespace {

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

}  // namespace

ComPtr<PageSetup> MakePageSetup(const Book& book, xlsx::Worksheet* sheet) {
  return com::MakeObject<PageSetupObject>(book, sheet);
}

}  // namespace excel::detail
