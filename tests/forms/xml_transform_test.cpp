// The XML-to-dataset transform over a small transformation file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/forms/error.h"
#include "platform/forms/xml_transform.h"
#include "test_support.h"

namespace forms {
namespace {

using testing::G;
using testing::TempDir;

constexpr const char* kCombinations = R"(<?xml version="1.0" encoding="UTF-8"?>
<transform row="DATAPACKET/ROWDATA/ROW">
  <field name="PLSGXDM" source="@PLSGXDM" size="10"/>
  <field name="PLSGXMC" source="MC" size="8"/>
  <field name="PXXDMSW" source="SW/@first" size="1"/>
  <field name="NOTE" source="." size="20"/>
</transform>
)";

// In GBK, as the shipped data files are written.
std::string CombinationData() {
  return G(R"(<?xml version="1.0" encoding="GBK"?>
<DATAPACKET>
  <ROWDATA>
    <ROW PLSGXDM="11"><MC>中央部门办学</MC><SW first="1"/></ROW>
    <OTHER PLSGXDM="99"/>
    <ROW PLSGXDM="14"><MC>地方教育部门办学</MC></ROW>
    <ROW PLSGXDM="">x</ROW>
  </ROWDATA>
  <ROWDATA><ROW PLSGXDM="21"/></ROWDATA>
</DATAPACKET>
)");
}

TEST(FormsXmlTransform, RowsInDocumentOrderWithFieldsCutAndMissingSourcesNull) {
  TempDir dir;
  auto data_set = TransformXmlFile(dir.Write("xxlblsgx.xml", CombinationData()),
                                   dir.Write("Toxxlblsgx.xtr", kCombinations));
  ASSERT_EQ(data_set->RecordCount(), 4);
  ASSERT_EQ(data_set->Fields().size(), 4u);
  EXPECT_EQ(data_set->Fields()[1]->Size(), 8);

  std::vector<std::string> codes, names, firsts;
  for (data_set->First(); !data_set->Eof(); data_set->Next()) {
    codes.push_back(data_set->FieldByName("PLSGXDM").AsString());
    names.push_back(data_set->FieldByName("PLSGXMC").AsString());
    firsts.push_back(data_set->FieldByName("PXXDMSW").IsNull() ? "null" : data_set->FieldByName("PXXDMSW").AsString());
  }
  EXPECT_EQ(codes, (std::vector<std::string>{"11", "14", "", "21"}));
  EXPECT_EQ(names, (std::vector<std::string>{G("中央部门"), G("地方教育"), "", ""}));  // 8 bytes
  EXPECT_EQ(firsts, (std::vector<std::string>{"1", "null", "null", "null"}));
  data_set->SetRecNo(3);
  EXPECT_EQ(data_set->FieldByName("NOTE").AsString(), "x");
  data_set->First();
  EXPECT_EQ(data_set->RecNo(), 1);
}

TEST(FormsXmlTransform, ADataFileWithoutRowsGivesAnEmptyOpenTable) {
  TempDir dir;
  auto data_set = TransformXmlFile(dir.Write("a.xml", "<DATAPACKET/>"), dir.Write("a.xtr", kCombinations));
  EXPECT_TRUE(data_set->Active());
  EXPECT_EQ(data_set->RecordCount(), 0);
}

struct BrokenCase {
  const char* what;
  const char* transformation;  // null: the file is missing
  const char* data;            // null: the file is missing
  const char* message_part;
  friend void PrintTo(const BrokenCase& c, std::ostream* out) { *out << c.what; }
};

class FormsXmlTransformErrors : public ::testing::TestWithParam<BrokenCase> {};

TEST_P(FormsXmlTransformErrors, RaiseAnErrorNamingTheFault) {
  TempDir dir;
  const BrokenCase& c = GetParam();
  std::string transformation = c.transformation ? dir.Write("t.xtr", c.transformation) : dir.Path("t.xtr");
  std::string data = c.data ? dir.Write("d.xml", c.data) : dir.Path("d.xml");
  try {
    TransformXmlFile(data, transformation);
    FAIL() << c.what << ": no error";
  } catch (const Error& error) {
    EXPECT_NE(std::string(error.what()).find(c.message_part), std::string::npos) << c.what << ": " << error.what();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Forms, FormsXmlTransformErrors,
    ::testing::Values(
        BrokenCase{"missing transformation", nullptr, "<A/>", "Cannot open file"},
        BrokenCase{"missing data file", kCombinations, nullptr, "Cannot open file"},
        BrokenCase{"data not XML", kCombinations, "<DATAPACKET><ROW>", "cannot be read"},
        BrokenCase{"transformation not XML", "<transform row='A'>", "<A/>", "cannot be read"},
        BrokenCase{"wrong root", "<mapping row='A'/>", "<A/>", "not <transform>"},
        BrokenCase{"no row", "<transform><field name='a' size='1'/></transform>", "<A/>", "no row attribute"},
        BrokenCase{"no size", "<transform row='A/B'><field name='a'/></transform>", "<A/>", "size"},
        BrokenCase{"bad size", "<transform row='A/B'><field name='a' size='x1'/></transform>", "<A/>", "size"},
        BrokenCase{"bad source", "<transform row='A/B'><field name='a' source='@x/y' size='1'/></transform>",
                   "<A/>", "invalid source"},
        BrokenCase{"no fields", "<transform row='A/B'/>", "<A/>", "maps no field"}));

// The code tables that ship beside the add-in, through their own
// transformation files (kept in UTF-8 in the source tree, shipped in GBK).
TEST(FormsXmlTransform, TheShippedCodeTablesLoad) {
  const std::filesystem::path text = FORMS_DATA_TEXT_DIR;
  struct Table {
    const char* data;
    const char* transformation;
    std::vector<std::string> fields;
  };
  const Table tables[] = {
      {"lsgx.xml", "Tolsgx.xtr", {"PLSGXDM", "PLSGXMC"}},
      {"xxlb.xml", "Toxxlb.xtr", {"PLBDM", "PLBMC", "PSTARTWITH"}},
      {"xxlblsgx.xml", "Toxxlblsgx.xtr", {"PLSGXDM", "PXXLBDM", "PLSGXMC", "PLBMC", "PXXDMSW"}},
  };
  TempDir dir;
  auto shipped = [&](const char* name) {
    std::ifstream in(text / name, std::ios::binary);
    std::string utf8{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return dir.Write(name, G(utf8));
  };
  for (const Table& table : tables) {
    if (!std::filesystem::exists(text / table.data) || !std::filesystem::exists(text / table.transformation)) {
      GTEST_SKIP() << table.data << " or " << table.transformation << " is not in the tree";
    }
    auto data_set = TransformXmlFile(shipped(table.data), shipped(table.transformation));
    EXPECT_GT(data_set->RecordCount(), 0) << table.data;
    for (const std::string& field : table.fields) {
      ASSERT_NE(data_set->FindField(field), nullptr) << table.data << " " << field;
      EXPECT_FALSE(data_set->FieldByName(field).IsNull()) << table.data << " " << field;
    }
  }
}

}  // namespace
}  // namespace forms
