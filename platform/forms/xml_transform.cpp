// Both files are read with libxml2; texts come out of it in UTF-8 and go into
// the dataset in GBK.
#include "xml_transform.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <charconv>
#include <optional>

#include "error.h"
#include "platform/win/code_page.h"
#include "read_file.h"

namespace forms {
namespace {

struct DocumentDeleter {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using Document = std::unique_ptr<xmlDoc, DocumentDeleter>;

Document ParseXml(std::string_view text, std::string_view name) {
  xmlResetLastError();
  Document doc(xmlReadMemory(text.data(), static_cast<int>(text.size()), nullptr, nullptr,
                             XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
  if (doc == nullptr || xmlDocGetRootElement(doc.get()) == nullptr) {
    std::string why = "no root element";
    if (const xmlError* error = xmlGetLastError(); error != nullptr && error->message != nullptr) {
      why = error->message;
      while (!why.empty() && (why.back() == '\n' || why.back() == ' ')) why.pop_back();
      why += " (line " + std::to_string(error->line) + ")";
    }
    throw Error("XML document \"" + std::string(name) + "\" cannot be read: " + win::Utf8ToAnsi(why));
  }
  return doc;
}

std::string Name(const xmlNode* node) { return reinterpret_cast<const char*>(node->name); }

std::optional<std::string> Attribute(const xmlNode* node, const char* name) {
  xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
  if (value == nullptr) return std::nullopt;
  std::string text = reinterpret_cast<const char*>(value);
  xmlFree(value);
  return text;
}

std::string Content(const xmlNode* node) {
  xmlChar* value = xmlNodeGetContent(node);
  std::string text = value == nullptr ? std::string() : reinterpret_cast<const char*>(value);
  xmlFree(value);
  return text;
}

std::vector<std::string> SplitPath(std::string_view path) {
  std::vector<std::string> steps;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    steps.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  return steps;
}

const xmlNode* FirstChild(const xmlNode* node, const std::string& name) {
  for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
    if (child->type == XML_ELEMENT_NODE && Name(child) == name) return child;
  }
  return nullptr;
}

// The value of a field's source in a row element (UTF-8), if the row has it.
std::optional<std::string> SourceValue(const xmlNode* row, const std::string& source) {
  if (source == ".") return Content(row);
  const xmlNode* node = row;
  std::vector<std::string> steps = SplitPath(source);
  for (std::size_t i = 0; i < steps.size(); ++i) {
    if (steps[i].starts_with('@')) return Attribute(node, steps[i].c_str() + 1);
    node = FirstChild(node, steps[i]);
    if (node == nullptr) return std::nullopt;
  }
  return Content(node);
}

void CollectRows(const xmlNode* node, const std::vector<std::string>& path, std::size_t depth,
                 std::vector<const xmlNode*>& rows) {
  if (depth + 1 == path.size()) {
    rows.push_back(node);
    return;
  }
  for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
    if (child->type == XML_ELEMENT_NODE && Name(child) == path[depth + 1]) CollectRows(child, path, depth + 1, rows);
  }
}

bool ValidSource(const std::string& source) {
  if (source == ".") return true;
  std::vector<std::string> steps = SplitPath(source);
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const std::string& step = steps[i];
    if (step.empty() || step == "@") return false;
    if (step.starts_with('@') && i + 1 != steps.size()) return false;
  }
  return true;
}

}  // namespace

XmlTransformation XmlTransformation::LoadFromFile(std::string_view path) { return Parse(ReadWholeFile(path), path); }

XmlTransformation XmlTransformation::Parse(std::string_view xml, std::string_view name) {
  Document doc = ParseXml(xml, name);
  auto fail = [&](const std::string& why) {
    return Error("Transformation \"" + std::string(name) + "\" is not valid: " + why);
  };
  const xmlNode* root = xmlDocGetRootElement(doc.get());
  if (Name(root) != "transform") throw fail("its root element is not <transform>");
  XmlTransformation transformation;
  std::optional<std::string> row = Attribute(root, "row");
  if (!row || row->empty()) throw fail("<transform> has no row attribute");
  transformation.row_path_ = SplitPath(*row);
  for (const std::string& step : transformation.row_path_) {
    if (step.empty() || step.starts_with('@')) throw fail("the row path \"" + *row + "\" is not a path of elements");
  }
  for (const xmlNode* node = root->children; node != nullptr; node = node->next) {
    if (node->type != XML_ELEMENT_NODE) continue;
    if (Name(node) != "field") throw fail("unexpected element <" + Name(node) + ">");
    FieldMapping field;
    std::optional<std::string> field_name = Attribute(node, "name");
    std::optional<std::string> source = Attribute(node, "source");
    std::optional<std::string> size = Attribute(node, "size");
    if (!field_name || field_name->empty()) throw fail("a <field> has no name");
    field.name = win::Utf8ToAnsi(*field_name);
    field.source = source ? *source : *field_name;
    if (!ValidSource(field.source)) throw fail("field " + *field_name + " has the invalid source \"" + field.source + "\"");
    auto [end, error] = size ? std::from_chars(size->data(), size->data() + size->size(), field.size)
                             : std::from_chars_result{nullptr, std::errc::invalid_argument};
    if (!size || error != std::errc() || end != size->data() + size->size() || field.size <= 0) {
      throw fail("field " + *field_name + " needs a size of at least 1 byte");
    }
    transformation.fields_.push_back(std::move(field));
  }
  if (transformation.fields_.empty()) throw fail("it maps no field");
  return transformation;
}

void XmlTransformation::Fill(ClientDataSet& data_set, std::string_view xml_file) const {
  Document doc = ParseXml(ReadWholeFile(xml_file), xml_file);
  const xmlNode* root = xmlDocGetRootElement(doc.get());
  std::vector<const xmlNode*> rows;
  if (Name(root) == row_path_.front()) CollectRows(root, row_path_, 0, rows);

  for (const FieldMapping& field : fields_) data_set.AddFieldDef(field.name, field.size);
  data_set.CreateDataSet();
  for (const xmlNode* row : rows) {
    data_set.Append();
    for (std::size_t i = 0; i < fields_.size(); ++i) {
      if (std::optional<std::string> value = SourceValue(row, fields_[i].source)) {
        data_set.Fields()[i]->SetAsString(win::Utf8ToAnsi(*value));
      }
    }
    data_set.Post();
  }
  data_set.First();
}

std::unique_ptr<ClientDataSet> TransformXmlFile(std::string_view xml_file, std::string_view transformation_file) {
  XmlTransformation transformation = XmlTransformation::LoadFromFile(transformation_file);
  auto data_set = std::make_unique<ClientDataSet>();
  transformation.Fill(*data_set, xml_file);
  return data_set;
}

}  // namespace forms
