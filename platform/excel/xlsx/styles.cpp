// Cell formats: the Locked flag, the solid fill by colour index, the number format.
#include <libxml/parser.h>

#include <cstring>

#include "excel/xlsx/styles_impl.h"

namespace xlsx {

namespace {

const char kDefaultStyles[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
    "<fonts count=\"1\"><font><sz val=\"11\"/><name val=\"宋体\"/><family val=\"2\"/><charset val=\"134\"/></font></fonts>"
    "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill><fill><patternFill patternType=\"gray125\"/></fill></fills>"
    "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
    "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>"
    "<cellXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/></cellXfs>"
    "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
    "</styleSheet>";

struct Builtin {
  int id;
  const char* code;
};
const Builtin kBuiltinFormats[] = {
    {0, "General"},   {1, "0"},          {2, "0.00"},       {3, "#,##0"},        {4, "#,##0.00"},
    {9, "0%"},        {10, "0.00%"},     {11, "0.00E+00"},  {12, "# ?/?"},       {13, "# ?\?/?\?"},
    {14, "m/d/yyyy"}, {15, "d-mmm-yy"},  {16, "d-mmm"},     {17, "mmm-yy"},      {18, "h:mm AM/PM"},
    {19, "h:mm:ss AM/PM"}, {20, "h:mm"}, {21, "h:mm:ss"},   {22, "m/d/yyyy h:mm"}, {37, "#,##0 ;(#,##0)"},
    {38, "#,##0 ;[Red](#,##0)"}, {39, "#,##0.00;(#,##0.00)"}, {40, "#,##0.00;[Red](#,##0.00)"},
    {45, "mm:ss"},    {46, "[h]:mm:ss"}, {47, "mmss.0"},    {48, "##0.0E+0"},    {49, "@"}};

int IntAttr(const xmlNode* n, const char* name, int fallback) {
  std::string v = Attr(n, name);
  if (v.empty()) return fallback;
  return std::atoi(v.c_str());
}

void SetAttr(xmlNode* n, const char* name, const std::string& value) {
  xmlSetProp(n, BAD_CAST name, BAD_CAST value.c_str());
}

// Colour index of a <fgColor>/<bgColor> element.
int ColorIndexOf(const xmlNode* color) {
  if (!color) return kColorIndexAutomatic;
  if (HasAttr(color, "indexed")) {
    int i = IntAttr(color, "indexed", 64);
    if (i >= 8 && i <= 63) return i - 7;
    if (i >= 0 && i < 8) return i + 1;
    if (i == 65) return 0;
    return kColorIndexAutomatic;
  }
  if (HasAttr(color, "rgb")) {
    std::string v = Attr(color, "rgb");
    if (v.size() == 8) v = v.substr(2);
    std::uint32_t rgb = static_cast<std::uint32_t>(std::strtoul(v.c_str(), nullptr, 16)) & 0xFFFFFF;
    return NearestColorIndex(rgb);
  }
  if (HasAttr(color, "theme")) {
    // The default Office theme: lt1, dk1, lt2, dk2, accent1..6, hlink, folHlink.
    static const std::uint32_t kTheme[] = {0xFFFFFF, 0x000000, 0xEEECE1, 0x1F497D, 0x4F81BD, 0xC0504D,
                                           0x9BBB59, 0x8064A2, 0x4BACC6, 0xF79646, 0x0000FF, 0x800080};
    int t = IntAttr(color, "theme", 0);
    std::uint32_t rgb = t >= 0 && t < 12 ? kTheme[t] : 0;
    double tint = HasAttr(color, "tint") ? std::atof(Attr(color, "tint").c_str()) : 0;
    auto apply = [&](int c) {
      double v = c;
      v = tint < 0 ? v * (1 + tint) : v + (255 - v) * tint;
      return static_cast<std::uint32_t>(v < 0 ? 0 : v > 255 ? 255 : v + 0.5);
    };
    rgb = (apply((rgb >> 16) & 0xFF) << 16) | (apply((rgb >> 8) & 0xFF) << 8) | apply(rgb & 0xFF);
    return NearestColorIndex(rgb);
  }
  return kColorIndexAutomatic;
}

int FillColorIndex(xmlNode* fill) {
  xmlNode* pattern = FirstChild(fill, "patternFill");
  if (!pattern) return FirstChild(fill, "gradientFill") ? kColorIndexAutomatic : kColorIndexNone;
  std::string type = Attr(pattern, "patternType");
  xmlNode* fg = FirstChild(pattern, "fgColor");
  xmlNode* bg = FirstChild(pattern, "bgColor");
  if (type.empty()) type = (fg || bg) ? "solid" : "none";  // Excel reads a pattern without a type as solid
  if (type == "none") return kColorIndexNone;
  if (type == "solid") return ColorIndexOf(fg);
  return ColorIndexOf(bg ? bg : fg);
}

std::string Canonical(xmlNode* node) {
  std::string s;
  AppendNode(s, node->doc, node);
  return s;
}

}  // namespace

void Styles::Impl::Load(std::string_view bytes) {
  raw = std::string(bytes);
  doc = ParseXml(bytes, "xl/styles.xml");
  xmlNode* root = xmlDocGetRootElement(doc);
  if (!Is(root, "styleSheet")) throw Error(ErrorKind::Malformed, "The part xl/styles.xml holds no style sheet.");
  Index();
}

void Styles::Impl::Index() {
  xmlNode* root = xmlDocGetRootElement(doc);
  cell_xfs = FirstChild(root, "cellXfs");
  fills = FirstChild(root, "fills");
  num_fmts = FirstChild(root, "numFmts");
  auto insert_before = [&](const char* name, std::initializer_list<const char*> later) {
    xmlNode* n = xmlNewDocNode(doc, root->ns, BAD_CAST name, nullptr);
    for (xmlNode* c = root->children; c; c = c->next)
      for (const char* l : later)
        if (Is(c, l)) return xmlAddPrevSibling(c, n);
    return xmlAddChild(root, n);
  };
  if (!fills) {
    fills = insert_before("fills", {"borders", "cellStyleXfs", "cellXfs", "cellStyles", "dxfs", "tableStyles", "colors", "extLst"});
    xmlNode* f = xmlNewChild(fills, root->ns, BAD_CAST "fill", nullptr);
    SetAttr(xmlNewChild(f, root->ns, BAD_CAST "patternFill", nullptr), "patternType", "none");
  }
  if (!cell_xfs) {
    cell_xfs = insert_before("cellXfs", {"cellStyles", "dxfs", "tableStyles", "colors", "extLst"});
    xmlNode* xf = xmlNewChild(cell_xfs, root->ns, BAD_CAST "xf", nullptr);
    SetAttr(xf, "numFmtId", "0");
  }
  fill_nodes.clear();
  fill_color_index.clear();
  for (xmlNode* c = fills->children; c; c = c->next)
    if (Is(c, "fill")) {
      fill_nodes.push_back(c);
      fill_color_index.push_back(FillColorIndex(c));
    }
  xfs.clear();
  for (xmlNode* c = cell_xfs->children; c; c = c->next)
    if (Is(c, "xf")) {
      xmlNode* prot = FirstChild(c, "protection");
      xfs.push_back({c, BoolAttr(prot, "locked", true), IntAttr(c, "fillId", 0), IntAttr(c, "numFmtId", 0)});
    }
  if (xfs.empty()) {
    xmlNode* xf = xmlNewChild(cell_xfs, root->ns, BAD_CAST "xf", nullptr);
    SetAttr(xf, "numFmtId", "0");
    xfs.push_back({xf, true, 0, 0});
  }
  custom_formats.clear();
  for (xmlNode* c = num_fmts ? num_fmts->children : nullptr; c; c = c->next)
    if (Is(c, "numFmt")) custom_formats[IntAttr(c, "numFmtId", -1)] = Attr(c, "formatCode");
}

std::string Styles::Impl::Serialize() const {
  if (!dirty) return raw;
  xmlChar* mem = nullptr;
  int size = 0;
  xmlDocDumpMemoryEnc(doc, &mem, &size, "UTF-8");
  std::string out(reinterpret_cast<char*>(mem), static_cast<std::size_t>(size));
  xmlFree(mem);
  return out;
}

int Styles::Impl::FillFor(int color_index) {
  for (std::size_t i = 0; i < fill_nodes.size(); ++i) {
    if (fill_color_index[i] != color_index) continue;
    xmlNode* p = FirstChild(fill_nodes[i], "patternFill");
    std::string type = Attr(p, "patternType");
    if (color_index == kColorIndexNone || type == "solid") {
      // An exact match only: a solid fill given by the indexed colour.
      xmlNode* fg = FirstChild(p, "fgColor");
      if (color_index == kColorIndexNone || (fg && HasAttr(fg, "indexed"))) return static_cast<int>(i);
    }
  }
  xmlNode* root = xmlDocGetRootElement(doc);
  xmlNode* fill = xmlNewChild(fills, root->ns, BAD_CAST "fill", nullptr);
  xmlNode* p = xmlNewChild(fill, root->ns, BAD_CAST "patternFill", nullptr);
  if (color_index == kColorIndexNone) {
    SetAttr(p, "patternType", "none");
  } else {
    SetAttr(p, "patternType", "solid");
    SetAttr(xmlNewChild(p, root->ns, BAD_CAST "fgColor", nullptr), "indexed",
            std::to_string(color_index == 0 ? 65 : color_index + 7));
    SetAttr(xmlNewChild(p, root->ns, BAD_CAST "bgColor", nullptr), "indexed", "64");
  }
  fill_nodes.push_back(fill);
  fill_color_index.push_back(color_index);
  SetAttr(fills, "count", std::to_string(fill_nodes.size()));
  dirty = true;
  return static_cast<int>(fill_nodes.size() - 1);
}

int Styles::Impl::AddXf(xmlNode* node) {
  std::string canon = Canonical(node);
  for (std::size_t i = 0; i < xfs.size(); ++i)
    if (Canonical(xfs[i].node) == canon) {
      xmlFreeNode(node);
      return static_cast<int>(i);
    }
  xmlAddChild(cell_xfs, node);
  xmlNode* prot = FirstChild(node, "protection");
  xfs.push_back({node, BoolAttr(prot, "locked", true), IntAttr(node, "fillId", 0), IntAttr(node, "numFmtId", 0)});
  SetAttr(cell_xfs, "count", std::to_string(xfs.size()));
  dirty = true;
  return static_cast<int>(xfs.size() - 1);
}

int Styles::Impl::Derive(int xf, char what, const std::string& value) {
  auto key = std::make_tuple(xf, what, value);
  auto it = derived.find(key);
  if (it != derived.end()) return it->second;
  xmlNode* copy = xmlDocCopyNode(xfs[static_cast<std::size_t>(xf)].node, doc, 1);
  xmlNode* root = xmlDocGetRootElement(doc);
  if (what == 'L') {
    xmlNode* prot = FirstChild(copy, "protection");
    if (!prot) prot = xmlNewChild(copy, root->ns, BAD_CAST "protection", nullptr);
    SetAttr(prot, "locked", value);
    SetAttr(copy, "applyProtection", "1");
  } else if (what == 'F') {
    SetAttr(copy, "fillId", std::to_string(FillFor(std::atoi(value.c_str()))));
    SetAttr(copy, "applyFill", "1");
  } else {
    int id = -1;
    for (const auto& b : kBuiltinFormats)
      if (value == b.code) id = b.id;
    for (const auto& [fid, code] : custom_formats)
      if (id < 0 && code == value) id = fid;
    if (id < 0) {
      id = 164;
      for (const auto& [fid, code] : custom_formats) id = std::max(id, fid + 1);
      if (!num_fmts) {
        num_fmts = xmlNewDocNode(doc, root->ns, BAD_CAST "numFmts", nullptr);
        if (root->children) xmlAddPrevSibling(root->children, num_fmts); else xmlAddChild(root, num_fmts);
      }
      xmlNode* nf = xmlNewChild(num_fmts, root->ns, BAD_CAST "numFmt", nullptr);
      SetAttr(nf, "numFmtId", std::to_string(id));
      SetAttr(nf, "formatCode", value);
      custom_formats[id] = value;
      SetAttr(num_fmts, "count", std::to_string(custom_formats.size()));
      dirty = true;
    }
    SetAttr(copy, "numFmtId", std::to_string(id));
    SetAttr(copy, "applyNumberFormat", "1");
  }
  int result = AddXf(copy);
  derived[key] = result;
  return result;
}

// ---------------------------------------------------------------- Styles

Styles::~Styles() = default;

int Styles::Count() const { return static_cast<int>(impl->xfs.size()); }

static std::size_t Clamp(const Styles::Impl& impl, int xf) {
  return xf >= 0 && static_cast<std::size_t>(xf) < impl.xfs.size() ? static_cast<std::size_t>(xf) : 0;
}

bool Styles::Locked(int xf) const { return impl->xfs[Clamp(*impl, xf)].locked; }

int Styles::ColorIndex(int xf) const {
  int fill = impl->xfs[Clamp(*impl, xf)].fill_id;
  if (fill < 0 || static_cast<std::size_t>(fill) >= impl->fill_nodes.size()) return kColorIndexNone;
  return impl->fill_color_index[static_cast<std::size_t>(fill)];
}

std::string Styles::NumberFormat(int xf) const {
  int id = impl->xfs[Clamp(*impl, xf)].num_fmt_id;
  auto it = impl->custom_formats.find(id);
  if (it != impl->custom_formats.end()) return it->second;
  for (const auto& b : kBuiltinFormats)
    if (b.id == id) return b.code;
  return "General";
}

bool Styles::IsTextFormat(int xf) const { return NumberFormat(xf) == "@"; }

int Styles::WithLocked(int xf, bool locked) {
  xf = static_cast<int>(Clamp(*impl, xf));
  if (Locked(xf) == locked) return xf;
  return impl->Derive(xf, 'L', locked ? "1" : "0");
}

int Styles::WithColorIndex(int xf, int color_index) {
  if (!(color_index == kColorIndexNone || (color_index >= 0 && color_index <= 56)))
    throw Error(ErrorKind::Invalid, "Colour index " + std::to_string(color_index) + " is not in the palette.");
  xf = static_cast<int>(Clamp(*impl, xf));
  if (ColorIndex(xf) == color_index) {
    int fill = impl->xfs[static_cast<std::size_t>(xf)].fill_id;
    xmlNode* p = FirstChild(impl->fill_nodes[static_cast<std::size_t>(fill)], "patternFill");
    if (color_index == kColorIndexNone || Attr(p, "patternType") == "solid") return xf;
  }
  return impl->Derive(xf, 'F', std::to_string(color_index));
}

int Styles::WithNumberFormat(int xf, const std::string& code) {
  xf = static_cast<int>(Clamp(*impl, xf));
  if (NumberFormat(xf) == code) return xf;
  return impl->Derive(xf, 'N', code);
}

std::unique_ptr<Styles::Impl> NewDefaultStyles() {
  auto impl = std::make_unique<Styles::Impl>();
  impl->Load(kDefaultStyles);
  impl->dirty = true;
  return impl;
}

}  // namespace xlsx
