#pragma once
// The cell formats of a workbook, kept as the styles part's XML.
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "excel/xlsx/internal.h"

namespace xlsx {

struct Styles::Impl {
  xmlDoc* doc = nullptr;
  std::string raw;  // the part as read, written back while nothing changed
  bool dirty = false;
  xmlNode* cell_xfs = nullptr;
  xmlNode* fills = nullptr;
  xmlNode* num_fmts = nullptr;
  struct Xf {
    xmlNode* node;
    bool locked;
    int fill_id;
    int num_fmt_id;
  };
  std::vector<Xf> xfs;
  std::vector<xmlNode*> fill_nodes;
  std::vector<int> fill_color_index;  // per fill
  std::map<int, std::string> custom_formats;
  std::map<std::tuple<int, char, std::string>, int> derived;

  ~Impl() { if (doc) xmlFreeDoc(doc); }
  void Load(std::string_view bytes);  // throws Error
  void Index();
  std::string Serialize() const;
  int FillFor(int color_index);
  int AddXf(xmlNode* node);
  int Derive(int xf, char what, const std::string& value);
};

}  // namespace xlsx
