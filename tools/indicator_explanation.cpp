#include "tools/indicator_explanation.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <memory>
#include <stdexcept>

#include "addin/text/conversions.h"
#include "addin/text/item_split.h"
#include "addin/text/text_file.h"
#include "addin/workbook/base_table.h"
#include "platform/forms/application.h"
#include "platform/win/code_page.h"
#include "platform/win/message_box.h"
#include "platform/win/path.h"

namespace velmora::tools {

namespace {

std::string Gbk(std::string_view utf8) { return win::Utf8ToAnsi(utf8); }
// A message of the command, in a box with the application title (OK only).
void Tell(const std::string& gbk) { win::MessageBox(gbk, forms::ApplicationTitle(), win::MB_OK); }

const std::string& Item(const std::vector<std::string>& items, std::size_t index) {
  if (index >= items.size()) throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
  return items[index];
}

struct FreeDocument {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using Document = std::unique_ptr<xmlDoc, FreeDocument>;

bool NameIs(const xmlNode* node, const std::string& utf8_name) {
  return node->type == XML_ELEMENT_NODE && utf8_name == reinterpret_cast<const char*>(node->name);
}

const xmlNode* FirstChildElement(const xmlNode* parent, const std::string& utf8_name) {
  for (const xmlNode* child = parent->children; child; child = child->next)
    if (NameIs(child, utf8_name)) return child;
  return nullptr;
}

// The text of the child element name (GBK); throws when there is none or
// when it holds elements of its own.
std::string ChildText(const xmlNode* parent, const char* name) {
  const xmlNode* child = FirstChildElement(parent, name);
  if (!child) throw std::runtime_error(std::string("no element ") + name);
  std::string text;
  for (const xmlNode* node = child->children; node; node = node->next) {
    if (node->type == XML_ELEMENT_NODE) throw std::runtime_error(std::string("element ") + name + " is no text");
    if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE)
      text += reinterpret_cast<const char*>(node->content);
  }
  return Gbk(text);
}

}  // namespace

std::string PositionFileOfSheetCode(std::string_view code) {
  for (const char* known : {"J1_1", "J1_2", "J1_3", "J1_4"})
    if (code == known) return "d1.txt";
  for (const char* known : {"J2_1", "J2_2", "J2_3", "J2_4"})
    if (code == known) return "d2.txt";
  return "d3.txt";
}

std::string FindIndicatorNumber(const workbook::Application& excel, const std::string& directory,
                                const std::string& sheet_code) {
  std::string result;
  try {
    const std::string file = directory + PositionFileOfSheetCode(sheet_code);
    const std::optional<workbook::Range> cell = excel.ActiveCell();
    if (!cell) return result;
    const std::string key = std::to_string(cell->Row()) + "," + std::to_string(cell->Column());
    for (const std::string& line : LoadLines(file)) {
      const std::vector<std::string> items = SplitItems(line, "|", "*");
      if (Item(items, 0) != sheet_code) continue;
      if (Trim(Item(items, 2)) == Trim(key)) {
        result = items[1];
        break;
      }
    }
  } catch (const std::exception& error) {
    forms::ShowException(error);
  }
  return result;
}

void LoadIndicatorExplanation(const std::string& directory, const std::string& sheet_code,
                              const std::string& indicator_code, std::string& name, std::string& explanation) {
  const std::string path = directory + "zbjs_xml\\" + sheet_code;
  const auto fail = [&](const std::string& message) {
    Tell(message);
    name.clear();
    explanation.clear();
  };
  const Document doc(xmlReadFile(win::ToSystemPath(path + ".xml").c_str(), nullptr,
                                 XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
  if (!doc) return fail(Gbk("提示：指标序号时读取") + path + ".xml" + Gbk("文件失败！"));
  const xmlNode* root = xmlDocGetRootElement(doc.get());
  if (!root) return fail(Gbk("提示：指标序号时取XML文件的根结点失败！"));
  const xmlNode* indicator = FirstChildElement(root, win::AnsiToUtf8(indicator_code));
  if (!indicator) return fail(Gbk("提示：指标序号时配置文件中没有找到 ") + indicator_code + Gbk(" 的指标解释！"));
  try {
    name = ChildText(indicator, "ZBMC");
    explanation = ChildText(indicator, "ZBJS");
  } catch (const std::exception&) {
    // an indicator without its name or explanation shows nothing
  }
}

void ShowIndicatorExplanation(const workbook::Application& excel, const std::string& directory,
                              IndicatorState state, const std::function<void()>& open_dialog) {
  const std::optional<workbook::Workbook> book = excel.ActiveWorkbook();
  if (!book) return;
  const std::string template_name = base_table::ReadCell(book->Sheet(base_table::kFirstSheet),
                                                         base_table::kTemplateNameCell);
  const workbook::Worksheet active = book->ActiveSheet();
  try {
    if (base_table::KindOfTemplateName(template_name) == base_table::Kind::None) return;
    state.FSheetCode = base_table::ReadCell(active, base_table::kSheetCodeCell);
    state.FIndicatorCode = FindIndicatorNumber(excel, directory, state.FSheetCode);
    state.gIndicatorCode = state.FIndicatorCode;
    if (state.FIndicatorCode.empty()) {
      Tell(Gbk("提示:请先在可编辑的区域的合计行上激活想要查看指标解释的单元格！"));
      return;
    }
    state.gIndicatorExplanation.clear();
    state.gIndicatorName.clear();
    LoadIndicatorExplanation(directory, state.FSheetCode, state.FIndicatorCode, state.gIndicatorName,
                             state.gIndicatorExplanation);
    if (!state.gIndicatorExplanation.empty()) open_dialog();
  } catch (const std::exception& error) {
    forms::ShowException(error);
  }
}

}  // namespace velmora::tools
