// Application: the spreadsheet application a host makes.
#include "excel/com/objects.h"

namespace excel::detail {

PrintPreviewHandler& PreviewHandler() {
  static PrintPreviewHandler handler;
  return handler;
}

namespace {

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
      *books = MakeWorkbooks(app_).Detach();
    });
  }
  HRESULT get_Worksheets(Sheets** sheets) override {
    return Call("Application.Worksheets.get", kIid, [&] {
      Out(sheets);
      if (!app_->active) throw ExcelError(kExcelError, "Method 'Worksheets' of object '_Global' failed");
      *sheets = MakeSheets(app_, app_->active, true).Detach();
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
}  // namespace excel::detail

namespace excel {

com::ComPtr<_Application> CreateApplication() { return com::MakeObject<detail::ApplicationObject>(); }

HRESULT SetCommandBars(_Application* app, com::IDispatch* bars) {
  com::ComPtr<IApplicationHost> host = com::QueryAs<IApplicationHost>(app);
  if (!host) return com::E_NOINTERFACE;
  return host->SetCommandBars(bars);
}

void SetPrintPreviewHandler(PrintPreviewHandler handler) { detail::PreviewHandler() = std::move(handler); }

}  // namespace excel
