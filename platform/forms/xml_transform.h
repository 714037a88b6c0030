#pragma once
// The XML-to-dataset transform: a transformation file says which elements of
// an XML data file are the rows of a table and which attribute or child of a
// row gives which field; applying it fills a client dataset with one record
// per row, in document order. The format of the transformation files is
// described in README.md.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "client_dataset.h"

namespace forms {

class XmlTransformation {
 public:
  struct FieldMapping {
    std::string name;    // the field (GBK)
    std::string source;  // "@attr", "child", "child/grandchild", "child/@attr" or "." (the row's own text)
    int size = 0;        // bytes
  };

  // Reads a transformation file (GBK path). A missing file raises "Cannot
  // open file ..."; a file that is not XML or not a transformation raises
  // forms::Error naming the file and the fault.
  static XmlTransformation LoadFromFile(std::string_view path);
  // The same from the text of a transformation; name is used in messages.
  static XmlTransformation Parse(std::string_view xml, std::string_view name);

  // Element names from the root element down to the rows, the root first.
  const std::vector<std::string>& RowPath() const { return row_path_; }
  const std::vector<FieldMapping>& Fields() const { return fields_; }

  // Defines the fields on a closed dataset that has none, opens it, appends
  // a record per row of the data file (GBK path) and goes to the first one.
  // A row without the source of a field leaves that field null. A missing
  // data file or one that is not XML raises as LoadFromFile does.
  void Fill(ClientDataSet& data_set, std::string_view xml_file) const;

 private:
  std::vector<std::string> row_path_;
  std::vector<FieldMapping> fields_;
};

// What the platform's transform provider does for a client dataset: the data
// file through the transformation file into a new, open dataset.
std::unique_ptr<ClientDataSet> TransformXmlFile(std::string_view xml_file, std::string_view transformation_file);

}  // namespace forms
