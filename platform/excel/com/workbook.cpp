// Sheets, Workbook and Workbooks: the open workbooks and their sheets.
#include "excel/com/objects.h"

namespace excel::detail {

namespace {

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

}  // namespace

ComPtr<_Workbook> MakeWorkbook(const App& app, const Book& book) { return com::MakeObject<WorkbookObject>(app, book); }

namespace {

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

}  // namespace

ComPtr<Sheets> MakeSheets(const App& app, const Book& book, bool worksheets_only) {
  return com::MakeObject<SheetsObject>(app, book, worksheets_only);
}

ComPtr<Workbooks> MakeWorkbooks(const App& app) { return com::MakeObject<WorkbooksObject>(app); }

}  // namespace excel::detail
