// velmora show FILE [--sheet N] [--json]: what the user sees of a workbook in
// a spreadsheet program: every sheet (or one) with its name, code (J40),
// visibility and protection, and the stored cells of its used range with
// their text, Locked flag and fill colour index.
#include <iostream>
#include <sstream>

#include "../command_registry.h"
#include "excel/rules.h"
#include "excel/xlsx/model.h"

namespace velmora::cli {
namespace {

std::string CellText(const xlsx::Value& v) {
  switch (v.type) {
    case xlsx::ValueType::Empty: return "";
    case xlsx::ValueType::Text:
    case xlsx::ValueType::Error: return v.text;
    case xlsx::ValueType::Number: return xlsx::GeneralNumberText(v.number);
    case xlsx::ValueType::Boolean: return v.boolean ? "True" : "False";
  }
  return "";
}

std::string Json(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

const char* VisibilityName(xlsx::Visibility v) {
  return v == xlsx::Visibility::Visible ? "visible" : v == xlsx::Visibility::Hidden ? "hidden" : "veryHidden";
}

// The sheet a command line names: a 1-based number or a name.
int FindSheetPosition(xlsx::Workbook& book, const std::string& spec) {
  if (!spec.empty() && spec.find_first_not_of("0123456789") == std::string::npos) {
    int n = std::stoi(spec);
    return n >= 1 && n <= book.SheetCount() ? n : 0;
  }
  xlsx::Worksheet* s = book.FindSheet(spec);
  return s ? book.PositionOf(*s) : 0;
}

void ShowSheet(std::ostream& out, xlsx::Workbook& book, int position, bool json, bool first) {
  xlsx::Worksheet& s = book.Sheet(position);
  std::string code = s.IsWorksheet() ? CellText(s.GetValue(40, 10)) : "";
  const auto& p = s.protection();
  if (json) {
    out << (first ? "" : ",") << "\n    {\"index\": " << position << ", \"name\": " << Json(s.name())
        << ", \"code\": " << Json(code) << ", \"visible\": " << (s.visibility() == xlsx::Visibility::Visible ? "true" : "false")
        << ", \"visibility\": \"" << VisibilityName(s.visibility()) << "\", \"protected\": " << (s.IsProtected() ? "true" : "false")
        << ", \"password\": " << (p.HasPassword() ? "true" : "false")
        << ", \"enableSelection\": " << excel::EnableSelection(s)
        << ", \"activeCell\": " << Json(xlsx::CellName(s.active_row(), s.active_column())) << ", \"cells\": [";
  } else {
    out << "Sheet " << position << " \"" << s.name() << "\"" << (code.empty() ? "" : " code " + code) << ", "
        << VisibilityName(s.visibility()) << ", "
        << (s.IsProtected() ? (p.HasPassword() ? "protected with a password" : "protected") : "not protected")
        << (position == book.active_sheet() ? ", active" : "") << "\n";
  }
  bool first_cell = true;
  for (const auto& [r, row] : s.rows())
    for (const auto& [c, cell] : row.cells) {
      std::string text = CellText(cell.value);
      bool locked = s.Locked(r, c);
      int color = s.ColorIndex(r, c);
      std::string ref = xlsx::CellName(r, c);
      if (json) {
        out << (first_cell ? "" : ",") << "\n      {\"ref\": \"" << ref << "\", \"text\": " << Json(text)
            << ", \"locked\": " << (locked ? "true" : "false") << ", \"colorIndex\": " << color;
        if (cell.has_formula) out << ", \"formula\": " << Json("=" + cell.formula);
        out << "}";
      } else {
        out << "  " << ref << "\t" << (locked ? "locked" : "unlocked") << "\tfill " << color << "\t" << text
            << (cell.has_formula ? "\t(=" + cell.formula + ")" : "") << "\n";
      }
      first_cell = false;
    }
  if (json) out << (first_cell ? "]}" : "\n    ]}");
}

const Registration show{"show", [](CLI::App& app) {
  auto* cmd = app.add_subcommand("show", "Show a workbook's sheets and cells as a spreadsheet program shows them");
  static std::string file, sheet;
  static bool json = false;
  cmd->add_option("FILE", file, "The workbook (.xlsx)")->required();
  cmd->add_option("--sheet", sheet, "Only this sheet: a 1-based number or a name");
  cmd->add_flag("--json", json, "Print JSON");
  cmd->callback([] {
    try {
      auto book = xlsx::Workbook::Load(file);
      std::vector<int> positions;
      if (!sheet.empty()) {
        int p = FindSheetPosition(*book, sheet);
        if (p == 0) {
          std::cerr << "velmora: the workbook has no sheet " << sheet << ".\n";
          SetExitStatus(1);
          return;
        }
        positions.push_back(p);
      } else {
        for (int i = 1; i <= book->SheetCount(); ++i) positions.push_back(i);
      }
      std::ostringstream out;
      if (json) out << "{\"file\": " << Json(file) << ", \"activeSheet\": " << book->active_sheet() << ", \"sheets\": [";
      bool first = true;
      for (int p : positions) {
        ShowSheet(out, *book, p, json, first);
        first = false;
      }
      if (json) out << "\n  ]}\n";
      std::cout << out.str();
      SetExitStatus(0);
    } catch (const std::exception& e) {
      std::cerr << "velmora: " << e.what() << "\n";
      SetExitStatus(1);
    }
  });
}};

}  // namespace
}  // namespace velmora::cli
