// Reading and writing .xlsx packages (libzip + libxml2).
#include <fcntl.h>
#include <libxml/parser.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <unordered_map>

#include "excel/xlsx/book_impl.h"
#include "excel/xlsx/styles_impl.h"

namespace xlsx {

namespace {

const char kMainNs[] = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const char kRelNs[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
const char kRelType[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
const char kCtWorksheet[] = "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml";
const char kCtSst[] = "application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml";
const char kCtStyles[] = "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml";

std::string Lower(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

std::string DirOf(const std::string& part) {
  auto slash = part.rfind('/');
  return slash == std::string::npos ? std::string() : part.substr(0, slash + 1);
}

// A relationship target resolved against the folder of its source part.
std::string Resolve(const std::string& source_dir, const std::string& target) {
  std::string path = !target.empty() && target[0] == '/' ? target.substr(1) : source_dir + target;
  std::vector<std::string> segs;
  std::size_t start = 0;
  while (start <= path.size()) {
    auto slash = path.find('/', start);
    std::string seg = path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    if (seg == "..") {
      if (!segs.empty()) segs.pop_back();
    } else if (!seg.empty() && seg != ".") {
      segs.push_back(seg);
    }
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  std::string out;
  for (auto& s : segs) out += (out.empty() ? "" : "/") + s;
  return out;
}

std::string RelsPartOf(const std::string& part) {
  return DirOf(part) + "_rels/" + part.substr(DirOf(part).size()) + ".rels";
}

std::string DumpDoc(xmlDoc* doc) {
  xmlChar* mem = nullptr;
  int size = 0;
  xmlDocDumpMemoryEnc(doc, &mem, &size, "UTF-8");
  std::string out(reinterpret_cast<char*>(mem), static_cast<std::size_t>(size));
  xmlFree(mem);
  return out;
}

void SetAttr(xmlNode* n, const char* name, const std::string& value) {
  xmlSetProp(n, BAD_CAST name, BAD_CAST value.c_str());
}
void RemoveAttr(xmlNode* n, const char* name) {
  for (xmlAttr* a = n->properties; a; a = a->next)
    if (std::strcmp(reinterpret_cast<const char*>(a->name), name) == 0) {
      xmlRemoveProp(a);
      return;
    }
}

// Raw text of the attributes of node other than the names given.
std::string OtherAttrs(const xmlNode* node, std::initializer_list<const char*> known) {
  std::string out;
  for (xmlAttr* a = node->properties; a; a = a->next) {
    const char* name = reinterpret_cast<const char*>(a->name);
    bool skip = false;
    if (!a->ns)
      for (const char* k : known) skip = skip || std::strcmp(k, name) == 0;
    if (skip) continue;
    out += ' ';
    if (a->ns && a->ns->prefix) {
      out += reinterpret_cast<const char*>(a->ns->prefix);
      out += ':';
    }
    out += name;
    out += "=\"";
    std::string v;
    for (xmlNode* t = a->children; t; t = t->next)
      if (t->content) v += reinterpret_cast<const char*>(t->content);
    AppendEscaped(out, v, true);
    out += '"';
  }
  return out;
}

bool ParseDouble(const std::string& s, double& out) {
  const char* b = s.data();
  const char* e = b + s.size();
  while (b < e && *b == ' ') ++b;
  if (b < e && *b == '+') ++b;
  auto [ptr, ec] = std::from_chars(b, e, out);
  return ec == std::errc() && ptr == e;
}

int ParseInt(const std::string& s, int fallback) {
  int v = fallback;
  auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  return ec == std::errc() ? v : fallback;
}

void AppendNumber(std::string& out, double d) {
  char buf[40];
  auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, d);
  out.append(buf, static_cast<std::size_t>(ptr - buf));
}

struct SharedString {
  std::string text;
  std::string rich;
};

// Text of a CT_Rst (<si> or <is>): its t and r/t, not the phonetic runs.
void ReadRst(xmlNode* node, SharedString& out) {
  bool rich = false;
  for (xmlNode* c = node->children; c; c = c->next) {
    if (Is(c, "t")) {
      out.text += NodeText(c);
    } else if (Is(c, "r")) {
      rich = true;
      if (xmlNode* t = FirstChild(c, "t")) out.text += NodeText(t);
    } else if (Is(c, "rPh") || Is(c, "phoneticPr")) {
      rich = true;
    }
  }
  out.text = DecodeExcelEscapes(out.text);
  if (rich)
    for (xmlNode* c = node->children; c; c = c->next)
      if (c->type == XML_ELEMENT_NODE) AppendNode(out.rich, node->doc, c);
}

// The rank of a worksheet child in the schema's sequence.
int Rank(const char* name) {
  static const char* kOrder[] = {
      "sheetPr", "dimension", "sheetViews", "sheetFormatPr", "cols", "sheetData", "sheetCalcPr",
      "sheetProtection", "protectedRanges", "scenarios", "autoFilter", "sortState", "dataConsolidate",
      "customSheetViews", "mergeCells", "phoneticPr", "conditionalFormatting", "dataValidations",
      "hyperlinks", "printOptions", "pageMargins", "pageSetup", "headerFooter", "rowBreaks", "colBreaks",
      "customProperties", "cellWatches", "ignoredErrors", "smartTags", "drawing", "legacyDrawing",
      "legacyDrawingHF", "drawingHF", "picture", "oleObjects", "controls", "webPublishItems", "tableParts",
      "extLst"};
  for (int i = 0; i < static_cast<int>(sizeof kOrder / sizeof *kOrder); ++i)
    if (std::strcmp(kOrder[i], name) == 0) return (i + 1) * 10;
  return -1;
}

class SstBuilder {
 public:
  int Index(const std::string& text, const std::string& rich) {
    ++count_;
    std::string key = text;
    key += '\0';
    key += rich;
    auto [it, inserted] = index_.try_emplace(std::move(key), static_cast<int>(items_.size()));
    if (inserted) items_.push_back({text, rich});
    return it->second;
  }
  bool empty() const { return items_.empty(); }
  std::string Xml() const {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<sst xmlns=\"";
    out += kMainNs;
    out += "\" count=\"" + std::to_string(count_) + "\" uniqueCount=\"" + std::to_string(items_.size()) + "\">";
    for (const auto& s : items_) {
      out += "<si>";
      if (!s.rich.empty()) {
        out += s.rich;
      } else {
        bool keep = !s.text.empty() && (s.text.front() == ' ' || s.text.back() == ' ' ||
                                        s.text.find_first_of("\n\t") != std::string::npos);
        out += keep ? "<t xml:space=\"preserve\">" : "<t>";
        AppendEscaped(out, s.text);
        out += "</t>";
      }
      out += "</si>";
    }
    out += "</sst>";
    return out;
  }

 private:
  std::unordered_map<std::string, int> index_;
  std::vector<SharedString> items_;
  long count_ = 0;
};

}  // namespace

struct Io {
  using Parts = std::vector<std::pair<std::string, std::string>>;

  static const std::string* FindPart(const Parts& parts, const std::string& name) {
    for (const auto& p : parts)
      if (p.first == name) return &p.second;
    std::string lower = Lower(name);
    for (const auto& p : parts)
      if (Lower(p.first) == lower) return &p.second;
    return nullptr;
  }

  static Parts Unzip(std::string_view bytes, const std::string& name, const Limits& limits) {
    zip_error_t err;
    zip_error_init(&err);
    zip_source_t* src = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &err);
    if (!src) throw Error(ErrorKind::Io, "Out of memory while reading '" + name + "'.");
    zip_t* za = zip_open_from_source(src, ZIP_RDONLY, &err);
    if (!za) {
      std::string why = zip_error_strerror(&err);
      zip_source_free(src);
      zip_error_fini(&err);
      throw Error(ErrorKind::NotPackage, "'" + name + "' cannot be opened: the file is damaged (" + why +
                                             ") or is not an Excel workbook (.xlsx).");
    }
    struct Closer {
      zip_t* za;
      ~Closer() { zip_discard(za); }
    } closer{za};
    zip_int64_t n = zip_get_num_entries(za, 0);
    if (n < 0 || static_cast<std::uint64_t>(n) > limits.max_parts)
      throw Error(ErrorKind::TooLarge, "'" + name + "' holds too many parts (" + std::to_string(n) +
                                           ") to be a workbook.");
    Parts parts;
    std::set<std::string> names;
    std::uint64_t total = 0;
    for (zip_int64_t i = 0; i < n; ++i) {
      zip_stat_t st;
      zip_stat_init(&st);
      if (zip_stat_index(za, static_cast<zip_uint64_t>(i), 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME))
        throw Error(ErrorKind::NotPackage, "'" + name + "' is damaged: an entry of its zip directory cannot be read.");
      std::string entry = st.name;
      if (!entry.empty() && entry.back() == '/') continue;
      if (!names.insert(Lower(entry)).second)
        throw Error(ErrorKind::Malformed, "'" + name + "' is damaged: the part " + entry + " occurs twice.");
      std::uint64_t size = (st.valid & ZIP_STAT_SIZE) ? st.size : 0;
      std::uint64_t comp = (st.valid & ZIP_STAT_COMP_SIZE) ? st.comp_size : 0;
      if (size > limits.max_part_size || total + size > limits.max_total_size ||
          (size > (1u << 20) && comp * limits.max_ratio < size))
        throw Error(ErrorKind::TooLarge, "'" + name + "' cannot be opened: the part " + entry +
                                             " would unpack to " + std::to_string(size) +
                                             " bytes, beyond what a workbook needs (a zip bomb?).");
      total += size;
      zip_file_t* f = zip_fopen_index(za, static_cast<zip_uint64_t>(i), 0);
      if (!f)
        throw Error(ErrorKind::NotPackage, "'" + name + "' is damaged: the part " + entry + " cannot be read (" +
                                               zip_strerror(za) + ").");
      std::string data;
      data.resize(static_cast<std::size_t>(size) + 1);
      std::size_t got = 0;
      bool failed = false;
      for (;;) {
        if (got == data.size()) break;  // more than declared
        zip_int64_t r = zip_fread(f, data.data() + got, data.size() - got);
        if (r < 0) { failed = true; break; }
        if (r == 0) break;
        got += static_cast<std::size_t>(r);
      }
      std::string why = failed ? zip_file_strerror(f) : "";
      zip_fclose(f);
      if (failed)
        throw Error(ErrorKind::NotPackage, "'" + name + "' is damaged: the part " + entry + " cannot be unpacked (" +
                                               why + ").");
      if (got != size)
        throw Error(ErrorKind::NotPackage, "'" + name + "' is damaged: the part " + entry +
                                               " does not have the size its directory gives.");
      data.resize(got);
      parts.emplace_back(std::move(entry), std::move(data));
    }
    return parts;
  }

  static std::unique_ptr<Workbook> Read(std::string_view bytes, const std::string& name, const Limits& limits) {
    if (bytes.size() >= 8 && std::memcmp(bytes.data(), "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) == 0)
      throw Error(ErrorKind::Legacy, "'" + name + "' is an Excel 97-2003 workbook (.xls) or an encrypted one, which "
                                     "cannot be read here. Open it in a spreadsheet program and save it as an "
                                     "Excel workbook (.xlsx) first.");
    if (bytes.size() > limits.max_file_size)
      throw Error(ErrorKind::TooLarge, "'" + name + "' is too large to be a workbook.");
    if (bytes.size() < 4 || (std::memcmp(bytes.data(), "PK\x03\x04", 4) != 0 && std::memcmp(bytes.data(), "PK\x05\x06", 4) != 0))
      throw Error(ErrorKind::NotPackage, "'" + name + "' is not an Excel workbook (.xlsx): it is no zip package.");
    std::unique_ptr<Workbook> book(new Workbook());
    Workbook::Impl& impl = *book->impl_;
    impl.name = name;
    impl.parts = Unzip(bytes, name, limits);
    auto malformed = [&](const std::string& what) {
      return Error(ErrorKind::Malformed, "'" + name + "' is not a valid workbook: " + what);
    };

    const std::string* ct = FindPart(impl.parts, "[Content_Types].xml");
    if (!ct) throw malformed("it has no [Content_Types].xml part.");
    impl.content_types = ParseXml(*ct, "[Content_Types].xml");

    // The main part, from the package relationships.
    impl.workbook_part.clear();
    if (const std::string* root_rels = FindPart(impl.parts, "_rels/.rels")) {
      std::unique_ptr<xmlDoc, DocDeleter> doc(ParseXml(*root_rels, "_rels/.rels"));
      for (xmlNode* r = xmlDocGetRootElement(doc.get())->children; r; r = r->next)
        if (Is(r, "Relationship") && EndsWith(Attr(r, "Type"), "/officeDocument"))
          impl.workbook_part = Resolve("", Attr(r, "Target"));
    }
    if (impl.workbook_part.empty() || !FindPart(impl.parts, impl.workbook_part)) impl.workbook_part = "xl/workbook.xml";
    const std::string* wb = FindPart(impl.parts, impl.workbook_part);
    if (!wb) throw malformed("it holds no workbook part.");
    impl.workbook_doc = ParseXml(*wb, impl.workbook_part);
    xmlNode* wb_root = xmlDocGetRootElement(impl.workbook_doc);
    if (!Is(wb_root, "workbook")) throw malformed("its main part is not a workbook.");

    // Its relationships.
    std::string dir = DirOf(impl.workbook_part);
    std::map<std::string, std::pair<std::string, std::string>> rels;  // id -> (type, part)
    std::string rels_part = RelsPartOf(impl.workbook_part);
    if (const std::string* r = FindPart(impl.parts, rels_part)) {
      impl.workbook_rels = ParseXml(*r, rels_part);
    } else {
      impl.workbook_rels = ParseXml(
          "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"/>", rels_part);
    }
    for (xmlNode* r = xmlDocGetRootElement(impl.workbook_rels)->children; r; r = r->next) {
      if (!Is(r, "Relationship") || Attr(r, "TargetMode") == "External") continue;
      std::string type = Attr(r, "Type");
      std::string part = Resolve(dir, Attr(r, "Target"));
      rels[Attr(r, "Id")] = {type, part};
      if (EndsWith(type, "/styles")) impl.styles_part = part;
      if (EndsWith(type, "/sharedStrings")) impl.shared_strings_part = part;
    }

    // Styles.
    book->styles_.impl = std::make_unique<Styles::Impl>();
    if (const std::string* st = FindPart(impl.parts, impl.styles_part)) {
      book->styles_.impl->Load(*st);
    } else {
      book->styles_.impl = NewDefaultStyles();
      impl.styles_part = dir + "styles.xml";
    }

    // Shared strings.
    std::vector<SharedString> sst;
    if (!impl.shared_strings_part.empty()) {
      if (const std::string* s = FindPart(impl.parts, impl.shared_strings_part)) {
        std::unique_ptr<xmlDoc, DocDeleter> doc(ParseXml(*s, impl.shared_strings_part));
        for (xmlNode* si = xmlDocGetRootElement(doc.get())->children; si; si = si->next)
          if (Is(si, "si")) {
            sst.emplace_back();
            ReadRst(si, sst.back());
          }
      }
    }

    // Sheets.
    xmlNode* sheets = FirstChild(wb_root, "sheets");
    for (xmlNode* s = sheets ? sheets->children : nullptr; s; s = s->next) {
      if (!Is(s, "sheet")) continue;
      std::unique_ptr<Worksheet> sheet(new Worksheet(book.get()));
      sheet->name_ = Attr(s, "name");
      std::string state = Attr(s, "state");
      sheet->visibility_ = state == "hidden" ? Visibility::Hidden : state == "veryHidden" ? Visibility::VeryHidden
                                                                                         : Visibility::Visible;
      sheet->impl_->sheet_id = Attr(s, "sheetId");
      sheet->impl_->rel_id = Attr(s, "id");
      auto rel = rels.find(sheet->impl_->rel_id);
      if (rel == rels.end()) throw malformed("the sheet '" + sheet->name_ + "' has no part.");
      sheet->impl_->part = rel->second.second;
      const std::string* data = FindPart(impl.parts, sheet->impl_->part);
      if (!data) throw malformed("the part " + sheet->impl_->part + " of the sheet '" + sheet->name_ + "' is missing.");
      if (EndsWith(rel->second.first, "/worksheet")) {
        ReadSheet(*book, *sheet, *data, sst);
      } else {
        sheet->opaque_ = true;
        sheet->impl_->raw = *data;
      }
      sheet->impl_->dirty = false;
      book->sheets_.push_back(std::move(sheet));
    }
    if (book->sheets_.empty()) throw malformed("it has no sheet.");
    int active = 0;
    if (xmlNode* views = FirstChild(wb_root, "bookViews"))
      if (xmlNode* view = FirstChild(views, "workbookView")) active = ParseInt(Attr(view, "activeTab"), 0);
    book->active_sheet_ = std::clamp(active + 1, 1, book->SheetCount());
    return book;
  }

  static void ReadSheet(Workbook& book, Worksheet& sheet, const std::string& data, const std::vector<SharedString>& sst) {
    (void)book;
    const std::string& part = sheet.impl_->part;
    xmlDoc* doc = ParseXml(data, part);
    sheet.impl_->doc = doc;
    xmlNode* root = xmlDocGetRootElement(doc);
    auto malformed = [&](const std::string& what) {
      return Error(ErrorKind::Malformed, "The part " + part + " is not a valid worksheet: " + what);
    };
    if (!Is(root, "worksheet")) throw malformed("its root is not a worksheet.");
    std::vector<xmlNode*> drop;
    for (xmlNode* c = root->children; c; c = c->next) {
      if (c->type != XML_ELEMENT_NODE) {
        drop.push_back(c);
        continue;
      }
      if (Is(c, "sheetData")) {
        ReadSheetData(sheet, c, sst, malformed);
        drop.push_back(c);
      } else if (Is(c, "cols")) {
        for (xmlNode* col = c->children; col; col = col->next) {
          if (!Is(col, "col")) continue;
          ColumnRange r;
          r.first = ParseInt(Attr(col, "min"), 0);
          r.last = ParseInt(Attr(col, "max"), 0);
          if (r.first < 1 || r.last < r.first || r.last > kMaxColumns) throw malformed("a column range is out of bounds.");
          double w;
          if (HasAttr(col, "width") && ParseDouble(Attr(col, "width"), w)) r.width = w;
          r.custom_width = BoolAttr(col, "customWidth", false);
          r.hidden = BoolAttr(col, "hidden", false);
          r.style = ParseInt(Attr(col, "style"), 0);
          r.extra_attrs = OtherAttrs(col, {"min", "max", "width", "customWidth", "hidden", "style"});
          sheet.cols_.push_back(r);
        }
        drop.push_back(c);
      } else if (Is(c, "mergeCells")) {
        for (xmlNode* m = c->children; m; m = m->next)
          if (Is(m, "mergeCell")) sheet.merges_.push_back(Attr(m, "ref"));
        drop.push_back(c);
      } else if (Is(c, "dimension")) {
        drop.push_back(c);
      } else if (Is(c, "sheetProtection")) {
        Protection& p = sheet.protection_;
        p.sheet = BoolAttr(c, "sheet", false);
        p.objects = BoolAttr(c, "objects", false);
        p.scenarios = BoolAttr(c, "scenarios", false);
        p.format_cells = BoolAttr(c, "formatCells", true);
        p.format_columns = BoolAttr(c, "formatColumns", true);
        p.format_rows = BoolAttr(c, "formatRows", true);
        p.insert_columns = BoolAttr(c, "insertColumns", true);
        p.insert_rows = BoolAttr(c, "insertRows", true);
        p.insert_hyperlinks = BoolAttr(c, "insertHyperlinks", true);
        p.delete_columns = BoolAttr(c, "deleteColumns", true);
        p.delete_rows = BoolAttr(c, "deleteRows", true);
        p.select_locked_cells = BoolAttr(c, "selectLockedCells", false);
        p.select_unlocked_cells = BoolAttr(c, "selectUnlockedCells", false);
        p.sort = BoolAttr(c, "sort", true);
        p.auto_filter = BoolAttr(c, "autoFilter", true);
        p.pivot_tables = BoolAttr(c, "pivotTables", true);
        p.legacy_hash = Attr(c, "password");
        p.algorithm_name = Attr(c, "algorithmName");
        p.hash_value = Attr(c, "hashValue");
        p.salt_value = Attr(c, "saltValue");
        p.spin_count = static_cast<std::uint32_t>(std::strtoul(Attr(c, "spinCount").c_str(), nullptr, 10));
        drop.push_back(c);
      } else if (Is(c, "sheetViews")) {
        if (xmlNode* view = FirstChild(c, "sheetView")) {
          if (xmlNode* sel = ActiveSelection(view, false)) {
            int r, col;
            if (ParseCellName(Attr(sel, "activeCell"), r, col)) {
              sheet.active_row_ = r;
              sheet.active_col_ = col;
            }
            std::string sqref = Attr(sel, "sqref");
            sheet.selection_ = sqref.empty() ? Attr(sel, "activeCell") : sqref;
            if (sheet.selection_.empty()) sheet.selection_ = "A1";
          }
        }
      } else if (Is(c, "pageSetup")) {
        sheet.page_setup_.paper_size = ParseInt(Attr(c, "paperSize"), 0);
        sheet.page_setup_.scale = ParseInt(Attr(c, "scale"), 100);
        std::string o = Attr(c, "orientation");
        sheet.page_setup_.orientation = o == "landscape" ? Orientation::Landscape
                                        : o == "portrait" ? Orientation::Portrait : Orientation::Default;
      } else if (Is(c, "printOptions")) {
        sheet.page_setup_.center_horizontally = BoolAttr(c, "horizontalCentered", false);
        sheet.page_setup_.center_vertically = BoolAttr(c, "verticalCentered", false);
      } else if (Is(c, "sheetPr")) {
        sheet.page_setup_.fit_to_page = BoolAttr(FirstChild(c, "pageSetUpPr"), "fitToPage", false);
      }
    }
    for (xmlNode* c : drop) {
      xmlUnlinkNode(c);
      xmlFreeNode(c);
    }
  }

  // The selection of the active pane of a sheet view; created when asked.
  static xmlNode* ActiveSelection(xmlNode* view, bool create) {
    xmlNode* pane = FirstChild(view, "pane");
    std::string active = pane ? Attr(pane, "activePane") : "";
    if (active.empty()) active = "topLeft";
    xmlNode* last = pane;
    for (xmlNode* c = view->children; c; c = c->next) {
      if (!Is(c, "selection")) continue;
      std::string p = Attr(c, "pane");
      if (p.empty()) p = "topLeft";
      if (p == active) return c;
      last = c;
    }
    if (!create) return nullptr;
    xmlNode* sel = xmlNewDocNode(view->doc, view->ns, BAD_CAST "selection", nullptr);
    if (active != "topLeft") SetAttr(sel, "pane", active);
    if (last) xmlAddNextSibling(last, sel);
    else if (view->children) xmlAddPrevSibling(view->children, sel);
    else xmlAddChild(view, sel);
    return sel;
  }

  template <typename Malformed>
  static void ReadSheetData(Worksheet& sheet, xmlNode* data, const std::vector<SharedString>& sst, Malformed malformed) {
    int row_number = 0;
    for (xmlNode* rn = data->children; rn; rn = rn->next) {
      if (!Is(rn, "row")) continue;
      int r = HasAttr(rn, "r") ? ParseInt(Attr(rn, "r"), 0) : row_number + 1;
      if (r < 1 || r > kMaxRows || r <= row_number) throw malformed("a row number is out of order or bounds.");
      row_number = r;
      Row& row = sheet.rows_[r];
      double ht;
      if (HasAttr(rn, "ht") && ParseDouble(Attr(rn, "ht"), ht)) row.height = ht;
      row.custom_height = BoolAttr(rn, "customHeight", false);
      row.hidden = BoolAttr(rn, "hidden", false);
      if (BoolAttr(rn, "customFormat", false)) row.style = ParseInt(Attr(rn, "s"), 0);
      row.extra_attrs = OtherAttrs(rn, {"r", "ht", "customHeight", "hidden", "s", "customFormat", "spans"});
      int col_number = 0;
      for (xmlNode* cn = rn->children; cn; cn = cn->next) {
        if (!Is(cn, "c")) continue;
        int rr = r, cc = col_number + 1;
        if (HasAttr(cn, "r") && (!ParseCellName(Attr(cn, "r"), rr, cc) || rr != r))
          throw malformed("the cell reference '" + Attr(cn, "r") + "' is not in its row.");
        if (cc <= col_number || cc > kMaxColumns) throw malformed("cells of row " + std::to_string(r) + " are out of order.");
        col_number = cc;
        Cell& cell = row.cells[cc];
        cell.style = ParseInt(Attr(cn, "s"), 0);
        cell.extra_attrs = OtherAttrs(cn, {"r", "s", "t"});
        std::string t = Attr(cn, "t");
        xmlNode* v = FirstChild(cn, "v");
        if (xmlNode* f = FirstChild(cn, "f")) {
          cell.has_formula = true;
          cell.formula = NodeText(f);
          cell.formula_attrs = OtherAttrs(f, {});
        }
        std::string vt = v ? NodeText(v) : std::string();
        if (t == "s") {
          if (v) {
            int idx = ParseInt(vt, -1);
            if (idx < 0 || static_cast<std::size_t>(idx) >= sst.size())
              throw malformed("the cell " + CellName(r, cc) + " refers to a shared string that does not exist.");
            cell.value = Value::Text(sst[static_cast<std::size_t>(idx)].text);
            cell.rich = sst[static_cast<std::size_t>(idx)].rich;
          }
        } else if (t == "inlineStr") {
          if (xmlNode* is = FirstChild(cn, "is")) {
            SharedString s;
            ReadRst(is, s);
            cell.value = Value::Text(s.text);
            cell.rich = s.rich;
          }
        } else if (t == "str" || t == "d") {
          if (v) cell.value = Value::Text(DecodeExcelEscapes(vt));
        } else if (t == "b") {
          if (v) cell.value = Value::Bool(vt == "1" || vt == "true");
        } else if (t == "e") {
          if (v) cell.value = Value::Err(vt);
        } else if (v) {
          double d;
          if (!ParseDouble(vt, d)) throw malformed("the cell " + CellName(r, cc) + " holds the number '" + vt + "'.");
          cell.value = Value::Number(d);
        }
      }
    }
  }

  // ------------------------------------------------------------ writing

  static std::string WriteSheet(const Workbook& book, const Worksheet& sheet, SstBuilder& sst) {
    Worksheet::Impl& impl = *sheet.impl_;
    if (!impl.doc) {
      std::string xml = "<worksheet xmlns=\"";
      xml += kMainNs;
      xml += "\" xmlns:r=\"";
      xml += kRelNs;
      xml += "\"/>";
      impl.doc = ParseXml(xml, impl.part);
    }
    xmlDoc* doc = impl.doc;
    xmlNode* root = xmlDocGetRootElement(doc);
    bool active = book.active_sheet_ == book.PositionOf(sheet);
    UpdateViews(sheet, root, active);
    UpdatePageSetup(sheet, root);

    std::vector<std::pair<int, std::string>> pieces;
    int rank = 0;
    for (xmlNode* c = root->children; c; c = c->next) {
      if (c->type != XML_ELEMENT_NODE) continue;
      int r = Rank(LocalName(c));
      if (r > 0) rank = r;
      std::string s;
      AppendNode(s, doc, c);
      pieces.emplace_back(r > 0 ? r : rank + 1, std::move(s));
    }
    // The generated elements.
    {
      int r1, c1, r2, c2;
      std::string dim = "<dimension ref=\"";
      dim += sheet.UsedRange(r1, c1, r2, c2)
                 ? (r1 == r2 && c1 == c2 ? CellName(r1, c1) : CellName(r1, c1) + ":" + CellName(r2, c2))
                 : "A1";
      dim += "\"/>";
      pieces.emplace_back(Rank("dimension"), std::move(dim));
    }
    if (!sheet.cols_.empty()) {
      std::string cols = "<cols>";
      for (const auto& c : sheet.cols_) {
        cols += "<col min=\"" + std::to_string(c.first) + "\" max=\"" + std::to_string(c.last) + "\"";
        if (c.width) {
          cols += " width=\"";
          AppendNumber(cols, *c.width);
          cols += "\"";
        }
        if (c.style) cols += " style=\"" + std::to_string(c.style) + "\"";
        if (c.hidden) cols += " hidden=\"1\"";
        if (c.custom_width) cols += " customWidth=\"1\"";
        cols += c.extra_attrs;
        cols += "/>";
      }
      cols += "</cols>";
      pieces.emplace_back(Rank("cols"), std::move(cols));
    }
    pieces.emplace_back(Rank("sheetData"), SheetData(sheet, sst));
    const Protection& p = sheet.protection_;
    if (p.sheet || p.HasPassword()) {
      std::string s = "<sheetProtection";
      auto attr = [&](const char* name, const std::string& v) {
        s += ' ';
        s += name;
        s += "=\"";
        AppendEscaped(s, v, true);
        s += '"';
      };
      if (!p.hash_value.empty()) {
        attr("algorithmName", p.algorithm_name);
        attr("hashValue", p.hash_value);
        attr("saltValue", p.salt_value);
        attr("spinCount", std::to_string(p.spin_count));
      }
      if (!p.legacy_hash.empty()) attr("password", p.legacy_hash);
      auto flag = [&](const char* name, bool v, bool dflt) {
        if (v != dflt) attr(name, v ? "1" : "0");
      };
      flag("sheet", p.sheet, false);
      flag("objects", p.objects, false);
      flag("scenarios", p.scenarios, false);
      flag("formatCells", p.format_cells, true);
      flag("formatColumns", p.format_columns, true);
      flag("formatRows", p.format_rows, true);
      flag("insertColumns", p.insert_columns, true);
      flag("insertRows", p.insert_rows, true);
      flag("insertHyperlinks", p.insert_hyperlinks, true);
      flag("deleteColumns", p.delete_columns, true);
      flag("deleteRows", p.delete_rows, true);
      flag("selectLockedCells", p.select_locked_cells, false);
      flag("sort", p.sort, true);
      flag("autoFilter", p.auto_filter, true);
      flag("pivotTables", p.pivot_tables, true);
      flag("selectUnlockedCells", p.select_unlocked_cells, false);
      s += "/>";
      pieces.emplace_back(Rank("sheetProtection"), std::move(s));
    }
    if (!sheet.merges_.empty()) {
      std::string m = "<mergeCells count=\"" + std::to_string(sheet.merges_.size()) + "\">";
      for (const auto& ref : sheet.merges_) {
        m += "<mergeCell ref=\"";
        AppendEscaped(m, ref, true);
        m += "\"/>";
      }
      m += "</mergeCells>";
      pieces.emplace_back(Rank("mergeCells"), std::move(m));
    }
    std::stable_sort(pieces.begin(), pieces.end(), [](const auto& a, const auto& b) { return a.first < b.first; });

    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<";
    if (root->ns && root->ns->prefix) {
      out += reinterpret_cast<const char*>(root->ns->prefix);
      out += ':';
    }
    out += LocalName(root);
    for (xmlNs* ns = root->nsDef; ns; ns = ns->next) {
      out += " xmlns";
      if (ns->prefix) {
        out += ':';
        out += reinterpret_cast<const char*>(ns->prefix);
      }
      out += "=\"";
      AppendEscaped(out, reinterpret_cast<const char*>(ns->href), true);
      out += '"';
    }
    out += OtherAttrs(root, {});
    out += '>';
    for (auto& [r, s] : pieces) out += s;
    out += "</";
    if (root->ns && root->ns->prefix) {
      out += reinterpret_cast<const char*>(root->ns->prefix);
      out += ':';
    }
    out += LocalName(root);
    out += '>';
    return out;
  }

  // The shared-formula group a cell's <f> belongs to ("" when none).
  static std::string SharedIndex(const Cell& cell) {
    if (cell.formula_attrs.find("t=\"shared\"") == std::string::npos) return {};
    auto at = cell.formula_attrs.find(" si=\"");
    if (at == std::string::npos) return {};
    auto end = cell.formula_attrs.find('"', at + 5);
    return cell.formula_attrs.substr(at + 5, end == std::string::npos ? std::string::npos : end - at - 5);
  }

  static std::string SheetData(const Worksheet& sheet, SstBuilder& sst) {
    std::string out = "<sheetData>";
    out.reserve(64 * 1024);
    // A shared formula whose first cell was overwritten has lost its text:
    // its other cells keep their values and drop the formula.
    std::set<std::string> groups_with_text;
    for (const auto& [r, row] : sheet.rows_)
      for (const auto& [c, cell] : row.cells)
        if (cell.has_formula && !cell.formula.empty()) {
          std::string si = SharedIndex(cell);
          if (!si.empty()) groups_with_text.insert(si);
        }
    for (const auto& [r, row] : sheet.rows_) {
      bool attrs = row.height || row.hidden || row.style || !row.extra_attrs.empty() || row.custom_height;
      if (row.cells.empty() && !attrs) continue;
      std::string rs = std::to_string(r);
      out += "<row r=\"" + rs + "\"";
      if (row.style) out += " s=\"" + std::to_string(*row.style) + "\" customFormat=\"1\"";
      if (row.height) {
        out += " ht=\"";
        AppendNumber(out, *row.height);
        out += "\"";
      }
      if (row.hidden) out += " hidden=\"1\"";
      if (row.custom_height) out += " customHeight=\"1\"";
      out += row.extra_attrs;
      if (row.cells.empty()) {
        out += "/>";
        continue;
      }
      out += '>';
      for (const auto& [c, cell] : row.cells) {
        bool formula = cell.has_formula && !(cell.formula.empty() && !SharedIndex(cell).empty() &&
                                             !groups_with_text.count(SharedIndex(cell)));
        out += "<c r=\"";
        out += ColumnName(c);
        out += rs;
        out += '"';
        if (cell.style) out += " s=\"" + std::to_string(cell.style) + "\"";
        const Value& v = cell.value;
        const char* t = nullptr;
        switch (v.type) {
          case ValueType::Text: t = formula ? "str" : "s"; break;
          case ValueType::Boolean: t = "b"; break;
          case ValueType::Error: t = "e"; break;
          default: break;
        }
        if (t) {
          out += " t=\"";
          out += t;
          out += '"';
        }
        out += cell.extra_attrs;
        if (!formula && v.type == ValueType::Empty) {
          out += "/>";
          continue;
        }
        out += '>';
        if (formula) {
          out += "<f";
          out += cell.formula_attrs;
          if (cell.formula.empty()) {
            out += "/>";
          } else {
            out += '>';
            AppendEscaped(out, cell.formula);
            out += "</f>";
          }
        }
        switch (v.type) {
          case ValueType::Text:
            out += "<v>";
            if (formula) AppendEscaped(out, v.text);
            else out += std::to_string(sst.Index(v.text, cell.rich));
            out += "</v>";
            break;
          case ValueType::Number:
            out += "<v>";
            AppendNumber(out, v.number);
            out += "</v>";
            break;
          case ValueType::Boolean: out += v.boolean ? "<v>1</v>" : "<v>0</v>"; break;
          case ValueType::Error:
            out += "<v>";
            AppendEscaped(out, v.text);
            out += "</v>";
            break;
          case ValueType::Empty: break;
        }
        out += "</c>";
      }
      out += "</row>";
    }
    out += "</sheetData>";
    return out;
  }

  static xmlNode* EnsureChild(xmlNode* root, const char* name) {
    if (xmlNode* n = FirstChild(root, name)) return n;
    return xmlNewChild(root, root->ns, BAD_CAST name, nullptr);
  }

  static void UpdateViews(const Worksheet& sheet, xmlNode* root, bool active) {
    xmlNode* views = EnsureChild(root, "sheetViews");
    xmlNode* view = FirstChild(views, "sheetView");
    if (!view) {
      view = xmlNewChild(views, root->ns, BAD_CAST "sheetView", nullptr);
      SetAttr(view, "workbookViewId", "0");
    }
    if (active != BoolAttr(view, "tabSelected", false)) {
      if (active) SetAttr(view, "tabSelected", "1");
      else RemoveAttr(view, "tabSelected");
    }
    std::string cell = CellName(sheet.active_row_, sheet.active_col_);
    xmlNode* sel = ActiveSelection(view, false);
    if (!sel && cell == "A1" && sheet.selection_ == "A1") return;
    if (!sel) sel = ActiveSelection(view, true);
    if (Attr(sel, "activeCell") != cell) {
      SetAttr(sel, "activeCell", cell);
      RemoveAttr(sel, "activeCellId");
    }
    if (Attr(sel, "sqref") != sheet.selection_) SetAttr(sel, "sqref", sheet.selection_);
  }

  static void UpdatePageSetup(const Worksheet& sheet, xmlNode* root) {
    const PageSetup& ps = sheet.page_setup_;
    xmlNode* setup = FirstChild(root, "pageSetup");
    bool non_default = ps.paper_size > 0 || ps.scale != 100 || ps.orientation != Orientation::Default;
    if (setup || non_default) {
      if (!setup) setup = xmlNewChild(root, root->ns, BAD_CAST "pageSetup", nullptr);
      if (ParseInt(Attr(setup, "paperSize"), 0) != ps.paper_size) {
        if (ps.paper_size > 0) SetAttr(setup, "paperSize", std::to_string(ps.paper_size));
        else RemoveAttr(setup, "paperSize");
      }
      if (ParseInt(Attr(setup, "scale"), 100) != ps.scale) SetAttr(setup, "scale", std::to_string(ps.scale));
      std::string o = ps.orientation == Orientation::Landscape  ? "landscape"
                      : ps.orientation == Orientation::Portrait ? "portrait" : "";
      std::string had = Attr(setup, "orientation");
      if (had == "default") had.clear();
      if (had != o) {
        if (o.empty()) RemoveAttr(setup, "orientation");
        else SetAttr(setup, "orientation", o);
      }
    }
    xmlNode* options = FirstChild(root, "printOptions");
    if (options || ps.center_horizontally || ps.center_vertically) {
      if (!options) options = xmlNewChild(root, root->ns, BAD_CAST "printOptions", nullptr);
      if (BoolAttr(options, "horizontalCentered", false) != ps.center_horizontally)
        SetAttr(options, "horizontalCentered", ps.center_horizontally ? "1" : "0");
      if (BoolAttr(options, "verticalCentered", false) != ps.center_vertically)
        SetAttr(options, "verticalCentered", ps.center_vertically ? "1" : "0");
    }
    xmlNode* pr = FirstChild(root, "sheetPr");
    xmlNode* setup_pr = pr ? FirstChild(pr, "pageSetUpPr") : nullptr;
    if (BoolAttr(setup_pr, "fitToPage", false) != ps.fit_to_page) {
      if (!pr) pr = xmlNewChild(root, root->ns, BAD_CAST "sheetPr", nullptr);
      if (!setup_pr) {
        // pageSetUpPr follows tabColor and outlinePr.
        setup_pr = xmlNewDocNode(root->doc, root->ns, BAD_CAST "pageSetUpPr", nullptr);
        xmlNode* after = nullptr;
        for (xmlNode* c = pr->children; c; c = c->next)
          if (Is(c, "tabColor") || Is(c, "outlinePr")) after = c;
        if (after) xmlAddNextSibling(after, setup_pr);
        else if (pr->children) xmlAddPrevSibling(pr->children, setup_pr);
        else xmlAddChild(pr, setup_pr);
      }
      SetAttr(setup_pr, "fitToPage", ps.fit_to_page ? "1" : "0");
    }
  }

  static std::string NewRelId(xmlNode* rels_root) {
    int max = 0;
    for (xmlNode* r = rels_root->children; r; r = r->next)
      if (Is(r, "Relationship")) {
        std::string id = Attr(r, "Id");
        if (id.rfind("rId", 0) == 0) max = std::max(max, ParseInt(id.substr(3), 0));
      }
    return "rId" + std::to_string(max + 1);
  }

  static void AddRel(xmlNode* rels_root, const std::string& id, const std::string& type, const std::string& target) {
    xmlNode* r = xmlNewChild(rels_root, rels_root->ns, BAD_CAST "Relationship", nullptr);
    SetAttr(r, "Id", id);
    SetAttr(r, "Type", std::string(kRelType) + type);
    SetAttr(r, "Target", target);
  }

  static void EnsureOverride(xmlNode* types, const std::string& part, const char* content_type) {
    std::string name = "/" + part;
    for (xmlNode* o = types->children; o; o = o->next)
      if (Is(o, "Override") && Lower(Attr(o, "PartName")) == Lower(name)) return;
    xmlNode* o = xmlNewChild(types, types->ns, BAD_CAST "Override", nullptr);
    SetAttr(o, "PartName", name);
    SetAttr(o, "ContentType", content_type);
  }

  static std::string Write(const Workbook& book) {
    Workbook::Impl& impl = *book.impl_;
    std::string dir = DirOf(impl.workbook_part);
    auto relative = [&](const std::string& part) {
      return part.rfind(dir, 0) == 0 ? part.substr(dir.size()) : "/" + part;
    };
    std::map<std::string, std::string> generated;
    std::set<std::string> dropped;
    SstBuilder sst;
    for (const auto& s : book.sheets_)
      generated[s->impl_->part] = s->opaque_ ? s->impl_->raw : WriteSheet(book, *s, sst);

    xmlNode* rels_root = xmlDocGetRootElement(impl.workbook_rels);
    xmlNode* types = xmlDocGetRootElement(impl.content_types);
    // Relationships of new sheets.
    for (const auto& s : book.sheets_) {
      if (!s->impl_->rel_id.empty()) continue;
      s->impl_->rel_id = NewRelId(rels_root);
      AddRel(rels_root, s->impl_->rel_id, "worksheet", relative(s->impl_->part));
      EnsureOverride(types, s->impl_->part, kCtWorksheet);
    }
    // Shared strings.
    if (!sst.empty() || !impl.shared_strings_part.empty()) {
      if (impl.shared_strings_part.empty()) {
        impl.shared_strings_part = dir + "sharedStrings.xml";
        AddRel(rels_root, NewRelId(rels_root), "sharedStrings", relative(impl.shared_strings_part));
        EnsureOverride(types, impl.shared_strings_part, kCtSst);
      }
      generated[impl.shared_strings_part] = sst.Xml();
    }
    // Styles.
    bool has_styles_rel = false;
    for (xmlNode* r = rels_root->children; r; r = r->next)
      if (Is(r, "Relationship") && EndsWith(Attr(r, "Type"), "/styles")) has_styles_rel = true;
    if (!has_styles_rel) {
      AddRel(rels_root, NewRelId(rels_root), "styles", relative(impl.styles_part));
      EnsureOverride(types, impl.styles_part, kCtStyles);
    }
    generated[impl.styles_part] = book.styles_.impl->Serialize();
    // A calculation chain that names a formula no longer there upsets Excel: drop it.
    if (impl.formulas_changed) {
      for (xmlNode* r = rels_root->children; r;) {
        xmlNode* next = r->next;
        if (Is(r, "Relationship") && EndsWith(Attr(r, "Type"), "/calcChain")) {
          std::string part = Resolve(dir, Attr(r, "Target"));
          dropped.insert(part);
          for (xmlNode* o = types->children; o;) {
            xmlNode* on = o->next;
            if (Is(o, "Override") && Lower(Attr(o, "PartName")) == Lower("/" + part)) {
              xmlUnlinkNode(o);
              xmlFreeNode(o);
            }
            o = on;
          }
          xmlUnlinkNode(r);
          xmlFreeNode(r);
        }
        r = next;
      }
    }
    // The workbook part.
    xmlNode* wb_root = xmlDocGetRootElement(impl.workbook_doc);
    xmlNs* r_ns = nullptr;
    for (xmlNs* ns = wb_root->nsDef; ns; ns = ns->next)
      if (ns->href && (std::strcmp(reinterpret_cast<const char*>(ns->href), kRelNs) == 0 ||
                       std::strstr(reinterpret_cast<const char*>(ns->href), "officeDocument/relationships")))
        r_ns = ns;
    if (!r_ns) r_ns = xmlNewNs(wb_root, BAD_CAST kRelNs, BAD_CAST "r");
    xmlNode* sheets = FirstChild(wb_root, "sheets");
    if (!sheets) sheets = xmlNewChild(wb_root, wb_root->ns, BAD_CAST "sheets", nullptr);
    std::vector<xmlNode*> old;
    for (xmlNode* c = sheets->children; c; c = c->next) old.push_back(c);
    std::size_t i = 0;
    for (const auto& s : book.sheets_) {
      xmlNode* n = nullptr;
      // Keep the sheet's element (and whatever else it carries) when it is there.
      for (; i < old.size() && !n; ++i)
        if (Is(old[i], "sheet") && Attr(old[i], "id") == s->impl_->rel_id) n = old[i];
      if (!n) {
        n = xmlNewChild(sheets, wb_root->ns, BAD_CAST "sheet", nullptr);
        xmlSetNsProp(n, r_ns, BAD_CAST "id", BAD_CAST s->impl_->rel_id.c_str());
      }
      if (Attr(n, "name") != s->name_) SetAttr(n, "name", s->name_);
      if (Attr(n, "sheetId") != s->impl_->sheet_id) SetAttr(n, "sheetId", s->impl_->sheet_id);
      const char* state = s->visibility_ == Visibility::Hidden ? "hidden"
                          : s->visibility_ == Visibility::VeryHidden ? "veryHidden" : nullptr;
      std::string had = Attr(n, "state");
      if (had == "visible") had.clear();
      if (had != (state ? state : "")) {
        if (state) SetAttr(n, "state", state);
        else RemoveAttr(n, "state");
      }
    }
    xmlNode* views = FirstChild(wb_root, "bookViews");
    if (!views) {
      views = xmlNewDocNode(impl.workbook_doc, wb_root->ns, BAD_CAST "bookViews", nullptr);
      xmlAddPrevSibling(sheets, views);
    }
    xmlNode* view = FirstChild(views, "workbookView");
    if (!view) view = xmlNewChild(views, wb_root->ns, BAD_CAST "workbookView", nullptr);
    std::string tab = std::to_string(std::max(book.active_sheet_ - 1, 0));
    if (Attr(view, "activeTab") != tab && !(tab == "0" && !HasAttr(view, "activeTab"))) SetAttr(view, "activeTab", tab);
    if (ParseInt(Attr(view, "firstSheet"), 0) > book.active_sheet_ - 1) RemoveAttr(view, "firstSheet");
    generated[impl.workbook_part] = DumpDoc(impl.workbook_doc);
    generated[RelsPartOf(impl.workbook_part)] = DumpDoc(impl.workbook_rels);
    generated["[Content_Types].xml"] = DumpDoc(impl.content_types);

    // The package.
    std::vector<std::pair<std::string, const std::string*>> out;
    std::set<std::string> done;
    for (const auto& name : {std::string("[Content_Types].xml")}) {
      out.emplace_back(name, &generated[name]);
      done.insert(name);
    }
    for (const auto& [name, bytes] : impl.parts) {
      if (done.count(name) || dropped.count(name)) continue;
      auto g = generated.find(name);
      out.emplace_back(name, g != generated.end() ? &g->second : &bytes);
      done.insert(name);
    }
    for (const auto& [name, bytes] : generated)
      if (!done.count(name)) {
        out.emplace_back(name, &bytes);
        done.insert(name);
      }
    return Zip(out);
  }

  // The package written with zlib directly: one deflate stream reused for
  // every part (a fresh one per part costs more than the compression).
  static std::string Zip(const std::vector<std::pair<std::string, const std::string*>>& parts) {
    z_stream zs{};
    if (deflateInit2(&zs, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
      throw Error(ErrorKind::Io, "The workbook cannot be packed: out of memory.");
    struct Closer {
      z_stream* zs;
      ~Closer() { deflateEnd(zs); }
    } closer{&zs};
    auto put16 = [](std::string& o, unsigned v) {
      o += static_cast<char>(v & 0xFF);
      o += static_cast<char>((v >> 8) & 0xFF);
    };
    auto put32 = [&](std::string& o, std::uint32_t v) {
      put16(o, v & 0xFFFF);
      put16(o, v >> 16);
    };
    const unsigned kTime = 0, kDate = (0 << 9) | (1 << 5) | 2;  // 2 January 1980, as other writers do
    std::string out, central;
    std::size_t total = 0;
    for (const auto& p : parts) total += p.second->size();
    out.reserve(total / 3 + 4096);
    std::string packed;
    for (const auto& [name, data] : parts) {
      std::uint32_t crc = static_cast<std::uint32_t>(
          crc32(0, reinterpret_cast<const Bytef*>(data->data()), static_cast<uInt>(data->size())));
      deflateReset(&zs);
      packed.resize(deflateBound(&zs, static_cast<uLong>(data->size())) + 16);
      zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data->data()));
      zs.avail_in = static_cast<uInt>(data->size());
      zs.next_out = reinterpret_cast<Bytef*>(packed.data());
      zs.avail_out = static_cast<uInt>(packed.size());
      if (deflate(&zs, Z_FINISH) != Z_STREAM_END) throw Error(ErrorKind::Io, "The workbook cannot be packed.");
      std::size_t packed_size = packed.size() - zs.avail_out;
      bool utf8 = std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
      unsigned flags = utf8 ? 0x0800 : 0;
      std::uint32_t offset = static_cast<std::uint32_t>(out.size());
      put32(out, 0x04034B50);
      put16(out, 20);
      put16(out, flags);
      put16(out, 8);
      put16(out, kTime);
      put16(out, kDate);
      put32(out, crc);
      put32(out, static_cast<std::uint32_t>(packed_size));
      put32(out, static_cast<std::uint32_t>(data->size()));
      put16(out, static_cast<unsigned>(name.size()));
      put16(out, 0);
      out += name;
      out.append(packed.data(), packed_size);
      put32(central, 0x02014B50);
      put16(central, 20);
      put16(central, 20);
      put16(central, flags);
      put16(central, 8);
      put16(central, kTime);
      put16(central, kDate);
      put32(central, crc);
      put32(central, static_cast<std::uint32_t>(packed_size));
      put32(central, static_cast<std::uint32_t>(data->size()));
      put16(central, static_cast<unsigned>(name.size()));
      put16(central, 0);
      put16(central, 0);
      put16(central, 0);
      put16(central, 0);
      put32(central, 0);
      put32(central, offset);
      central += name;
    }
    std::uint32_t central_offset = static_cast<std::uint32_t>(out.size());
    out += central;
    put32(out, 0x06054B50);
    put16(out, 0);
    put16(out, 0);
    put16(out, static_cast<unsigned>(parts.size()));
    put16(out, static_cast<unsigned>(parts.size()));
    put32(out, static_cast<std::uint32_t>(central.size()));
    put32(out, central_offset);
    put16(out, 0);
    return out;
  }
};

// ---------------------------------------------------------------- files

namespace {
std::string BaseName(const std::string& path) {
  auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}
}  // namespace

std::unique_ptr<Workbook> Workbook::LoadFromMemory(std::string_view bytes, const std::string& name,
                                                   const Limits& limits) {
  return Io::Read(bytes, name, limits);
}

std::unique_ptr<Workbook> Workbook::Load(const std::string& path, const Limits& limits) {
  std::string name = BaseName(path);
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR)
      throw Error(ErrorKind::NotFound, "'" + path + "' could not be found. Check the spelling of the file name, "
                                       "and verify that the file location is correct.");
    throw Error(ErrorKind::Io, "'" + path + "' cannot be opened: " + std::strerror(errno) + ".");
  }
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    throw Error(ErrorKind::Io, "'" + path + "' is not a file.");
  }
  if (static_cast<std::uint64_t>(st.st_size) > limits.max_file_size) {
    ::close(fd);
    throw Error(ErrorKind::TooLarge, "'" + path + "' is too large to be a workbook.");
  }
  std::string bytes(static_cast<std::size_t>(st.st_size), '\0');
  std::size_t got = 0;
  while (got < bytes.size()) {
    ssize_t r = ::read(fd, bytes.data() + got, bytes.size() - got);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    got += static_cast<std::size_t>(r);
  }
  ::close(fd);
  if (got != bytes.size()) throw Error(ErrorKind::Io, "'" + path + "' cannot be read.");
  auto book = Io::Read(bytes, name, limits);
  book->impl_->name = name;
  return book;
}

std::string Workbook::SaveToMemory() const { return Io::Write(*this); }

void Workbook::Save(const std::string& path) const {
  std::string bytes = Io::Write(*this);
  std::string dir = path.find('/') == std::string::npos ? "." : path.substr(0, path.find_last_of('/'));
  if (dir.empty()) dir = "/";
  std::string tmpl = dir + "/." + BaseName(path) + ".XXXXXX";
  std::vector<char> name(tmpl.begin(), tmpl.end());
  name.push_back('\0');
  int fd = mkstemp(name.data());
  if (fd < 0) throw Error(ErrorKind::Io, "'" + path + "' cannot be saved: " + std::strerror(errno) + ".");
  std::string tmp = name.data();
  auto fail = [&](int e) {
    ::close(fd);
    ::unlink(tmp.c_str());
    return Error(ErrorKind::Io, "'" + path + "' cannot be saved: " + std::strerror(e) + ". The file is unchanged.");
  };
  struct stat st;
  mode_t mode = 0666;
  if (::stat(path.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }
  if (fchmod(fd, mode) != 0) throw fail(errno);
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) throw fail(w < 0 ? errno : ENOSPC);
    done += static_cast<std::size_t>(w);
  }
  // No fsync: a crash of the program or a full disk can only hit the
  // temporary file, and the rename replaces the workbook in one step. (On
  // ext4, replacing a file by rename also orders the new data before the
  // rename, so a power loss leaves the old workbook or the new one.)
  if (::close(fd) != 0) {
    int e = errno;
    ::unlink(tmp.c_str());
    throw Error(ErrorKind::Io, "'" + path + "' cannot be saved: " + std::strerror(e) + ". The file is unchanged.");
  }
  if (::rename(tmp.c_str(), path.c_str()) != 0) {
    int e = errno;
    ::unlink(tmp.c_str());
    throw Error(ErrorKind::Io, "'" + path + "' cannot be saved: " + std::strerror(e) + ". The file is unchanged.");
  }
}

}  // namespace xlsx
