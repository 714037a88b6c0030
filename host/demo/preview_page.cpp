#include "preview_page.h"

#include <fstream>
#include <stdexcept>

#include "addin/text/conversions.h"
#include "platform/win/code_page.h"

namespace velmora::demo {

namespace {

// The rows and columns the print sheet's page holds.
constexpr int kRows = 80;
constexpr int kColumns = 20;

std::string Escaped(const std::string& utf8) {
  std::string out;
  for (char c : utf8) {
    switch (c) {
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '&': out += "&amp;"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace

void WritePreviewPage(const std::string& path, const workbook::Worksheet& sheet, const std::string& paper) {
  std::ofstream out(path, std::ios::binary);
  if (!out) throw std::runtime_error("cannot write " + path);
  out << "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" << Escaped(win::AnsiToUtf8(sheet.Name()))
      << "</title>\n<style>\n@page { size: " << paper << " landscape; margin: 15mm; }\n"
      << "body { font-family: 'Noto Sans CJK SC', sans-serif; }\n"
      << "table { border-collapse: collapse; margin: auto; font-size: " << (paper == "A3" ? "10pt" : "7pt")
      << "; }\ntd { padding: 1px 4px; white-space: pre; }\n</style></head><body><table>\n";
  for (int row = 1; row <= kRows; ++row) {
    std::string cells;
    bool any = false;
    for (int column = 1; column <= kColumns; ++column) {
      std::string text;
      try {
        text = win::AnsiToUtf8(CellText(sheet.Value(row, column)));
      } catch (const std::exception&) {
        text = "#";  // an error value, shown as the preview shows it
      }
      any |= !text.empty();
      cells += "<td>" + Escaped(text) + "</td>";
    }
    if (any) out << "<tr>" << cells << "</tr>\n";
  }
  out << "</table></body></html>\n";
  if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

}  // namespace velmora::demo
