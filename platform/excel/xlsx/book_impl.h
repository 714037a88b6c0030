#pragma once
// What a workbook keeps of its package besides the model.
#include <string>
#include <utility>
#include <vector>

#include "excel/xlsx/internal.h"

namespace xlsx {

struct Workbook::Impl {
  // Every part as read, in package order; written back unchanged unless the
  // model produces it.
  std::vector<std::pair<std::string, std::string>> parts;
  std::string workbook_part = "xl/workbook.xml";
  std::string styles_part = "xl/styles.xml";
  std::string shared_strings_part;  // empty when the package has none
  xmlDoc* workbook_doc = nullptr;
  xmlDoc* workbook_rels = nullptr;
  xmlDoc* content_types = nullptr;
  bool formulas_changed = false;  // a formula removed: the calculation chain is dropped
  std::string name;               // the file name, for messages

  ~Impl() {
    if (workbook_doc) xmlFreeDoc(workbook_doc);
    if (workbook_rels) xmlFreeDoc(workbook_rels);
    if (content_types) xmlFreeDoc(content_types);
  }
};

std::unique_ptr<Styles::Impl> NewDefaultStyles();

}  // namespace xlsx
