// The report files: the JSON form reads back as it was written, the CSV form
// has one row per failure (one for a return without any) with its fields
// quoted where they must be.
#include <gtest/gtest.h>

#include <sstream>

#include "host/check/report_files.h"

namespace velmora::check {
namespace {

std::vector<ReturnReport> Reports() {
  ReturnReport failed;
  failed.file = "returns/a,b.xlsx";
  failed.school_code = "11069";
  failed.school_name = "嵩山工学院";
  failed.kind = "基表1.xls";
  failed.verdict = Verdict::Failed;
  failed.failures = {{"强制", "合计\"不符\"", {{"基本情况", "G10"}, {"基本情况", "G11"}}},
                     {"提示", "line\nbreak", {}}};
  failed.error = "=(F1(JB1_2,SR02,8)==1)||填报数据只能为正整数,请检查填报的数据！18,4";
  ReturnReport broken;
  broken.file = "returns/broken.xlsx";
  broken.error = "cannot be opened";
  ReturnReport passed;
  passed.file = "returns/sub/c.xlsx";
  passed.verdict = Verdict::Passed;
  return {failed, broken, passed};
}

TEST(ReportFiles, JsonReadsBackWithItsSummary) {
  std::ostringstream out;
  WriteJsonReport(out, Reports());
  const nlohmann::json json = nlohmann::json::parse(out.str());
  EXPECT_EQ(json["summary"],
            nlohmann::json({{"returns", 3}, {"passed", 1}, {"failed", 1}, {"errors", 1}}));
  const auto back = json["returns"].get<std::vector<ReturnReport>>();
  const auto original = Reports();
  ASSERT_EQ(back.size(), original.size());
  for (std::size_t i = 0; i < back.size(); ++i) {
    EXPECT_EQ(back[i].file, original[i].file);
    EXPECT_EQ(back[i].verdict, original[i].verdict);
    EXPECT_EQ(back[i].failures, original[i].failures);
    EXPECT_EQ(back[i].error, original[i].error);
  }
  EXPECT_TRUE(json["returns"][2]["error"].is_null());
  EXPECT_EQ(json["returns"][2]["passed"], true);
  EXPECT_EQ(json["returns"][0]["passed"], false);
}

TEST(ReportFiles, CsvHasARowPerFailureAndQuotesWhereNeeded) {
  std::ostringstream out;
  WriteCsvReport(out, Reports());
  const std::string error =
      "\"=(F1(JB1_2,SR02,8)==1)||填报数据只能为正整数,请检查填报的数据！18,4\"";
  EXPECT_EQ(out.str(),
            "file,school_code,school_name,kind,verdict,type,message,cells,error\r\n"
            "\"returns/"
            "a,b.xlsx\",11069,嵩山工学院,基表1.xls,failed,强制,\"合计\"\"不符\"\"\",基本情况!G10 "
            "基本情况!G11," +
                error +
                "\r\n"
                "\"returns/a,b.xlsx\",11069,嵩山工学院,基表1.xls,failed,提示,\"line\nbreak\",," +
                error +
                "\r\n"
                "returns/broken.xlsx,,,,error,,,,cannot be opened\r\n"
                "returns/sub/c.xlsx,,,,passed,,,,\r\n");
}

TEST(ReportFiles, TheFileKindFollowsItsEnding) {
  EXPECT_TRUE(IsReportFileName("r.json"));
  EXPECT_TRUE(IsReportFileName("R.CSV"));
  EXPECT_FALSE(IsReportFileName("r.txt"));
  EXPECT_FALSE(IsReportFileName("json"));
  EXPECT_THROW(WriteReportFile("/nonexistent-folder/r.json", Reports()), std::runtime_error);
}

}  // namespace
}  // namespace velmora::check
