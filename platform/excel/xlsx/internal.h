#pragma once
// Helpers shared by the files of the .xlsx model; not part of its API.
#include <libxml/tree.h>

#include <string>
#include <string_view>

#include "excel/xlsx/model.h"

namespace xlsx {

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);
std::string Base64Encode(std::string_view bytes);
bool Base64Decode(std::string_view text, std::string& out);

// XML text with &, <, > and " escaped, and characters XML cannot carry
// (controls other than tab and line feed) as Excel's _xHHHH_ escapes.
void AppendEscaped(std::string& out, std::string_view text, bool attribute = false);
// Excel's _xHHHH_ escapes decoded.
std::string DecodeExcelEscapes(std::string_view text);

// libxml2 helpers.
const char* LocalName(const xmlNode* node);
bool Is(const xmlNode* node, const char* local_name);
xmlNode* FirstChild(xmlNode* parent, const char* local_name);
// An attribute by local name (any namespace, or none); empty when absent.
std::string Attr(const xmlNode* node, const char* local_name);
bool HasAttr(const xmlNode* node, const char* local_name);
bool BoolAttr(const xmlNode* node, const char* local_name, bool fallback);
std::string NodeText(const xmlNode* node);  // concatenated text content
// Serialises a node (with its subtree) as XML.
void AppendNode(std::string& out, xmlDoc* doc, xmlNode* node);
// Parses a part; throws Error(Malformed) naming the part.
xmlDoc* ParseXml(std::string_view bytes, const std::string& part_name);

struct DocDeleter {
  void operator()(xmlDoc* d) const { if (d) xmlFreeDoc(d); }
};

struct Worksheet::Impl {
  std::string part;          // xl/worksheets/sheet1.xml
  std::string rel_id;        // r:id in workbook.xml
  std::string sheet_id;      // sheetId
  std::string raw;           // an opaque sheet's part, as read
  xmlDoc* doc = nullptr;     // the sheet's XML without its sheetData, cols, mergeCells
  bool dirty = true;         // changed since it was read
  ~Impl() { if (doc) xmlFreeDoc(doc); }
};

}  // namespace xlsx
